#include "run_time_error.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <cstdio>
#include <iterator>

namespace countdown::runtime {
namespace {
bool stopped = false;
}  // namespace

bool Stopped() noexcept { return stopped; }

void ReportRunTimeError(std::string_view message) noexcept {
  // The first error ends the program. A handler that ran nested inside another (a selection
  // made by Form_Load, say) returns into it, and the outer handler may fail the same way: that
  // is the same error, not a second one.
  if (stopped) return;
  // Set before the message box opens: its event loop still delivers timer ticks, and they must
  // find the program stopped.
  stopped = true;
  std::fprintf(stderr, "countdown3000: run-time error: %.*s\n", static_cast<int>(message.size()),
               message.data());
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
    // The last count grows wrong while the box waits: no window shows it any longer.
    for (QWidget* const window : QApplication::topLevelWidgets()) window->setWindowTitle({});
    QMessageBox::critical(nullptr, QStringLiteral("Countdown 3000"),
                          QStringLiteral("Run-time error:\n\n") +
                              QString::fromUtf8(message.data(), std::ssize(message)));
  }
  if (QCoreApplication::instance() != nullptr) QCoreApplication::exit(kRunTimeErrorExitStatus);
}

}  // namespace countdown::runtime
