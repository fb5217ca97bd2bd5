// The few X11 requests the window needs that Qt does not offer.
#pragma once

#include <QWidget>

// True when the application runs on the xcb platform.
bool OnX11();
// Sends every queued request to the X server.
void FlushX11();
// Asks the window manager to leave the window out of the taskbar (EWMH).
void SetSkipTaskbar(QWidget& window);
// True when the X server that DISPLAY names accepts a connection.
bool CanReachX11Server();
