#include "x11_window_manager.h"

#ifdef COUNTDOWN_WITH_XCB
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

#include "x11_connection.h"

namespace countdown::frame::x11 {

namespace {
// _NET_WM_MOVERESIZE's directions, and where the request comes from.
constexpr std::uint32_t kSizeBottom = 5, kMove = 8, kMoveKeyboard = 10, kFromApplication = 1;

// Sends `window`'s window manager a _NET_WM_MOVERESIZE request; returns its sequence number.
std::uint32_t AskMoveResize(Connection& c, WId window, QPoint at, std::uint32_t direction,
                            std::uint32_t button) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = static_cast<xcb_window_t>(window);
  message.type = c.Names().moveResize;
  message.data.data32[0] = static_cast<std::uint32_t>(at.x());
  message.data.data32[1] = static_cast<std::uint32_t>(at.y());
  message.data.data32[2] = direction;
  message.data.data32[3] = button;
  message.data.data32[4] = kFromApplication;
  const xcb_void_cookie_t sent = xcb_send_event(
      c.x, 0, c.root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
      reinterpret_cast<const char*>(&message));
  xcb_flush(c.x);
  return sent.sequence;
}
}  // namespace

std::optional<bool> StartDrag(WId window, QPoint pressedAt, Drag drag) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return {};
  if (!c->Offers(c->Names().moveResize)) return false;
  // The window manager takes the pointer over from the implicit grab of the press.
  xcb_ungrab_pointer(c->x, XCB_CURRENT_TIME);
  constexpr std::uint32_t kLeftButton = 1;
  AskMoveResize(*c, window, pressedAt, drag == Drag::Move ? kMove : kSizeBottom, kLeftButton);
  return true;
}

std::optional<bool> StartKeyboardMove(WId window, QObject* context, std::function<void()> ended) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return {};
  if (!c->Offers(c->Names().moveResize)) return false;
  Connection::Kept& kept = c->kept[static_cast<xcb_window_t>(window)];
  kept.context = context;
  kept.keyboardMoveEnded = std::move(ended);
  kept.keyboardTaken = false;
  kept.keyboardMoveSince = AskMoveResize(*c, window, {}, kMoveKeyboard, 0);
  return true;
}

namespace {

// The states the window manager says `window` is in (_NET_WM_STATE).
std::vector<xcb_atom_t> States(Connection& c, WId window) {
  const Owned<xcb_get_property_reply_t> state(
      xcb_get_property_reply(c.x,
                             xcb_get_property(c.x, 0, static_cast<xcb_window_t>(window),
                                              c.Names().netWmState, XCB_ATOM_ATOM, 0, 64),
                             nullptr),
      &std::free);
  if (!state || state->format != 32) return {};
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(state.get()));
  const auto count =
      static_cast<std::size_t>(xcb_get_property_value_length(state.get())) / sizeof(xcb_atom_t);
  return {atoms, atoms + count};
}

}  // namespace

std::optional<bool> KeptAbove(WId window) {
  Connection* const c = Connection::Get();
  if (c == nullptr || !c->Offers(c->Names().above)) return {};
  return std::ranges::count(States(*c, window), c->Names().above) > 0;
}

bool SizedByWindowManager(WId window) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return false;
  return std::ranges::any_of(States(*c, window), [c](xcb_atom_t state) {
    return std::ranges::count(c->Names().sized, state) > 0;
  });
}

void KeepAbove(WId window, bool above) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return;
  // _NET_WM_STATE: remove (0) or add (1) the state, asked by an application (1).
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = static_cast<xcb_window_t>(window);
  message.type = c->Names().netWmState;
  message.data.data32[0] = above ? 1 : 0;
  message.data.data32[1] = c->Names().above;
  message.data.data32[3] = kFromApplication;
  xcb_send_event(c->x, 0, c->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(c->x);
}

std::optional<QPoint> LastPress() {
  Connection* const c = Connection::Get();
  return c != nullptr ? c->lastPress : std::nullopt;
}

std::optional<QPoint> LastPointer() {
  Connection* const c = Connection::Get();
  return c != nullptr ? c->lastPointer : std::nullopt;
}

void AskAhead() { (void)Connection::Get(); }

bool HoldSizeHints(WId window, QSize minimum, QSize maximum) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return false;
  const auto id = static_cast<xcb_window_t>(window);
  c->kept[id].limits = std::pair{minimum, maximum};
  c->WriteSizeHints(id);
  return true;
}

