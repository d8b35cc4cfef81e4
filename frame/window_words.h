// The words of the window's menu and caption buttons in the user's language. The toolkit's own
// translations have them, as the words of the menu and buttons of its sub-windows (the context
// QMdiSubWindow: "&Move", "Mi&nimize", "Stay on &Top", "&Close", "Close", "Menu"), in some thirty
// languages; they are loaded for the user's locale the first time a word is asked for, and the
// English words stand where there are none.
#pragma once

#include <QString>

namespace countdown::frame {

QString WindowWord(const char* english);

// The window menu's button: the toolkit's word for a menu, where it has one in the user's
// language, otherwise "Window menu".
QString WindowMenuName();

}  // namespace countdown::frame
