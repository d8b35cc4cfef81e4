#include "fmain.h"

#include <QAccessible>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QResizeEvent>
#include <QResource>
#include <QScreen>
#include <QSignalBlocker>
#include <QString>
#include <QTimer>
#include <array>
#include <charconv>
#include <chrono>

#include "data/icons/countdown3000.xpm"
#include "runtime/local_clock.h"
#include "runtime/run_time_error.h"
#include "window/accessible_combo.h"
#include "window/twips.h"

namespace geometry = countdown::geometry;
using countdown::Twips;
using countdown::runtime::RunHandler;

namespace {
// A client area this high shows no more of the combo box than its top edge.
constexpr int kComboEdgeHeight = 1;
}  // namespace

fMain::fMain(Clock clock)
    : Combo(new QComboBox(ClientArea())), Timer(new QTimer(this)), clock_(std::move(clock)) {
  // The 16 x 16 picture, and for screens of more than 96 dpi the renderings the build makes of
  // the scalable icon, so that the caption's icon is sharp at every scale. Those are stored as bare
  // pixels: an image file would have Qt list every image format plugin it has before reading it.
  QIcon icon{QPixmap(countdown3000_xpm)};
  for (const int side : {24, 32, 48}) {
    const QResource pixels(QStringLiteral(":/icons/%1.rgba").arg(side));
    const QByteArray bytes = pixels.uncompressedData();
    if (bytes.size() == qsizetype{side} * side * 4) {
      const QImage image(reinterpret_cast<const uchar*>(bytes.constData()), side, side, side * 4,
                         QImage::Format_RGBA8888_Premultiplied);
      icon.addPixmap(
          QPixmap::fromImage(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    }
  }
  setWindowIcon(icon);

  const Twips twips(screen());
  SetFrameMetrics(countdown::FrameMetricsIn(twips));
  resize(twips.ToPixels(geometry::kCreatedWindow.width),
         twips.ToPixels(geometry::kCreatedWindow.height));

  // A list-only combo box: the user can only pick one of the entries, never leave it empty.
  Combo->setEditable(false);
  // Its name for a screen reader: "unit". Its value is the label picked.
  static const bool namedCombo = [] {
    QAccessible::installFactory(AccessibleNamedComboFactory);
    return true;
  }();
  (void)namedCombo;
  Combo->setAccessibleName(QStringLiteral("単位"));
  // Collapsed to its title bar, the window shows at most the combo box's top edge. The combo box
  // is first painted once more of it shows, so that its labels' fonts are only looked up and
  // loaded if the window is ever expanded. It keeps the keyboard focus all the same.
  Combo->setUpdatesEnabled(false);
  Combo->setGeometry(twips.ToPixels(geometry::kCombo.left), twips.ToPixels(geometry::kCombo.top),
                     twips.ToPixels(geometry::kCombo.width),
                     twips.ToPixels(geometry::kCombo.height));
  connect(Combo, &QComboBox::currentIndexChanged, this,
          [this] { RunHandler([this] { Combo_Click(); }); });

  // Once a second, each tick just after the system clock's second changes, so that every unit
  // changes as the wall clock crosses its boundary. Re-armed on every tick, so a clock set by
  // hand or a resume from suspend is caught up with at the next one.
  Timer->setSingleShot(true);
  Timer->setTimerType(Qt::PreciseTimer);
  connect(Timer, &QTimer::timeout, this, [this] {
    RunHandler([this] { Timer_Timer(); });
    if (!countdown::runtime::Stopped()) Timer->start(countdown::runtime::UntilNextSecond());
  });
  Timer->start(countdown::runtime::UntilNextSecond());
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
  PlaceWindow();
  RefreshCaption();
}

void fMain::Form_Resize() { ApplySizeRules(); }

void fMain::Combo_Click() { RefreshCaption(); }

void fMain::Timer_Timer() { RefreshCaption(); }

void fMain::RefreshCaption() {
  const int position = Combo->currentIndex();
  const countdown::LocalDateTime now = clock_();
  const countdown::LocalDateTime target = countdown::TargetDate();
  const countdown::UnitEntry& unit = countdown::UnitAt(Units, position);
  const std::int64_t count = countdown::IntervalCount(
      unit.Interval, now, target, std::chrono::Sunday, countdown::FirstWeekOfYear::Jan1);
  // Plain digits, "-" when negative: to_chars never groups digits or follows the locale. The
  // title is only rewritten when its text changes, so that a count that stands still costs
  // neither an allocation nor a message to the window manager.
  std::array<char, 24> digits{};
  const auto end = std::to_chars(digits.begin(), digits.end(), count).ptr;
  const QLatin1String caption(digits.data(), end - digits.data());
  if (windowTitle() != caption) SetTitle(caption);
}

// Puts the corner of the window where the corner of the window as created, centred on the
// screen, would be; then collapses it to its caption bar. In device pixels, so that the corner is
// exact at every ratio of device pixels.
void fMain::PlaceWindow() {
  const Twips device = DeviceTwips();
  const QRect area = screen()->geometry();  // its corner in device pixels, its size in logical
  const QSizeF pixels = QSizeF(area.size()) * devicePixelRatio();
  const geometry::Size outer = OuterSize();
  const std::int32_t left = geometry::CentredEdge(device.FromPixels(pixels.width()), outer.width);
  const std::int32_t top = geometry::CentredEdge(device.FromPixels(pixels.height()), outer.height);
  MoveTo(area.topLeft() + QPoint(device.ToPixels(left), device.ToPixels(top)));
  height_ = geometry::kMinHeight;
  HoldSize();
}

void fMain::ApplySizeRules() {
  // Minimized, maximized or full screen, the window manager owns the size; the rules take over
  // again when the window is restored.
  if (SizedByWindowManager()) return;
  // A size given to the window on the monitor it is on, by a drag of its lower edge, by the
  // window manager or by another program, is ruled. Any other (the last monitor's, or the window
  // manager's before it has shown the window) leaves the height as it was, in twips.
  if (SizeIsOwn()) {
    height_ = geometry::RuledSize(OuterSize()).height;
    // A height of a limit's pixels is that limit: collapsed stays collapsed on every monitor, and
    // the combo box stays wholly uncovered.
    const Twips twips = DeviceTwips();
    for (const float limit : {geometry::kMinHeight, geometry::kMaxHeight}) {
      if (twips.ToPixels(height_) == twips.ToPixels(limit)) height_ = limit;
    }
  }
  HoldSize();
}

void fMain::HoldSize() {
  const Twips twips = DeviceTwips();
  const auto pixels = [&twips](float width, float height) {
    return QSize(twips.ToPixels(width), twips.ToPixels(height));
  };
  Hold(pixels(geometry::kWidth, height_), pixels(geometry::kWidth, geometry::kMinHeight),
       pixels(geometry::kWidth, geometry::kMaxHeight));
}

void fMain::Resized() {
  RunHandler([this] { Form_Resize(); });
}

bool fMain::focusNextPrevChild(bool) {
  // The combo box is the window's one control: Tab and Shift+Tab leave the keyboard with it, and
  // never move it into the list the combo box keeps closed.
  Combo->setFocus(Qt::TabFocusReason);
  return true;
}

void fMain::resizeEvent(QResizeEvent* event) {
  FramedWindow::resizeEvent(event);
  if (!Combo->updatesEnabled() && ClientArea()->height() > kComboEdgeHeight) {
    Combo->setUpdatesEnabled(true);
  }
}

void fMain::changeEvent(QEvent* event) {
  FramedWindow::changeEvent(event);
  // Restored from maximized or full screen, the window takes its own size again, though the
  // window manager may not resize it.
  if (event->type() == QEvent::WindowStateChange) RunHandler([this] { Form_Resize(); });
}

Twips fMain::DeviceTwips() const { return Twips::OfDevicePixels(screen(), devicePixelRatio()); }

geometry::Size fMain::OuterSize() const {
  const Twips twips = DeviceTwips();
  const QSize size = DeviceSize();
  return {twips.FromPixels(size.width()), twips.FromPixels(size.height())};
}
