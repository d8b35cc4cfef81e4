#include "accessible_combo.h"

#include <QAbstractItemView>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QFontMetrics>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <vector>

#include "frame/accessible_leaf.h"

namespace {

// One of the combo box's entries, whether its list is open or not, as a GTK combo box offers its
// menu's items: a screen reader moves to the entry picked and reads it out, and may pick one.
class Entry : public countdown::frame::AccessibleLeaf {
 public:
  Entry(QComboBox* combo, int index) : combo_(combo), index_(index) {}

  bool isValid() const override { return Combo() != nullptr; }
  QWindow* window() const override {
    const QComboBox* const combo = Combo();
    return combo != nullptr ? combo->window()->windowHandle() : nullptr;
  }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(combo_.data());
  }

  QString text(QAccessible::Text t) const override {
    const QComboBox* const combo = Combo();
    return t == QAccessible::Name && combo != nullptr ? combo->itemText(index_) : QString();
  }
  // Where the combo box shows it, while it is the one picked.
  QRect rect() const override {
    const QComboBox* const combo = Picked();
    return combo != nullptr ? QRect(combo->mapToGlobal(QPoint(0, 0)), combo->size()) : QRect();
  }
  QAccessible::Role role() const override { return QAccessible::MenuItem; }
  QAccessible::State state() const override {
    QAccessible::State state;
    state.focusable = state.selectable = true;
    const QComboBox* const combo = Picked();
    state.selected = combo != nullptr;
    state.focused = combo != nullptr && combo->hasFocus();
    state.invisible = combo == nullptr || !combo->isVisible();
    return state;
  }

  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (QComboBox* const combo = Combo(); combo != nullptr && name == pressAction()) {
      combo->setCurrentIndex(index_);
    }
  }

 private:
  // The combo box while it has this entry, and while it is the one picked.
  QComboBox* Combo() const {
    QComboBox* const combo = combo_.data();
    return combo != nullptr && index_ < combo->count() ? combo : nullptr;
  }
  const QComboBox* Picked() const {
    const QComboBox* const combo = Combo();
    return combo != nullptr && combo->currentIndex() == index_ ? combo : nullptr;
  }

  QPointer<QComboBox> combo_;
  const int index_;
};

// Its value is offered as a read-only text too: the bridge to AT-SPI passes on no other value
// that is not a number.
class AccessibleNamedCombo : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit AccessibleNamedCombo(QComboBox* combo)
      : QAccessibleWidget(combo, QAccessible::ComboBox) {
    // Opening the list, as Qt's own offers it.
    addControllingSignal(QStringLiteral("activated(int)"));
    // The entry picked takes the screen reader's focus while the combo box has the keyboard's,
    // so that it is read out as a GTK combo box's is: the bridge to AT-SPI tells a combo box's
    // new value only as a change of its name and of a selection it offers no way to read.
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [combo](int index) {
      if (!QAccessible::isActive() || !combo->hasFocus()) return;
      QAccessibleInterface* const self = QAccessible::queryAccessibleInterface(combo);
      if (QAccessibleInterface* const entry = self != nullptr ? self->child(index) : nullptr) {
        QAccessibleEvent focus(entry, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
      }
    });
  }
  ~AccessibleNamedCombo() override {
    for (const QAccessible::Id id : entries_) QAccessible::deleteAccessibleInterface(id);
  }

  QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Combo()->currentText();
    return QAccessibleWidget::text(t);  // the name is the widget's accessible name
  }

  // Its entries, then the list, as the popup shows it.
  int childCount() const override { return Combo()->count() + 1; }
  QAccessibleInterface* child(int index) const override {
    if (index == Combo()->count()) return QAccessible::queryAccessibleInterface(Combo()->view());
    if (index < 0 || index > Combo()->count()) return nullptr;
    // Made as they are first asked for; the cache owns them, as it owns every interface.
    while (entries_.size() <= static_cast<std::size_t>(index)) {
      entries_.push_back(QAccessible::registerAccessibleInterface(
          new Entry(Combo(), static_cast<int>(entries_.size()))));
    }
    return QAccessible::accessibleInterface(entries_[static_cast<std::size_t>(index)]);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr) return -1;
    if (child->object() == Combo()->view()) return Combo()->count();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (QAccessible::accessibleInterface(entries_[i]) == child) return static_cast<int>(i);
    }
    return -1;
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
  // Where the label stands in the combo box, as a screen reader's review of the screen finds it.
  QRect characterRect(int offset) const override {
    const QComboBox* const combo = Combo();
    const QString label = combo->currentText();
    if (offset < 0 || offset >= label.size()) return {};
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.currentText = label;
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    const QFontMetrics metrics(combo->font());
    const QPoint at(field.left() + metrics.horizontalAdvance(label.left(offset)), field.top());
    return {combo->mapToGlobal(at),
            QSize(metrics.horizontalAdvance(label.at(offset)), field.height())};
  }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = *end = 0;
    return {};
  }

 private:
  mutable std::vector<QAccessible::Id> entries_;
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
