#include "accessible_combo.h"

#include <QAbstractItemView>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QRect>
#include <QStringList>

namespace {

// Its value is offered as a read-only text too: the bridge to AT-SPI passes on no other value
// that is not a number.
class AccessibleNamedCombo : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit AccessibleNamedCombo(QComboBox* combo)
      : QAccessibleWidget(combo, QAccessible::ComboBox) {
    // Opening the list, as Qt's own offers it.
    addControllingSignal(QStringLiteral("activated(int)"));
  }

  QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Combo()->currentText();
    return QAccessibleWidget::text(t);  // the name is the widget's accessible name
  }

  // The list, as the popup shows it.
  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == Combo()->view() ? 0 : -1;
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.expandable = true;
    state.expanded = Combo()->view()->isVisible();
    return state;
  }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  void doAction(const QString& name) override {
    if (name != showMenuAction() && name != pressAction()) {
      QAccessibleWidget::doAction(name);
    } else if (Combo()->view()->isVisible()) {
      Combo()->hidePopup();
    } else {
      Combo()->showPopup();
    }
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(int start, int end) const override {
    return Combo()->currentText().mid(start, end < 0 ? -1 : end - start);
  }
  int characterCount() const override { return static_cast<int>(Combo()->currentText().size()); }
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = *end = 0;
    return {};
  }
};

}  // namespace

QAccessibleInterface* AccessibleNamedComboFactory(const QString& className, QObject* object) {
  if (className != QLatin1String("QComboBox")) return nullptr;
  auto* const combo = qobject_cast<QComboBox*>(object);
  if (combo == nullptr || combo->isEditable() || combo->accessibleName().isEmpty()) {
    return nullptr;
  }
  return new AccessibleNamedCombo(combo);
}
