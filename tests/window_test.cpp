// The window on Qt's offscreen platform, with a clock the test sets.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <system_error>

#include "frame/caption_colours.h"
#include "runtime/local_clock.h"
#include "runtime/run_time_error.h"
#include "window/fmain.h"
#include "window/geometry.h"
#include "window/twips.h"

using countdown::LocalDateTime;

Q_DECLARE_METATYPE(countdown::frame::FrameMetrics)

class WindowTest : public QObject {
  Q_OBJECT

  LocalDateTime now_{2026, 12, 8, 5, 30, 15};
  bool clockFails_ = false;
  int clockDelayMs_ = 0;  // how long reading the clock takes

  fMain::Clock clock() {
    return [this] {
      if (clockDelayMs_ > 0) QThread::msleep(static_cast<unsigned long>(clockDelayMs_));
      if (clockFails_) {
        throw std::system_error(EOVERFLOW, std::generic_category(),
                                "The system clock's time cannot be converted to local time");
      }
      return now_;
    };
  }

  static bool loadAndShow(fMain& window) {
    window.Form_Load();
    window.show();
    return QTest::qWaitForWindowExposed(&window);
  }

 private slots:
  void initTestCase() {
    // The window's words in English, whatever the language of whoever runs the test.
    QLocale::setDefault(QLocale(QLocale::English));
  }

  void init() {
    now_ = {2026, 12, 8, 5, 30, 15};
    clockFails_ = false;
    clockDelayMs_ = 0;
  }

  void loadFillsTheListAndShowsSeconds() {
    fMain window(clock());
    // Armed for just after the clock's next second, and again on every tick.
    QVERIFY(window.Timer->isActive());
    QVERIFY(window.Timer->isSingleShot());
    QCOMPARE(window.Timer->timerType(), Qt::PreciseTimer);
    QVERIFY2(window.Timer->interval() >= 1 && window.Timer->interval() <= 1001,
             qPrintable(QString::number(window.Timer->interval())));
    QSignalSpy clicks(window.Combo, &QComboBox::currentIndexChanged);
    window.Form_Load();

    QStringList labels;
    for (int i = 0; i < window.Combo->count(); ++i) labels << window.Combo->itemText(i);
    QCOMPARE(labels, QStringList({QStringLiteral("\u79D2"), QStringLiteral("\u5206"),
                                  QStringLiteral("\u6642"), QStringLiteral("\u9031"),
                                  QStringLiteral("\u65E5"), QStringLiteral("\u6708"),
                                  QStringLiteral("\u5E74")}));
    QCOMPARE(window.Combo->currentIndex(), 0);
    QCOMPARE(clicks.count(), 1);  // the selection of seconds, and nothing while filling
    QCOMPARE(window.windowTitle(), QStringLiteral("30706972185"));
    // Renderings for screens of more than 96 dpi, besides the 16 x 16 picture.
    const QList<QSize> icons = window.windowIcon().availableSizes();
    QVERIFY(icons.contains(QSize(16, 16)) && icons.contains(QSize(24, 24)) &&
            icons.contains(QSize(32, 32)));
  }

