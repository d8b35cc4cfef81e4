// The program's one window: its title bar shows the count from now to the year 3000 in the unit
// picked from the combo box under it.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "model/interval_count.h"
#include "model/units.h"

class QComboBox;
class QTimer;

class fMain final : public QWidget {
  Q_OBJECT

 public:
  // Where the window reads the present moment; the program uses the system's local clock.
  using Clock = std::function<countdown::LocalDateTime()>;

  explicit fMain(Clock clock);

  // Event handlers. The toolkit's signals reach them through the run-time layer, so an error in
  // one of them ends the program instead of unwinding through the event loop.
  void Form_Load();
  void Combo_Click();
  void Timer_Timer();

  QComboBox* const Combo;
  QTimer* const Timer;

 private:
  void RefreshCaption();

  const Clock clock_;
  std::vector<countdown::UnitEntry> Units;
};
