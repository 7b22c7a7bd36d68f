// Qt's own texts (file and folder dialogs, message-box buttons, the print dialog) in
// Japanese, like the rest of the program.
#pragma once

class QCoreApplication;

namespace tidrun {

// Loads Qt's Japanese translations from Qt's translations folder into `app` (the
// translators are children of it) and makes Japanese the default locale. False when the
// translations are not installed: Qt's texts then stay English.
bool InstallJapaneseQtTranslations(QCoreApplication& app);

}  // namespace tidrun
