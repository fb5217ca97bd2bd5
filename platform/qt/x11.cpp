#include "platform/qt/x11.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstring>

namespace {

xcb_connection_t* Connection() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  if (reply == nullptr) return XCB_ATOM_NONE;
  xcb_atom_t atom = reply->atom;
  free(reply);
  return atom;
}

}  // namespace

bool OnX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

void FlushX11() {
  if (!OnX11()) return;
  if (xcb_connection_t* connection = Connection()) xcb_flush(connection);
}

void SetSkipTaskbar(QWidget& window) {
  if (!OnX11()) return;
  xcb_connection_t* connection = Connection();
  if (connection == nullptr) return;
  xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
  xcb_atom_t skip = Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
  auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_setup_t* setup = xcb_get_setup(connection);
  xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;

  // The window is mapped: ask the window manager, as EWMH says, with a client message.
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = id;
  message.type = state;
  message.data.data32[0] = 1;  // _NET_WM_STATE_ADD
  message.data.data32[1] = skip;
  message.data.data32[2] = 0;
  message.data.data32[3] = 1;  // source: a normal application
  xcb_send_event(connection, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(connection);
}

bool CanReachX11Server() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  bool reachable = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return reachable;
}
