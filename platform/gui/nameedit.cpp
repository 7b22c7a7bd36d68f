#include "platform/gui/nameedit.h"

#include <QLineEdit>

#include "platform/messagesink.h"

namespace tidrun {

bool NameAccepted(QLineEdit* edit, const QString& error, MessageSink& sink) {
    if (error.isEmpty()) return true;
    sink.Error(error);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

}  // namespace tidrun
