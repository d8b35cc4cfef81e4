#include "fmain.h"

#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>

#include "data/icons/countdown3000.xpm"
#include "runtime/run_time_error.h"
#include "runtime/window_frame.h"
#include "window/twips.h"

namespace geometry = countdown::geometry;
using countdown::Twips;
using countdown::runtime::RunHandler;

namespace {
// A client area this high shows no more of the combo box than its top edge.
constexpr int kComboEdgeHeight = 2;
}  // namespace

fMain::fMain(Clock clock)
    : Combo(new QComboBox(this)), Timer(new QTimer(this)), clock_(std::move(clock)) {
  // Close and the window menu, and minimize; no maximize, since the width never changes.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowIcon(QIcon(QPixmap(countdown3000_xpm)));

  const Twips twips(screen());
  resize(twips.ToPixels(geometry::kCreatedClientArea.width),
         twips.ToPixels(geometry::kCreatedClientArea.height));

  // A list-only combo box: the user can only pick one of the entries, never leave it empty.
  Combo->setEditable(false);
  // Collapsed to its title bar, the window shows at most the combo box's top edge. The combo box
  // is first painted once more of it shows, so that its labels' fonts are only looked up and
  // loaded if the window is ever expanded. It keeps the keyboard focus all the same.
  Combo->setUpdatesEnabled(false);
  Combo->setGeometry(twips.ToPixels(geometry::kCombo.left), twips.ToPixels(geometry::kCombo.top),
                     twips.ToPixels(geometry::kCombo.width),
                     twips.ToPixels(geometry::kCombo.height));
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
  if (windowTitle() != caption) setWindowTitle(caption);
}

// Puts the corner of the window where the corner of the window as created, centred on the
// screen, would be; then collapses it to its title bar.
void fMain::PlaceWindow() {
  // Ask the window manager now which frame it will draw: the window is measured by its outer
  // edges, and it should open at its final place and size, not jump there once it is shown.
  winId();
  frameAwaited_ = !countdown::runtime::RequestFrameExtents(*this, std::chrono::milliseconds(500));
  const QMargins frame = countdown::runtime::FrameExtents(*this);
  const Twips twips(screen());
  const QRect area = screen()->geometry();
  const geometry::Size outer = OuterSize(frame);
  const std::int32_t left = geometry::CentredEdge(twips.FromPixels(area.width()), outer.width);
  const std::int32_t top = geometry::CentredEdge(twips.FromPixels(area.height()), outer.height);
  // The client area goes inside the frame; setGeometry places it whatever the toolkit itself
  // knows of the frame by now.
  setGeometry(QRect(QPoint(area.left() + twips.ToPixels(left) + frame.left(),
                           area.top() + twips.ToPixels(top) + frame.top()),
                    size()));
  SetOuterSize({outer.width, geometry::kMinHeight}, frame);
}

void fMain::ApplySizeRules() {
  // Minimized, maximized or full screen, the window manager owns the size; the rules take over
  // again when the window is restored.
  if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;

  // Tell the window manager the same bounds, so that a drag stops at them.
  const QMargins frame = countdown::runtime::FrameExtents(*this);
  setMinimumSize(ClientSizeFor({geometry::kWidth, geometry::kMinHeight}, frame));
  setMaximumSize(ClientSizeFor({geometry::kWidth, geometry::kMaxHeight}, frame));
  ruledSize_ = geometry::RuledSize(OuterSize(frame));
  SetOuterSize(ruledSize_, frame);
}

void fMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  RunHandler([this] { Form_Resize(); });
  if (!Combo->updatesEnabled() && height() > kComboEdgeHeight) Combo->setUpdatesEnabled(true);
}

bool fMain::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  // A window manager that could not tell the frame in advance publishes it once it frames the
  // window: the window keeps the outer size it was given, and the client area gives way. Later
  // frame changes (a maximized window loses its borders) come with resize events of their own.
  if (frameAwaited_ && countdown::runtime::IsFrameChange(eventType, message)) {
    frameAwaited_ = false;
    RunHandler([this] {
      SetOuterSize(ruledSize_, countdown::runtime::FrameExtents(*this));
      Form_Resize();
    });
  }
  return QWidget::nativeEvent(eventType, message, result);
}

geometry::Size fMain::OuterSize(const QMargins& frame) const {
  const Twips twips(screen());
  return {twips.FromPixels(width() + frame.left() + frame.right()),
          twips.FromPixels(height() + frame.top() + frame.bottom())};
}

QSize fMain::ClientSizeFor(geometry::Size outer, const QMargins& frame) const {
  // Where the frame alone is larger than the size asked for, the nearest size is a client area
  // of one pixel.
  const Twips twips(screen());
  return {std::max(1, twips.ToPixels(outer.width) - frame.left() - frame.right()),
          std::max(1, twips.ToPixels(outer.height) - frame.top() - frame.bottom())};
}

void fMain::SetOuterSize(geometry::Size outer, const QMargins& frame) {
  const QSize client = ClientSizeFor(outer, frame);
  if (client == size()) {
    lastRequest_.reset();
    return;
  }
  const std::pair request{size(), client};
  if (request == lastRequest_) return;  // asked before, and the window manager said no
  lastRequest_ = request;
  resize(client);
}
