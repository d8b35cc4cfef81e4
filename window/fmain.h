// The program's one window: its title bar shows the count from now to the year 3000 in the unit
// picked from the combo box under it.
#pragma once

#include <QMargins>
#include <QSize>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "model/interval_count.h"
#include "model/units.h"
#include "window/geometry.h"

class QComboBox;
class QTimer;

class fMain final : public QWidget {
  Q_OBJECT

 public:
  // Where the window reads the present moment; the program uses the system's local clock.
  using Clock = std::function<countdown::LocalDateTime()>;

  explicit fMain(Clock clock);

  // Event handlers. The toolkit's events reach them through the run-time layer, so an error in
  // one of them ends the program instead of unwinding through the event loop.
  void Form_Load();
  void Form_Resize();
  void Combo_Click();
  void Timer_Timer();

  QComboBox* const Combo;
  QTimer* const Timer;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  void RefreshCaption();
  void PlaceWindow();
  void ApplySizeRules();

  // The window's outer size in twips, with the frame the window manager draws around it, and
  // the client area that gives a window such an outer size.
  countdown::geometry::Size OuterSize(const QMargins& frame) const;
  QSize ClientSizeFor(countdown::geometry::Size outer, const QMargins& frame) const;
  void SetOuterSize(countdown::geometry::Size outer, const QMargins& frame);

  const Clock clock_;
  std::vector<countdown::UnitEntry> Units;

  // Whether the window manager has yet to tell which frame it draws around the window.
  bool frameAwaited_ = false;
  // The outer size the size rules last gave the window.
  countdown::geometry::Size ruledSize_{};
  // The last resize asked for, from which client size to which. A window manager may answer with
  // another size; the same request is not repeated, so the two never argue in a loop.
  std::optional<std::pair<QSize, QSize>> lastRequest_;
};
