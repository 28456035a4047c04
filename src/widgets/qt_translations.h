#pragma once
// Qt's own dialogs and buttons (the font dialog, the file dialogs) speak the
// program's language: Chinese by design, whatever the desktop's locale.

namespace quillet {

// Installs Qt's Chinese translations (qtbase_zh_CN from Qt's translations
// folder) into the running application; calling it again changes nothing.
// False when they are not installed on this machine.
bool InstallQtTranslations();

} // namespace quillet
