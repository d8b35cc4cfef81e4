// The toolkit's own X connection, which the frame's X11 parts talk through, and what the frame
// learns of the X server and the window manager through it. Only for builds with xcb.
#pragma once

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace countdown::frame::x11 {

// Null where the toolkit does not run on X11.
inline xcb_connection_t* ToolkitConnection() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (QGuiApplication::platformName() != QLatin1String("xcb") || x11 == nullptr) return nullptr;
  return x11->connection();
}

// A reply from the server, freed with it.
template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

// The toolkit's X connection and what the frame has learnt of the X server and the window
// manager through it: the atoms once, and what the window manager offers (_NET_SUPPORTED) until
// another window manager takes over or the offer changes. It watches the events the
// toolkit reads for the pointer's last press and place, the reported sizes of the windows asked
// about, and changes to their size hints.
class Connection final : public QAbstractNativeEventFilter {
 public:
  // Null where the toolkit does not run on X11. The first call asks the server what the frame
  // needs to know of it, without waiting for the answers.
  static Connection* Get();

  xcb_connection_t* const x;
  const xcb_window_t root;

  // Whether the window manager lists `atom` in _NET_SUPPORTED.
  bool Offers(xcb_atom_t atom);

  // What the frame asks of the server once.
  struct Answers {
    xcb_atom_t moveResize, supported, check, wmState, frameExtents, netWmState, above;
    // The states in which the window manager sizes the window: full screen, maximized.
    std::array<xcb_atom_t, 3> sized;
    std::uint8_t input;  // the XInput extension's major opcode, 0 without it
  };
  const Answers& Names();

  // The windows the frame keeps an eye on, from the first question about them on: their sizes
  // as the server last reported them, what to call (queued, with `context`) when that changes,
  // and the limits their size hints hold (see HoldSizeHints).
  struct Kept {
    std::optional<QSize> size;
    QPointer<QObject> context;
    std::function<void()> resized;
    std::optional<std::pair<QSize, QSize>> limits;
    // A keyboard move asked of the window manager: from the request on (its sequence number),
    // whether the window manager has taken the keyboard for it, and what to call (queued, with
    // `context`) when it gives the keyboard back.
    std::optional<std::uint32_t> keyboardMoveSince;
    bool keyboardTaken = false;
    std::function<void()> keyboardMoveEnded;
  };
  std::map<xcb_window_t, Kept> kept;
  // Where the pointer's button last went down, and where the pointer last moved over the
  // toolkit's windows, in root coordinates.
  std::optional<QPoint> lastPress;
  std::optional<QPoint> lastPointer;

  // Writes `window`'s size hints with the limits kept for it, and no size steps, where the
  // toolkit's differ.
  void WriteSizeHints(xcb_window_t window);

  // The windows whose own property changes the toolkit hears only for a while after they are
  // mapped, unmapped, reparented, moved or resized (see QuietProperties).
  struct Quieted {
    std::uint32_t listening = 0;  // the toolkit's own event mask for the window
    bool quiet = false;
    std::chrono::steady_clock::time_point stirred = std::chrono::steady_clock::now();
  };
  std::map<xcb_window_t, Quieted> quieted;

  // Marks a ConfigureNotify of the frame's own (AnnounceGeometry) that the connection fills in
  // with the window's place and size as it arrives: an X server gives no window this number.
  static constexpr xcb_window_t kAnnounced = 0xffffffff;

  // Sends `event` to `window` as the server would send it: to the clients that selected `mask`
  // on the window, or with no mask to the client that made the window.
  template <typename Event>
  void Send(xcb_window_t window, std::uint32_t mask, const Event& event) {
    // The server copies a whole 32-byte event; most events are shorter.
    std::array<char, 32> bytes{};
    static_assert(sizeof event <= sizeof bytes);
    std::memcpy(bytes.data(), &event, sizeof event);
    xcb_send_event(x, 0, window, mask, bytes.data());
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

 private:
  struct Questions {
    xcb_intern_atom_cookie_t moveResize, supported, check, wmState, frameExtents, netWmState, above;
    std::array<xcb_intern_atom_cookie_t, 3> sized;
    xcb_query_extension_cookie_t input;
  };
  void KeyboardFocusMoved(const xcb_focus_in_event_t& focus, bool in, std::uint32_t sequence);
  void Stirred(xcb_window_t window);
  // Fills in an announcement of `window`'s place and size with the server's.
  void FillIn(xcb_configure_notify_event_t& announcement);
  static Questions Ask(xcb_connection_t* x);
  explicit Connection(xcb_connection_t* connection);

  const Questions asked_;
  std::optional<Answers> answers_;
  std::optional<std::vector<xcb_atom_t>> supported_;  // _NET_SUPPORTED, once asked for
};

}  // namespace countdown::frame::x11
