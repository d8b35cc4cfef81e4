// What assistive technology sees of a part of a window that has no widget of its own (a caption
// bar's button, a combo box's entry): a leaf of the tree, with actions of its own.
#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QString>
#include <QStringList>

namespace countdown::frame {

class AccessibleLeaf : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  QObject* object() const override { return nullptr; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  void setText(QAccessible::Text, const QString&) override {}
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface && !actionNames().isEmpty()
               ? static_cast<QAccessibleActionInterface*>(this)
               : nullptr;
  }
};

}  // namespace countdown::frame
