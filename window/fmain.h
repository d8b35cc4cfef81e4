// The program's one window: its title bar shows the count from now to the year 3000 in the unit
// picked from the combo box under it.
#pragma once

#include <functional>
#include <vector>

#include "frame/framed_window.h"
#include "model/interval_count.h"
#include "model/units.h"
#include "window/geometry.h"
#include "window/twips.h"

class QComboBox;
class QTimer;

class fMain final : public countdown::frame::FramedWindow {
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
  void changeEvent(QEvent* event) override;
  void Resized() override;
  bool focusNextPrevChild(bool next) override;

 private:
  void RefreshCaption();
  void PlaceWindow();
  void ApplySizeRules();

  // Twips in the screen's device pixels.
  countdown::Twips DeviceTwips() const;
  // The window's outer size in twips: it draws its own frame, so that is the widget's size.
  countdown::geometry::Size OuterSize() const;
  // Has the frame hold the window kWidth wide and height_ high, between its limits, in the
  // pixels of the monitor it is on.
  void HoldSize();

  const Clock clock_;
  std::vector<countdown::UnitEntry> Units;
  // The window's height in twips, as the size rules last left it: collapsed, or as far as the
  // user has uncovered the combo box, on whichever monitor.
  float height_ = countdown::geometry::kMinHeight;
};