  void pickingAUnitRefreshesAtOnce_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<LocalDateTime>("now");
    QTest::addColumn<QString>("title");
    const LocalDateTime dec2026{2026, 12, 8, 5, 30, 15};
    const LocalDateTime jun3001{3001, 6, 1, 0, 0, 0};
    QTest::newRow("minutes") << 1 << dec2026 << QStringLiteral("511782870");
    QTest::newRow("hours") << 2 << dec2026 << QStringLiteral("8529715");
    QTest::newRow("weeks") << 3 << dec2026 << QStringLiteral("50772");
    // Weeks begin on Sunday: this Sunday is not counted, the next Monday would be.
    QTest::newRow("weeks on a Sunday")
        << 3 << LocalDateTime{2026, 12, 13, 12, 0, 0} << QStringLiteral("50771");
    QTest::newRow("days") << 4 << dec2026 << QStringLiteral("355405");
    QTest::newRow("months") << 5 << dec2026 << QStringLiteral("11677");
    QTest::newRow("years") << 6 << dec2026 << QStringLiteral("974");
    QTest::newRow("weeks after 3000") << 3 << jun3001 << QStringLiteral("-74");
    QTest::newRow("years after 3000") << 6 << jun3001 << QStringLiteral("-1");
  }

  void pickingAUnitRefreshesAtOnce() {
    QFETCH(int, position);
    QFETCH(LocalDateTime, now);
    QFETCH(QString, title);
    fMain window(clock());
    window.Form_Load();
    now_ = now;
    window.Combo->setCurrentIndex(position);
    QCOMPARE(window.windowTitle(), title);
  }

  void keyboardWalksTheList() {
    fMain window(clock());
    QVERIFY(loadAndShow(window));
    QTest::keyClick(window.Combo, Qt::Key_End);
    QCOMPARE(window.windowTitle(), QStringLiteral("974"));
    QTest::keyClick(window.Combo, Qt::Key_Up);
    QCOMPARE(window.windowTitle(), QStringLiteral("11677"));
  }

  void timerTicksFollowTheClock() {
    fMain window(clock());
    window.Form_Load();
    const auto tick = [&](LocalDateTime t, const QString& title) {
      now_ = t;
      QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), title, 2500);
    };
    tick({2999, 12, 31, 23, 59, 59}, QStringLiteral("1"));
    tick({3000, 1, 1, 0, 0, 0}, QStringLiteral("0"));
    tick({3000, 1, 1, 0, 0, 1}, QStringLiteral("-1"));
    // A late tick is caught up with: the next one still comes just after the next second.
    clockDelayMs_ = 300;
    tick({3000, 1, 1, 0, 0, 2}, QStringLiteral("-2"));
    QVERIFY2(window.Timer->remainingTime() <= 750,
             qPrintable(QString::number(window.Timer->remainingTime())));
    // Each tick is armed for just past the system clock's next second, never on it: a timer
    // that fires on the boundary may read the clock a moment before it and show a count a second
    // late.
    using namespace std::chrono;
    for (int tries = 0; tries < 3; ++tries) {
      const auto before = system_clock::now();
      const milliseconds wait = countdown::runtime::UntilNextSecond();
      const auto after = system_clock::now();
      const auto second = ceil<seconds>(before);
      if (second != ceil<seconds>(after)) continue;  // the second turned meanwhile
      QVERIFY2(before + wait >= second + microseconds(900) - (after - before) &&
                   after + wait <= second + milliseconds(2) + (after - before),
               qPrintable(
                   QString::number(duration<double, std::milli>(before + wait - second).count())));
    }
  }

  void opensCollapsedAtTheCornerOfTheCreatedWindow() {
    fMain window(clock());
    QVERIFY(loadAndShow(window));
    // The window draws its own frame: its outer edges are its own.
    QCOMPARE(window.frameGeometry(), window.geometry());
    const QRect screen = window.screen()->geometry();
    const int left =
        countdown::geometry::CentredEdge(static_cast<float>(screen.width() * 15), 4800);
    const int top =
        countdown::geometry::CentredEdge(static_cast<float>(screen.height() * 15), 3600);
    QCOMPARE(window.geometry(), QRect(screen.left() + left / 15, screen.top() + top / 15, 115, 27));
    // Collapsed, the client area under the caption bar is empty, and the combo box has the
    // keyboard all the same.
    QCOMPARE(window.ClientArea()->geometry(), QRect(4, 23, 107, 0));
    QCOMPARE(window.Combo->geometry(), QRect(0, -1, 107, 20));
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), window.Combo);
  }

  // Run at Qt's scale factor 1.5 too (window_test_at_1.5): the device pixels the size rules give.
  void deviceSizesFollowTheRatio() {
    fMain window(clock());
    QVERIFY(loadAndShow(window));
    const qreal ratio = window.devicePixelRatio();
    const auto pixels = [ratio](double twips) {
      return static_cast<int>(std::lround(twips / 15 * ratio));
    };
    QCOMPARE(window.DeviceSize(), QSize(pixels(1725), pixels(405)));
    // The lower edge stops at the combo box's bottom, in the same pixels.
    window.ResizeTo(QSize(pixels(1725), pixels(1000)));
    QTRY_COMPARE(window.DeviceSize(), QSize(pixels(1725), pixels(690)));
  }

  void frameMetricsRoundToTheNearestPixel_data() {
    QTest::addColumn<double>("dpi");
    QTest::addColumn<countdown::frame::FrameMetrics>("metrics");
    QTest::addColumn<QSize>("collapsed");
    QTest::addColumn<int>("expanded");
    QTest::newRow("96 dpi") << 96.0 << countdown::frame::FrameMetrics{4, 19, 16, {16, 14}, 2}
                            << QSize(115, 27) << 46;
    // 1725 twips are 143.75 pixels, 60 are 5, 285 are 23.75.
    QTest::newRow("120 dpi") << 120.0 << countdown::frame::FrameMetrics{5, 24, 20, {20, 18}, 3}
                             << QSize(144, 34) << 58;
    QTest::newRow("192 dpi") << 192.0 << countdown::frame::FrameMetrics{8, 38, 32, {32, 28}, 4}
                             << QSize(230, 54) << 92;
  }

  void frameMetricsRoundToTheNearestPixel() {
    QFETCH(double, dpi);
    QFETCH(countdown::frame::FrameMetrics, metrics);
    QFETCH(QSize, collapsed);
    QFETCH(int, expanded);
    const countdown::Twips twips(dpi);
    QCOMPARE(countdown::FrameMetricsIn(twips), metrics);
    namespace geometry = countdown::geometry;
    QCOMPARE(QSize(twips.ToPixels(geometry::kWidth), twips.ToPixels(geometry::kMinHeight)),
             collapsed);
    QCOMPARE(twips.ToPixels(geometry::kMaxHeight), expanded);
  }

  void captionShowsTheCountWholeAndLarge_data() {
    QTest::addColumn<QString>("count");
    for (int digits = 1; digits <= 13; ++digits) {
      QTest::addRow("%d digits", digits) << QString(digits, QLatin1Char('8'));
    }
    QTest::newRow("a minus sign and 12 digits") << QStringLiteral("-189354801605");
  }

  void captionShowsTheCountWholeAndLarge() {
    QFETCH(QString, count);
    fMain window(clock());
    QVERIFY(loadAndShow(window));
    window.setWindowTitle(count);
    const QFont font = window.CaptionFont();
    QVERIFY(font.bold());
    // Nothing cut short: the count fits with every digit as the widest.
    const auto width = [&window, &count](const QFont& f) {
      const QFontMetricsF metrics(f, &window);
      qreal widest = 0;
      for (char digit = '0'; digit <= '9'; ++digit) {
        widest = std::max(widest, metrics.horizontalAdvance(QString(count).replace(
                                      QRegularExpression(QStringLiteral("\\d")), QChar(digit))));
      }
      return widest;
    };
    const int room = window.TitleRect().width();
    QVERIFY2(width(font) <= room, qPrintable(QString::number(width(font))));
    // As large as it can be: the title font where it fits; narrowed before it is made smaller;
    // one pixel more would not fit.
    QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    title.setBold(true);
    // Run with a title font of digits of different widths too (window_test_cantarell).
    if (const QByteArray family = qgetenv("COUNTDOWN3000_TITLE_FAMILY"); !family.isEmpty()) {
      QCOMPARE(QFontInfo(title).family(), QString::fromUtf8(family));
    }
    if (width(title) <= room) {
      QCOMPARE(font.stretch(), int(QFont::Unstretched));
      QCOMPARE(QFontInfo(font).pixelSize(), QFontInfo(title).pixelSize());
    } else if (QFontInfo(font).pixelSize() < QFontInfo(title).pixelSize()) {
      QCOMPARE(font.stretch(), int(QFont::Condensed));
      QFont larger = font;
      larger.setPixelSize(QFontInfo(font).pixelSize() + 1);
      QVERIFY(width(larger) > room);
    } else {
      QCOMPARE(font.stretch(), int(QFont::Condensed));
    }
    // Drawn as its text would be, pixel for pixel, though its glyphs were laid out ahead.
    const QImage drawn = window.grab(window.TitleRect()).toImage();
    const countdown::frame::CaptionColours colours =
        countdown::frame::CaptionColoursOf(window.palette(), window.isActiveWindow());
    QImage text(drawn.size(), drawn.format());
    text.fill(colours.background);
    QPainter painter(&text);
    QFont inPixels = font;  // an image's points are not the screen's
    inPixels.setPixelSize(QFontInfo(font).pixelSize());
    painter.setFont(inPixels);
    painter.setPen(colours.text);
    painter.drawText(QRectF(QPointF(), text.deviceIndependentSize()),
                     Qt::AlignLeft | Qt::AlignVCenter, count);
    painter.end();
    QCOMPARE(drawn, text);
  }

  void captionTextReadsInEveryPalette_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QColor>("text");
    const auto palette = [](QColor caption, QColor captionText, QColor texts, QColor bright) {
      QPalette p;
      for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        // The groups' own shades, so that one taken for the other is seen.
        p.setColor(group, QPalette::Highlight,
                   group == QPalette::Active ? caption : caption.darker(130));
        p.setColor(group, QPalette::Button, caption.lighter(115));
        p.setColor(group, QPalette::HighlightedText, captionText);
        p.setColor(group, QPalette::WindowText, captionText);
        p.setColor(group, QPalette::Text, texts);
        p.setColor(group, QPalette::ButtonText, texts);
        p.setColor(group, QPalette::BrightText, bright);
      }
      return p;
    };
    const QColor cream(255, 255, 200), grey(150, 150, 150), light(252, 252, 252);
    QTest::newRow("the palette's pair reads")
        << palette(QColor(0, 0, 128), cream, Qt::black, Qt::black) << true << cream;
    // Qt's own: white on its blue highlight is 3.7:1.
    QTest::newRow("another of its colours reads")
        << palette(QColor(48, 140, 198), Qt::white, Qt::black, Qt::white) << true
        << QColor(Qt::black);
    QTest::newRow("inactive, on a dark caption")
        << palette(QColor(43, 47, 51), QColor(35, 38, 41), light, grey) << false << light;
    QTest::newRow("none of its colours reads")
        << palette(QColor(119, 119, 119), grey, grey, grey) << true << QColor(Qt::black);
  }

  void captionTextReadsInEveryPalette() {
    QFETCH(QPalette, palette);
    QFETCH(bool, active);
    QFETCH(QColor, text);
    const countdown::frame::CaptionColours colours =
        countdown::frame::CaptionColoursOf(palette, active);
    QCOMPARE(colours.text, text);
    QVERIFY(countdown::frame::ContrastRatio(colours.text, colours.background) >= 4.5);
    // Active, the caption is highlighted; inactive, it is a shade of the inactive buttons.
    QCOMPARE(colours.background,
             active ? palette.color(QPalette::Active, QPalette::Highlight)
                    : palette.color(QPalette::Inactive, QPalette::Button).darker(115));
  }

  void captionBarMovesResizesAndCloses() {
    fMain window(clock());
    QVERIFY(loadAndShow(window));
    const QRect start = window.geometry();
    // Dragging the caption moves the window by what the mouse moved (by hand here: the
    // offscreen platform has no window manager to take the drag).
    // QTest places the mouse in window coordinates, which move with the window.
    const auto at = [&window](QPoint global) { return window.mapFromGlobal(global); };
    const QPoint caption = window.TitleRect().center();
    const QPoint pressed = window.mapToGlobal(caption);
    QTest::mousePress(&window, Qt::LeftButton, {}, caption);
    QTest::mouseMove(&window, at(pressed + QPoint(5, 3)));
    QTest::mouseMove(&window, at(pressed + QPoint(30, 20)));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, at(pressed + QPoint(30, 20)));
    QTRY_COMPARE(window.geometry(), start.translated(30, 20));
    // The lower edge stops at the combo box's bottom, and a double click on the caption and a
    // drag of a side border change nothing.
    const QRect moved = window.geometry();
    const QPoint edge(50, window.height() - 2);
    QTest::mousePress(&window, Qt::LeftButton, {}, edge);
    QTest::mouseMove(&window, edge + QPoint(0, 10));
    QTest::mouseMove(&window, edge + QPoint(0, 12));  // as far as the pointer from the press
    QCOMPARE(window.height(), 27 + 12);
    QTest::mouseMove(&window, edge + QPoint(0, 60));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, edge + QPoint(0, 60));
    QTRY_COMPARE(window.geometry(), QRect(moved.topLeft(), QSize(115, 46)));
    QTest::mouseDClick(&window, Qt::LeftButton, {}, caption);
    const QPoint side(window.width() - 2, 30);
    QTest::mousePress(&window, Qt::LeftButton, {}, side);
    QTest::mouseMove(&window, side + QPoint(40, 0));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, side + QPoint(40, 0));
    QCOMPARE(window.geometry(), QRect(moved.topLeft(), QSize(115, 46)));
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(&window, QPoint(50, window.height() - 1));
    QCOMPARE(window.cursor().shape(), Qt::SizeVerCursor);
    // A click on the close button closes the window; one that slides off the button does not.
    const QPoint close = window.CloseButtonRect().center();
    QTest::mousePress(&window, Qt::LeftButton, {}, close);
    QTest::mouseMove(&window, close + QPoint(0, 30));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, close + QPoint(0, 30));
    QVERIFY(window.isVisible());
    QTest::mouseClick(&window, Qt::LeftButton, {}, close);
    QVERIFY(!window.isVisible());
  }

  void windowMenu_data() {
    QTest::addColumn<QString>("opening");
    QTest::addColumn<int>("entry");  // the key that picks it
    QTest::newRow("click on the icon, Minimize") << QStringLiteral("icon") << int(Qt::Key_N);
    QTest::newRow("right click, Close") << QStringLiteral("right click") << int(Qt::Key_C);
    QTest::newRow("Alt+Space, Minimize") << QStringLiteral("Alt+Space") << int(Qt::Key_N);
    QTest::newRow("Shift+F10, Close") << QStringLiteral("Shift+F10") << int(Qt::Key_C);
    QTest::newRow("Menu key, Minimize") << QStringLiteral("Menu") << int(Qt::Key_N);
  }

  void windowMenu() {
    QFETCH(QString, opening);
    QFETCH(int, entry);
    fMain window(clock());
    QVERIFY(loadAndShow(window));
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QStringList entries;
    QString highlighted;
    QTimer::singleShot(50, [&entries, &highlighted, entry] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) entries << action->text();
      }
      if (menu->activeAction() != nullptr) highlighted = menu->activeAction()->text();
      QTest::keyClick(menu, static_cast<Qt::Key>(entry));
    });
    if (opening == QLatin1String("icon")) {
      QTest::mouseClick(&window, Qt::LeftButton, {}, window.IconRect().center());
    } else if (opening == QLatin1String("right click")) {
      QTest::mouseClick(&window, Qt::RightButton, {}, window.TitleRect().center());
    } else if (opening == QLatin1String("Shift+F10")) {
      QTest::keyClick(window.Combo, Qt::Key_F10, Qt::ShiftModifier);
    } else if (opening == QLatin1String("Menu")) {
      QTest::keyClick(window.Combo, Qt::Key_Menu);
    } else {
      QTest::keyClick(window.Combo, Qt::Key_Space, Qt::AltModifier);
    }
    // Move too, where the window places itself; no Always on Top without a window manager.
    QCOMPARE(entries, QStringList({QStringLiteral("&Move"), QStringLiteral("Mi&nimize"),
                                   QStringLiteral("&Close")}));
    // Opened from the keyboard, at its first item; by the mouse, at none.
    const bool byMouse =
        opening == QLatin1String("icon") || opening == QLatin1String("right click");
    QCOMPARE(highlighted, byMouse ? QString() : entries.first());
    if (entry == Qt::Key_N) {
      QTRY_VERIFY(window.isMinimized());
    } else {
      QTRY_VERIFY(!window.isVisible());
    }
  }

  void arrowKeysMoveTheWindowAfterMove() {
    fMain window(clock());
    QVERIFY(loadAndShow(window));
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const QPoint start = window.pos();
    window.MoveByKeyboard();
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down}) {
      QTest::keyClick(window.Combo, key);
    }
    QTRY_COMPARE(window.pos(), start + QPoint(20, 10));
    QTest::keyClick(window.Combo, Qt::Key_Return);
    // Ended: the keys pick units again.
    QTest::keyClick(window.Combo, Qt::Key_Down);
    QCOMPARE(window.Combo->currentIndex(), 1);
    QCOMPARE(window.pos(), start + QPoint(20, 10));
    // Escape puts the window back where the move began.
    window.MoveByKeyboard();
    QTest::keyClick(window.Combo, Qt::Key_Left);
    QTRY_COMPARE(window.pos(), start + QPoint(10, 10));
    QTest::keyClick(window.Combo, Qt::Key_Escape);
    QTRY_COMPARE(window.pos(), start + QPoint(20, 10));
    QCOMPARE(window.Combo->currentIndex(), 1);
  }

  void maximizingAndRestoringKeepsTheRules() {
    fMain window(clock());
    QVERIFY(loadAndShow(window));
    window.showMaximized();
    QTRY_VERIFY(window.isMaximized());
    // The window manager's size, kept: the rules wait for the window to be restored.
    QTRY_COMPARE(window.size(), window.screen()->availableGeometry().size());
    QTest::qWait(100);
    QCOMPARE(window.size(), window.screen()->availableGeometry().size());
    window.showNormal();
    QTRY_VERIFY(!window.isMaximized());
    QCOMPARE(window.frameGeometry().width(), 115);
    QVERIFY2(window.frameGeometry().height() >= 27 && window.frameGeometry().height() <= 46,
             qPrintable(QString::number(window.frameGeometry().height())));
    QCOMPARE(window.windowTitle(), QStringLiteral("30706972185"));
  }

  // Runs last: a run-time error ends the program, and the run-time layer stays stopped.
  void aRunTimeErrorIsReportedInsteadOfANumber() {
    fMain window(clock());
    window.Form_Load();
    const QString before = window.windowTitle();

    // Reads the message box and the title while it stands over a few ticks, then closes it.
    QStringList reported;
    QString titleUnderTheBox = before;
    QTimer closer;
    QElapsedTimer standing;
    connect(&closer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      if (reported.isEmpty() || reported.last() != box->text()) {
        reported << box->text();
        standing.start();
      }
      titleUnderTheBox = window.windowTitle();
      if (standing.elapsed() > 3500) box->accept();
    });
    closer.start(100);
    clockFails_ = true;
    QTRY_VERIFY_WITH_TIMEOUT(countdown::runtime::Stopped(), 2500);  // the next tick fails
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeModalWidget() == nullptr && !reported.isEmpty(),
                             6000);
    QCOMPARE(reported.size(), 1);  // one report, though ticks came while it stood
    QVERIFY2(reported[0].contains(QStringLiteral("cannot be converted to local time")),
             qPrintable(reported[0]));
    QCOMPARE(titleUnderTheBox, QString());  // no count, not even the last one
    QCOMPARE(window.windowTitle(), QString());

    // Once stopped, no handler runs again: a list position outside the table is not looked up.
    clockFails_ = false;
    window.Combo->setCurrentIndex(-1);
    QCOMPARE(window.windowTitle(), QString());
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
