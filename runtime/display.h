// The display the program opens, settled before Qt starts: Qt aborts with a message about
// reinstalling when no platform plugin can start, so the program looks first and says plainly
// which display could not be opened and why.
#pragma once

#include <optional>
#include <string>

namespace countdown::runtime {

// Picks the platform Qt starts on and checks that its display can be opened. A platform the user
// named (-platform, or QT_QPA_PLATFORM) is kept; otherwise X11 is preferred where an X server
// answers, so that the window can place itself, and Wayland taken where only it does
// (QT_QPA_PLATFORM is set for Qt accordingly). Returns a one-line reason when no display can be
// opened.
std::optional<std::string> ChooseDisplay(int argc, char** argv);

// Once Qt has connected to the display: closes the connection the check kept open, and has the
// loss of the display later on reported in the program's own plain words.
void DisplayOpened();

}  // namespace countdown::runtime
