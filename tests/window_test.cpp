// The window on Qt's offscreen platform, with a clock the test sets.
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <stdexcept>
#include <system_error>

#include "runtime/run_time_error.h"
#include "window/fmain.h"
#include "window/geometry.h"

using countdown::LocalDateTime;

class WindowTest : public QObject {
  Q_OBJECT

  LocalDateTime now_{2026, 12, 8, 5, 30, 15};
  bool clockFails_ = false;

  fMain::Clock clock() {
    return [this] {
      if (clockFails_) {
        throw std::system_error(EOVERFLOW, std::generic_category(),
                                "The system clock's time cannot be converted to local time");
      }
      return now_;
    };
  }

 private slots:
  void init() {
    now_ = {2026, 12, 8, 5, 30, 15};
    clockFails_ = false;
  }

  void loadFillsTheListAndShowsSeconds() {
    fMain window(clock());
    QVERIFY(window.Timer->isActive());
    QCOMPARE(window.Timer->interval(), 1000);
    QSignalSpy clicks(window.Combo, &QComboBox::currentIndexChanged);
    window.Form_Load();

    QStringList labels;
    for (int i = 0; i < window.Combo->count(); ++i) labels << window.Combo->itemText(i);
    QCOMPARE(labels, QStringList({u"\u79D2"_qs, u"\u5206"_qs, u"\u6642"_qs, u"\u9031"_qs,
                                  u"\u65E5"_qs, u"\u6708"_qs, u"\u5E74"_qs}));
    QCOMPARE(window.Combo->currentIndex(), 0);
    QCOMPARE(clicks.count(), 1);  // the selection of seconds, and nothing while filling
    QCOMPARE(window.windowTitle(), u"30706972185"_qs);
  }

  void pickingAUnitRefreshesAtOnce_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<LocalDateTime>("now");
    QTest::addColumn<QString>("title");
    const LocalDateTime dec2026{2026, 12, 8, 5, 30, 15};
    const LocalDateTime jun3001{3001, 6, 1, 0, 0, 0};
    QTest::newRow("minutes") << 1 << dec2026 << u"511782870"_qs;
    QTest::newRow("hours") << 2 << dec2026 << u"8529715"_qs;
    QTest::newRow("weeks") << 3 << dec2026 << u"50772"_qs;
    QTest::newRow("days") << 4 << dec2026 << u"355405"_qs;
    QTest::newRow("months") << 5 << dec2026 << u"11677"_qs;
    QTest::newRow("years") << 6 << dec2026 << u"974"_qs;
    QTest::newRow("weeks after 3000") << 3 << jun3001 << u"-74"_qs;
    QTest::newRow("years after 3000") << 6 << jun3001 << u"-1"_qs;
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
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(window.Combo, Qt::Key_End);
    QCOMPARE(window.windowTitle(), u"974"_qs);
    QTest::keyClick(window.Combo, Qt::Key_Up);
    QCOMPARE(window.windowTitle(), u"11677"_qs);
  }

  void timerTicksFollowTheClock() {
    fMain window(clock());
    window.Form_Load();
    const auto tick = [&](LocalDateTime t, const QString& title) {
      now_ = t;
      QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), title, 2500);
    };
    tick({2999, 12, 31, 23, 59, 59}, u"1"_qs);
    tick({3000, 1, 1, 0, 0, 0}, u"0"_qs);
    tick({3000, 1, 1, 0, 0, 1}, u"-1"_qs);
  }

  // The offscreen platform draws a 2-pixel frame; the rules measure the window with it.
  static QMargins frameOf(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
  }

  void opensCollapsedAtTheCornerOfTheCreatedWindow() {
    fMain window(clock());
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QMargins frame = frameOf(window);
    QVERIFY(frame.top() > 0);
    const QRect screen = window.screen()->geometry();
    const auto twips = [](int pixels) { return static_cast<float>(pixels * 15); };
    const int left = countdown::geometry::CentredEdge(
        twips(screen.width()), twips(4680 / 15 + frame.left() + frame.right()));
    const int top = countdown::geometry::CentredEdge(
        twips(screen.height()), twips(3195 / 15 + frame.top() + frame.bottom()));
    QCOMPARE(window.frameGeometry(),
             QRect(qRound(left / 15.0), qRound(top / 15.0), 1725 / 15, 405 / 15));
    QCOMPARE(window.Combo->geometry(), QRect(0, -1, 107, 20));
  }

  void resizingKeepsToTheSizeRules_data() {
    QTest::addColumn<QSize>("asked");  // outer sizes in pixels, 15 twips each
    QTest::addColumn<QSize>("kept");
    QTest::newRow("taller than the combo box") << QSize(115, 67) << QSize(115, 46);
    QTest::newRow("lower than the title bar") << QSize(115, 7) << QSize(115, 27);
    QTest::newRow("wider") << QSize(300, 30) << QSize(115, 30);
    QTest::newRow("narrower and lower") << QSize(20, 10) << QSize(115, 27);
    QTest::newRow("the largest") << QSize(115, 46) << QSize(115, 46);
    QTest::newRow("the smallest") << QSize(115, 27) << QSize(115, 27);
  }

  void resizingKeepsToTheSizeRules() {
    QFETCH(QSize, asked);
    QFETCH(QSize, kept);
    fMain window(clock());
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QMargins frame = frameOf(window);
    window.resize(asked.shrunkBy(frame));
    QCOMPARE(window.frameGeometry().size(), kept);
  }

  void maximizingAndRestoringKeepsTheRules() {
    fMain window(clock());
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showMaximized();
    QTRY_VERIFY(window.isMaximized());
    window.showNormal();
    QTRY_VERIFY(!window.isMaximized());
    QCOMPARE(window.frameGeometry().width(), 115);
    QVERIFY2(window.frameGeometry().height() >= 27 && window.frameGeometry().height() <= 46,
             qPrintable(QString::number(window.frameGeometry().height())));
    QCOMPARE(window.windowTitle(), u"30706972185"_qs);
  }

  // Runs last: a run-time error ends the program, and the run-time layer stays stopped.
  void aRunTimeErrorIsReportedInsteadOfANumber() {
    fMain window(clock());
    window.Form_Load();
    const QString before = window.windowTitle();

    // Reads and closes the message box as soon as it is up.
    QString reported;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&reported] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        reported = box->text();
        box->accept();
      }
    });
    closer.start(20);
    clockFails_ = true;
    QTRY_VERIFY_WITH_TIMEOUT(countdown::runtime::Stopped(), 2500);  // the next tick fails
    QVERIFY2(reported.contains(u"cannot be converted to local time"_qs), qPrintable(reported));
    QCOMPARE(window.windowTitle(), before);

    // Once stopped, no handler runs again: a list position outside the table is not looked up.
    clockFails_ = false;
    window.Combo->setCurrentIndex(-1);
    QCOMPARE(window.windowTitle(), before);
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
