#include "window_frame.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <thread>

#ifdef COUNTDOWN_WITH_XCB
#include <xcb/xcb.h>
#endif

namespace countdown::runtime {
namespace {

QMargins ToolkitFrame(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

#ifdef COUNTDOWN_WITH_XCB
template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> Own(Reply* reply) {
  return {reply, &std::free};
}

xcb_connection_t* Connection() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* x, std::string_view name) {
  const auto reply = Own(xcb_intern_atom_reply(
      x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The atoms used here, looked up once per connection.
struct Atoms {
  xcb_atom_t supported, request, extents;
};

const Atoms& AtomsOf(xcb_connection_t* x) {
  static xcb_connection_t* owner = nullptr;
  static Atoms atoms{};
  if (owner != x) {
    atoms = {Atom(x, "_NET_SUPPORTED"), Atom(x, "_NET_REQUEST_FRAME_EXTENTS"),
             Atom(x, "_NET_FRAME_EXTENTS")};
    owner = x;
  }
  return atoms;
}

template <typename Value>
std::span<const Value> PropertyValues(const xcb_get_property_reply_t* reply) {
  if (reply == nullptr || reply->format != 32) return {};
  return {static_cast<const Value*>(xcb_get_property_value(reply)),
          static_cast<std::size_t>(xcb_get_property_value_length(reply)) / sizeof(Value)};
}

bool Supported(xcb_connection_t* x, xcb_window_t root, xcb_atom_t hint) {
  const auto reply = Own(xcb_get_property_reply(
      x, xcb_get_property(x, 0, root, AtomsOf(x).supported, XCB_ATOM_ATOM, 0, 1024), nullptr));
  for (const xcb_atom_t atom : PropertyValues<xcb_atom_t>(reply.get())) {
    if (atom == hint) return true;
  }
  return false;
}

std::optional<QMargins> PublishedFrame(xcb_connection_t* x, const QWidget& window) {
  const auto id = static_cast<xcb_window_t>(window.internalWinId());
  if (id == 0) return std::nullopt;
  const auto reply = Own(xcb_get_property_reply(
      x, xcb_get_property(x, 0, id, AtomsOf(x).extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
  const auto values = PropertyValues<std::uint32_t>(reply.get());
  if (values.size() != 4) return std::nullopt;
  // The property lists left, right, top, bottom in device pixels.
  const double ratio = window.devicePixelRatioF();
  const auto logical = [ratio](std::uint32_t pixels) { return qRound(pixels / ratio); };
  return QMargins(logical(values[0]), logical(values[2]), logical(values[1]), logical(values[3]));
}
#endif

}  // namespace

QMargins FrameExtents(const QWidget& window) {
#ifdef COUNTDOWN_WITH_XCB
  if (xcb_connection_t* const x = Connection()) {
    if (const auto frame = PublishedFrame(x, window)) return *frame;
  }
#endif
  return ToolkitFrame(window);
}

bool RequestFrameExtents([[maybe_unused]] QWidget& window,
                         [[maybe_unused]] std::chrono::milliseconds timeout) {
#ifdef COUNTDOWN_WITH_XCB
  xcb_connection_t* const x = Connection();
  if (x == nullptr) return false;
  const auto id = static_cast<xcb_window_t>(window.winId());
  const auto tree = Own(xcb_query_tree_reply(x, xcb_query_tree(x, id), nullptr));
  if (!tree || !Supported(x, tree->root, AtomsOf(x).request)) return false;

  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = id;
  message.type = AtomsOf(x).request;
  xcb_send_event(x, 0, tree->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(x);

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!PublishedFrame(x, window)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return true;
#else
  return false;
#endif
}

bool IsFrameChange([[maybe_unused]] const QByteArray& eventType,
                   [[maybe_unused]] const void* message) {
#ifdef COUNTDOWN_WITH_XCB
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
  xcb_connection_t* const x = Connection();
  return x != nullptr &&
         static_cast<const xcb_property_notify_event_t*>(message)->atom == AtomsOf(x).extents;
#else
  return false;
#endif
}

}  // namespace countdown::runtime
