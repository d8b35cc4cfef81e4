// What assistive technology sees of a FramedWindow: a frame named with the window's title, whose
// caption bar offers its icon (the window menu) and its close button as buttons of their own,
// before the window's controls.
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace countdown::frame {

// The accessibility factory for FramedWindow (QAccessible::installFactory).
QAccessibleInterface* AccessibleFrameFactory(const QString& className, QObject* object);

}  // namespace countdown::frame
