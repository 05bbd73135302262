#pragma once

// The window speaks Chinese whatever the user's locale, and so do the toolkit's own texts: the
// buttons of message boxes, the colour dialog, the panes' editing menus.

class QCoreApplication;

namespace translations {

// Installs the toolkit's Chinese translations on app. Answers false when they are not installed
// on this machine; the toolkit's texts then stay English.
bool installToolkitChinese(QCoreApplication &app);

} // namespace translations
