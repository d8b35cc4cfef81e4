#include "accessible_frame.h"

#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QApplication>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>

#include "accessible_leaf.h"
#include "framed_window.h"
#include "window_words.h"

namespace countdown::frame {
namespace {

// One of the caption bar's parts: drawn by the window, with no widget of its own.
class CaptionPart : public AccessibleLeaf {
 public:
  // In the caption bar's order.
  enum class Kind { Icon, Title, CloseButton };

  CaptionPart(FramedWindow* window, Kind kind) : window_(window), kind_(kind) {}

  bool isValid() const override { return !window_.isNull(); }
  QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(window_.data());
  }

  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !window_) return {};
    switch (kind_) {
      case Kind::Icon:
        return WindowMenuName();
      case Kind::Title:
        return window_->windowTitle();
      case Kind::CloseButton:
        return WindowWord("Close");
    }
    return {};
  }

  QRect rect() const override {
    if (!window_) return {};
    const QRect part = kind_ == Kind::Icon    ? window_->IconRect()
                       : kind_ == Kind::Title ? window_->TitleRect()
                                              : window_->CloseButtonRect();
    return {window_->mapToGlobal(part.topLeft()), part.size()};
  }
  QAccessible::Role role() const override {
    switch (kind_) {
      case Kind::Icon:
        return QAccessible::ButtonMenu;
      case Kind::Title:
        return QAccessible::StaticText;
      case Kind::CloseButton:
        return QAccessible::PushButton;
    }
    return QAccessible::NoRole;
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    const FramedWindow* const shown = window_.data();
    state.invisible = shown == nullptr || shown->isHidden();
    return state;
  }
  QStringList actionNames() const override {
    return kind_ == Kind::Title ? QStringList() : QStringList{Action()};
  }
  void doAction(const QString& name) override {
    if (name != Action() || !window_ || kind_ == Kind::Title) return;
    // After the call that asked for it has been answered: the menu runs a loop of its own, and
    // closing may end the program.
    if (kind_ == Kind::CloseButton) {
      QMetaObject::invokeMethod(window_.data(), &QWidget::close, Qt::QueuedConnection);
    } else {
      QMetaObject::invokeMethod(window_.data(), &FramedWindow::OpenWindowMenu,
                                Qt::QueuedConnection);
    }
  }

 private:
  const QString& Action() const {
    return kind_ == Kind::CloseButton ? pressAction() : showMenuAction();
  }

  QPointer<FramedWindow> window_;
  const Kind kind_;
};

// The window itself: a frame, not the filler a plain widget is, with the caption bar's parts as
// its first children: the window menu's button, the title, which a screen reader's review of the
// window reads, and the close button.
class AccessibleFrame : public QAccessibleWidget {
 public:
  explicit AccessibleFrame(FramedWindow* window)
      : QAccessibleWidget(window, QAccessible::Window),
        parts_{new CaptionPart(window, CaptionPart::Kind::Icon),
               new CaptionPart(window, CaptionPart::Kind::Title),
               new CaptionPart(window, CaptionPart::Kind::CloseButton)} {
    // The cache owns them, as it owns every interface, and hands out their ids.
    for (std::size_t i = 0; i < parts_.size(); ++i) {
      ids_[i] = QAccessible::registerAccessibleInterface(parts_[i]);
    }
  }
  ~AccessibleFrame() override {
    for (const QAccessible::Id id : ids_) QAccessible::deleteAccessibleInterface(id);
  }

  // Not active while a menu of its own is open: the toolkit announces the window's activation
  // again as the menu takes the keyboard, and a screen reader would read out the window after
  // the menu's first item.
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    if (QApplication::activePopupWidget() != nullptr) state.active = false;
    return state;
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
  static constexpr int Parts() { return 3; }

  std::array<QAccessibleInterface*, 3> parts_;
  std::array<QAccessible::Id, 3> ids_{};
};

}  // namespace

// A screen reader that comes in while a framed window has the keyboard (it starts after the
// program, or the toolkit's bridge to it is turned on a moment after the window was first
// activated) hears of nothing until the keyboard moves: it is told of the window's activation and
// of the focus once the bridge is on, as if the window had just been activated.
class LateScreenReader final : public QAccessible::ActivationObserver {
 public:
  void accessibilityActiveChanged(bool active) override {
    if (!active) return;
    // Once the bridge has taken the change in.
    QMetaObject::invokeMethod(
        qApp,
        [] {
          auto* const window = qobject_cast<FramedWindow*>(QApplication::activeWindow());
          if (window == nullptr || !QAccessible::isActive()) return;
          QAccessible::State activated;
          activated.active = true;
          QAccessibleStateChangeEvent activation(window, activated);
          QAccessible::updateAccessibility(&activation);
          if (QWidget* const focus = window->focusWidget()) {
            QAccessibleEvent focused(focus, QAccessible::Focus);
            QAccessible::updateAccessibility(&focused);
          }
        },
        Qt::QueuedConnection);
  }
};

void InstallAccessibility() {
  QAccessible::installFactory(AccessibleFrameFactory);
  static LateScreenReader observer;
  QAccessible::installActivationObserver(&observer);
}

void AnnounceTitle(FramedWindow* window) {
  if (!QAccessible::isActive()) return;
  QAccessibleInterface* const frame = QAccessible::queryAccessibleInterface(window);
  if (QAccessibleInterface* const title = frame != nullptr ? frame->child(1) : nullptr) {
    QAccessibleEvent renamed(title, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
  }
}

QAccessibleInterface* AccessibleFrameFactory(const QString& className, QObject* object) {
  if (className != QLatin1String(FramedWindow::staticMetaObject.className())) return nullptr;
  auto* const window = qobject_cast<FramedWindow*>(object);
  return window != nullptr ? new AccessibleFrame(window) : nullptr;
}

}  // namespace countdown::frame
