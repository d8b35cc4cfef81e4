#include "fmain.h"

#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <QSignalBlocker>
#include <QString>
#include <QTimer>
#include <chrono>
#include <utility>

#include "data/icons/countdown3000.xpm"
#include "runtime/run_time_error.h"

using countdown::runtime::RunHandler;

fMain::fMain(Clock clock)
    : Combo(new QComboBox(this)), Timer(new QTimer(this)), clock_(std::move(clock)) {
  setWindowIcon(QIcon(QPixmap(countdown3000_xpm)));

  // A list-only combo box: the user can only pick one of the entries, never leave it empty.
  Combo->setEditable(false);
  connect(Combo, &QComboBox::currentIndexChanged, this,
          [this] { RunHandler([this] { Combo_Click(); }); });

  Timer->setInterval(std::chrono::seconds(1));
  connect(Timer, &QTimer::timeout, this, [this] { RunHandler([this] { Timer_Timer(); }); });
  Timer->start();
}

void fMain::Form_Load() {
  {
    // While it fills, the combo box would select its first entry by itself. Nothing is selected
    // until the whole table is built; the selection below is the first one the handlers see.
    const QSignalBlocker fillQuietly(Combo);
    Units = countdown::BuildUnits(countdown::UnitSource, [this](const countdown::UnitEntry& row) {
      Combo->addItem(QString::fromUtf8(row.Label.data(), std::ssize(row.Label)));
    });
    Combo->setCurrentIndex(-1);
  }
  Combo->setCurrentIndex(0);  // raises Combo_Click, which already refreshes the caption
  RefreshCaption();
}

void fMain::Combo_Click() { RefreshCaption(); }

void fMain::Timer_Timer() { RefreshCaption(); }

void fMain::RefreshCaption() {
  const int position = Combo->currentIndex();
  const countdown::LocalDateTime now = clock_();
  const countdown::LocalDateTime target = countdown::TargetDate();
  const countdown::UnitEntry& unit = countdown::UnitAt(Units, position);
  const std::int64_t count = countdown::IntervalCount(
      unit.Interval, now, target, std::chrono::Sunday, countdown::FirstWeekOfYear::Jan1);
  // QString::number never groups digits or follows the locale: plain digits, "-" when negative.
  setWindowTitle(QString::number(count));
}
