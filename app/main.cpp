// Countdown 3000: how long until 1 January 3000, in the title bar of a tiny window.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <thread>

#include "runtime/display.h"
#include "runtime/fonts.h"
#include "runtime/local_clock.h"
#include "runtime/run_time_error.h"
#include "window/fmain.h"

int main(int argc, char* argv[]) {
  if (const auto problem = countdown::runtime::ChooseDisplay(argc, argv)) {
    std::fprintf(stderr, "countdown3000: %s\n", problem->c_str());
    return 1;
  }
  // fontconfig reads the environment and the locale: both are settled before its thread starts
  // (the display check has set the environment; Qt sets the same locale again). It is done
  // before the window is built, which starts threads and processes of its own (D-Bus).
  std::setlocale(LC_ALL, "");
  std::jthread fonts = countdown::runtime::ReadFontConfigurationAhead();
  QApplication app(argc, argv);
  fonts.join();
  countdown::runtime::DisplayOpened();
  QApplication::setApplicationName(QStringLiteral("countdown3000"));
  QApplication::setApplicationVersion(QStringLiteral(COUNTDOWN3000_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(COUNTDOWN3000_APP_ID));

  fMain window(countdown::runtime::LocalNow);
  countdown::runtime::RunHandler([&window] { window.Form_Load(); });
  if (countdown::runtime::Stopped()) return countdown::runtime::kRunTimeErrorExitStatus;
  window.show();
  return QApplication::exec();
}
