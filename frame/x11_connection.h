// The toolkit's own X connection, which the frame's X11 parts talk through. Only for builds with
// xcb.
#pragma once

#include <xcb/xcb.h>

#include <QGuiApplication>

namespace countdown::frame::x11 {

// Null where the toolkit does not run on X11.
inline xcb_connection_t* ToolkitConnection() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (QGuiApplication::platformName() != QLatin1String("xcb") || x11 == nullptr) return nullptr;
  return x11->connection();
}

}  // namespace countdown::frame::x11