void WatchSize(WId window, QObject* context, std::function<void()> resized) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return;
  Connection::Kept& kept = c->kept[static_cast<xcb_window_t>(window)];
  kept.context = context;
  kept.resized = std::move(resized);
}

std::optional<PointerState> Pointer() {
  Connection* const c = Connection::Get();
  if (c == nullptr) return {};
  const Owned<xcb_query_pointer_reply_t> pointer(
      xcb_query_pointer_reply(c->x, xcb_query_pointer(c->x, c->root), nullptr), &std::free);
  if (!pointer) return {};
  return PointerState{QPoint(pointer->root_x, pointer->root_y),
                      (pointer->mask & XCB_BUTTON_MASK_1) != 0};
}

std::optional<QPoint> Position(WId window) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return {};
  const Owned<xcb_translate_coordinates_reply_t> at(
      xcb_translate_coordinates_reply(
          c->x, xcb_translate_coordinates(c->x, static_cast<xcb_window_t>(window), c->root, 0, 0),
          nullptr),
      &std::free);
  if (!at) return {};
  return QPoint(at->dst_x, at->dst_y);
}

bool Configure(WId window, std::optional<QPoint> position, std::optional<QSize> size) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return false;
  std::uint16_t mask = 0;
  std::array<std::uint32_t, 4> values{};
  std::size_t count = 0;
  if (position) {
    mask |= XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y;
    values[count++] = static_cast<std::uint32_t>(position->x());
    values[count++] = static_cast<std::uint32_t>(position->y());
  }
  if (size) {
    mask |= XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
    values[count++] = static_cast<std::uint32_t>(size->width());
    values[count++] = static_cast<std::uint32_t>(size->height());
  }
  xcb_configure_window(c->x, static_cast<xcb_window_t>(window), mask, values.data());
  xcb_flush(c->x);
  return true;
}

std::optional<QSize> ReportedSize(WId window) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return {};
  return c->kept[static_cast<xcb_window_t>(window)].size;
}

void AnnounceGeometry(WId window) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return;
  const auto id = static_cast<xcb_window_t>(window);
  xcb_configure_notify_event_t notify{};
  notify.response_type = XCB_CONFIGURE_NOTIFY;
  notify.event = id;
  notify.window = id;
  notify.above_sibling = Connection::kAnnounced;
  c->Send(id, XCB_EVENT_MASK_STRUCTURE_NOTIFY, notify);
  xcb_flush(c->x);
}

bool QuietProperties(WId window) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return false;
  const auto id = static_cast<xcb_window_t>(window);
  Connection::Quieted& entry = c->quieted[id];
  constexpr std::chrono::seconds kStill{2};
  if (entry.quiet || std::chrono::steady_clock::now() - entry.stirred < kStill) return true;
  const Owned<xcb_get_window_attributes_reply_t> attributes(
      xcb_get_window_attributes_reply(c->x, xcb_get_window_attributes(c->x, id), nullptr),
      &std::free);
  if (!attributes) return true;
  entry.listening = attributes->your_event_mask;
  const std::uint32_t quiet = entry.listening & ~std::uint32_t{XCB_EVENT_MASK_PROPERTY_CHANGE};
  xcb_change_window_attributes(c->x, id, XCB_CW_EVENT_MASK, &quiet);
  entry.quiet = true;
  return true;
}

}  // namespace countdown::frame::x11

#else

namespace countdown::frame::x11 {
std::optional<bool> StartDrag(WId, QPoint, Drag) { return {}; }
std::optional<bool> StartKeyboardMove(WId, QObject*, std::function<void()>) { return {}; }
std::optional<bool> KeptAbove(WId) { return {}; }
bool SizedByWindowManager(WId) { return false; }
void KeepAbove(WId, bool) {}
std::optional<PointerState> Pointer() { return {}; }
std::optional<QPoint> Position(WId) { return {}; }
std::optional<QPoint> LastPress() { return {}; }
std::optional<QPoint> LastPointer() { return {}; }
void AskAhead() {}
bool HoldSizeHints(WId, QSize, QSize) { return false; }
void WatchSize(WId, QObject*, std::function<void()>) {}
bool Configure(WId, std::optional<QPoint>, std::optional<QSize>) { return false; }
std::optional<QSize> ReportedSize(WId) { return {}; }
void AnnounceGeometry(WId) {}
bool QuietProperties(WId) { return false; }
}  // namespace countdown::frame::x11

#endif
