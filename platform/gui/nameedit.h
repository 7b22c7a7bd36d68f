// A name typed into an edit, checked before a dialog closes on OK.
#pragma once

#include <QString>

class QLineEdit;

namespace tidrun {

class MessageSink;

// error: what a validator found wrong with the edit's text, empty when nothing. When there
// is an error it is shown through the sink, the focus goes back to the edit with its text
// selected, and false comes back (the dialog stays open).
bool NameAccepted(QLineEdit* edit, const QString& error, MessageSink& sink);

}  // namespace tidrun
