// The floor that Countdown 3000 is measured against: the least Qt program with the same face, a
// window with a combo box of the seven unit labels and a title rewritten once a second. Both are
// given their sizes, as the program's are, so that the toolkit measures no text to size them.
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QWidget>
#include <ctime>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(115, 27);
  auto* combo = new QComboBox(&window);
  combo->setGeometry(4, 22, 107, 20);
  for (const char* label : {"\u79D2", "\u5206", "\u6642", "\u9031", "\u65E5", "\u6708", "\u5E74"}) {
    combo->addItem(QString::fromUtf8(label));
  }
  // Seconds until the year 3000 in UTC: a number that changes every second.
  const auto refresh = [&window] {
    window.setWindowTitle(QString::number(32503680000 - std::time(nullptr)));
  };
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, refresh);
  timer.start(1000);
  refresh();
  window.show();
  return QApplication::exec();
}
