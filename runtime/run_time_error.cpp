#include "run_time_error.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <iostream>
#include <iterator>

namespace countdown::runtime {
namespace {
bool stopped = false;
}  // namespace

bool Stopped() noexcept { return stopped; }

void ReportRunTimeError(std::string_view message) noexcept {
  // Set first: while the message box is open its event loop still delivers timer ticks, and
  // they must find the program stopped.
  stopped = true;
  std::cerr << "countdown3000: run-time error: " << message << std::endl;
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
    QMessageBox::critical(nullptr, QStringLiteral("Countdown 3000"),
                          QStringLiteral("Run-time error:\n\n") +
                              QString::fromUtf8(message.data(), std::ssize(message)));
  }
  if (QCoreApplication::instance() != nullptr) QCoreApplication::exit(kRunTimeErrorExitStatus);
}

}  // namespace countdown::runtime
