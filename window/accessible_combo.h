// A list-only combo box as a screen reader should know it: by the name given to it, with the
// label picked as its value. Qt's own interface names such a combo box by its value on Linux
// and leaves its name to a label beside it, which this window has no room for.
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// The accessibility factory (QAccessible::installFactory): list-only combo boxes with an
// accessible name of their own.
QAccessibleInterface* AccessibleNamedComboFactory(const QString& className, QObject* object);
