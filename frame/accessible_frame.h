// What assistive technology sees of a FramedWindow: a frame named with the window's title, whose
// caption bar offers its icon (the window menu) and its close button as buttons of their own, and
// its title as a label, before the window's controls.
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace countdown::frame {

class FramedWindow;

// The accessibility factory for FramedWindow (QAccessible::installFactory).
QAccessibleInterface* AccessibleFrameFactory(const QString& className, QObject* object);

// Installs the factory, and has a screen reader that comes in while a framed window has the
// keyboard told where the keyboard is. Once.
void InstallAccessibility();

// Tells assistive technology that the caption's title has changed, as a change of its label's
// name: a screen reader that keeps names learns the new one, and reads it out only when asked
// to. (The frame's own name is the title too, but a change of the active window's name is read
// out at once, which each second's count must not be.)
void AnnounceTitle(FramedWindow* window);

}  // namespace countdown::frame
