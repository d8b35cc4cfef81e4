// Countdown 3000: how long until 1 January 3000, in the title bar of a tiny window.
#include <QApplication>
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
  QApplication app(argc, argv);
  // Only now: fontconfig reads the environment and the locale, which the display check and Qt's
  // start-up change (setenv and setlocale while another thread reads them can crash it).
  std::jthread fonts = countdown::runtime::ReadFontConfigurationAhead();
  countdown::runtime::DisplayOpened();
  QApplication::setApplicationName(QStringLiteral("countdown3000"));
  QApplication::setApplicationVersion(QStringLiteral(COUNTDOWN3000_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(COUNTDOWN3000_APP_ID));

  fMain window(countdown::runtime::LocalNow);
  countdown::runtime::RunHandler([&window] { window.Form_Load(); });
  if (countdown::runtime::Stopped()) return countdown::runtime::kRunTimeErrorExitStatus;
  fonts.join();  // long done by now; the caption's font is fitted once the window is shown
  window.show();
  return QApplication::exec();
}
