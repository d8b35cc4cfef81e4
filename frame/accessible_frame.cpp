#include "accessible_frame.h"

#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>

#include "framed_window.h"

namespace countdown::frame {
namespace {

// One of the caption bar's parts: drawn by the window, with no widget of its own.
class CaptionPart : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  enum class Kind { Icon, CloseButton };

  CaptionPart(FramedWindow* window, Kind kind) : window_(window), kind_(kind) {}

  bool isValid() const override { return !window_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(window_.data());
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name) return {};
    return kind_ == Kind::CloseButton ? FramedWindow::tr("Close") : FramedWindow::tr("Window menu");
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!window_) return {};
    const QRect part =
        kind_ == Kind::CloseButton ? window_->CloseButtonRect() : window_->IconRect();
    return {window_->mapToGlobal(part.topLeft()), part.size()};
  }
  QAccessible::Role role() const override {
    return kind_ == Kind::CloseButton ? QAccessible::PushButton : QAccessible::ButtonMenu;
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    const FramedWindow* const shown = window_.data();
    state.invisible = shown == nullptr || shown->isHidden();
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }

  QStringList actionNames() const override { return {Action()}; }
  void doAction(const QString& name) override {
    if (name != Action() || !window_) return;
    // After the call that asked for it has been answered: the menu runs a loop of its own, and
    // closing may end the program.
    if (kind_ == Kind::CloseButton) {
      QMetaObject::invokeMethod(window_.data(), &QWidget::close, Qt::QueuedConnection);
    } else {
      QMetaObject::invokeMethod(window_.data(), &FramedWindow::OpenWindowMenu,
                                Qt::QueuedConnection);
    }
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  const QString& Action() const {
    return kind_ == Kind::CloseButton ? pressAction() : showMenuAction();
  }

  QPointer<FramedWindow> window_;
  const Kind kind_;
};

// The window itself: a frame, not the filler a plain widget is, with the caption bar's parts as
// its first children.
class AccessibleFrame : public QAccessibleWidget {
 public:
  explicit AccessibleFrame(FramedWindow* window)
      : QAccessibleWidget(window, QAccessible::Window),
        parts_{new CaptionPart(window, CaptionPart::Kind::Icon),
               new CaptionPart(window, CaptionPart::Kind::CloseButton)} {
    // The cache owns them, as it owns every interface, and hands out their ids.
    for (std::size_t i = 0; i < parts_.size(); ++i) {
      ids_[i] = QAccessible::registerAccessibleInterface(parts_[i]);
    }
  }
  ~AccessibleFrame() override {
    for (const QAccessible::Id id : ids_) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override { return Parts() + QAccessibleWidget::childCount(); }
  QAccessibleInterface* child(int index) const override {
    if (index >= 0 && index < Parts()) return parts_[static_cast<std::size_t>(index)];
    return QAccessibleWidget::child(index - Parts());
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < Parts(); ++i) {
      if (parts_[static_cast<std::size_t>(i)] == child) return i;
    }
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? index : index + Parts();
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    for (QAccessibleInterface* part : parts_) {
      if (part->rect().contains(x, y)) return part;
    }
    return QAccessibleWidget::childAt(x, y);
  }

 private:
  static constexpr int Parts() { return 2; }

  std::array<QAccessibleInterface*, 2> parts_;
  std::array<QAccessible::Id, 2> ids_{};
};

}  // namespace

QAccessibleInterface* AccessibleFrameFactory(const QString& className, QObject* object) {
  if (className != QLatin1String(FramedWindow::staticMetaObject.className())) return nullptr;
  auto* const window = qobject_cast<FramedWindow*>(object);
  return window != nullptr ? new AccessibleFrame(window) : nullptr;
}

}  // namespace countdown::frame
