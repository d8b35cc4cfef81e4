// Run-time errors: the program's own code handles none. Every event handler runs through
// RunHandler, which turns an escaping exception into the report that ends the program, so no
// exception ever unwinds through the toolkit's event loop.
#pragma once

#include <exception>
#include <string_view>
#include <utility>

namespace countdown::runtime {

// The exit status of a program ended by a run-time error (EX_SOFTWARE).
inline constexpr int kRunTimeErrorExitStatus = 70;

// Reports a run-time error on standard error and in a message box, then asks the event loop to
// end with kRunTimeErrorExitStatus. From then on Stopped() is true, no handler starts again, and
// later reports are dropped.
void ReportRunTimeError(std::string_view message) noexcept;

// Whether a run-time error has ended the program.
bool Stopped() noexcept;

template <typename Handler>
void RunHandler(Handler&& handler) noexcept {
  if (Stopped()) return;
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& error) {
    ReportRunTimeError(error.what());
  } catch (...) {
    ReportRunTimeError("An unknown error occurred");
  }
}

}  // namespace countdown::runtime
