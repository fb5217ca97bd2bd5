"""X11 side of the tests: finding the program's window, its geometry and state, pixels."""

import select
import time
from dataclasses import dataclass

from Xlib import X, Xatom, display, error, protocol

from .wait import wait_until


@dataclass(frozen=True)
class Geometry:
    x: int  # absolute, relative to the root window
    y: int
    width: int
    height: int


class XServer:
    """One Xlib connection of the test process to the private X server."""

    def __init__(self, display_name):
        self.display_name = display_name
        self.d = display.Display(display_name)
        self.root = self.d.screen().root
        self.screen_width = self.d.screen().width_in_pixels
        self.screen_height = self.d.screen().height_in_pixels

    def close(self):
        try:
            self.d.close()
        except Exception:  # noqa: BLE001 - the server may be gone already
            pass

    def atom(self, name):
        return self.d.intern_atom(name)

    def atom_name(self, atom):
        return self.d.get_atom_name(atom)

    # Window manager ----------------------------------------------------------------------

    def window_manager_running(self):
        """True once an EWMH window manager has set _NET_SUPPORTING_WM_CHECK both ways."""
        check = self.atom("_NET_SUPPORTING_WM_CHECK")
        prop = self.root.get_full_property(check, Xatom.WINDOW)
        if prop is None or len(prop.value) == 0:
            return False
        child = self.d.create_resource_object("window", prop.value[0])
        try:
            child_prop = child.get_full_property(check, Xatom.WINDOW)
        except error.BadWindow:
            return False
        return child_prop is not None and len(child_prop.value) and child_prop.value[0] == prop.value[0]

    # Finding windows ---------------------------------------------------------------------

    def window(self, wid):
        return self.d.create_resource_object("window", wid)

    def client_windows(self):
        """Top-level client windows, from the window manager's _NET_CLIENT_LIST."""
        prop = self.root.get_full_property(self.atom("_NET_CLIENT_LIST"), Xatom.WINDOW)
        return [self.window(wid) for wid in (prop.value if prop else [])]

    def windows_of_pid(self, pid):
        result = []
        for window in self.client_windows():
            try:
                prop = window.get_full_property(self.atom("_NET_WM_PID"), Xatom.CARDINAL)
            except error.BadWindow:
                continue
            if prop is not None and len(prop.value) and prop.value[0] == pid:
                result.append(window)
        return result

    def wait_window_of_pid(self, pid, timeout=15.0, mapped=True, pump=None):
        """The managed top-level window of a process, once the window manager lists it."""
        def probe():
            for window in self.windows_of_pid(pid):
                if not mapped or self.is_viewable(window):
                    return window
            return None
        return wait_until(probe, timeout=timeout, message=f"a window of process {pid}", pump=pump)

    def find_by_title(self, title):
        return [w for w in self.client_windows() if self.title(w) == title]

    # Reading properties ------------------------------------------------------------------

    def title(self, window):
        prop = window.get_full_property(self.atom("_NET_WM_NAME"), self.atom("UTF8_STRING"))
        if prop is not None:
            return _text(prop.value)
        prop = window.get_full_property(Xatom.WM_NAME, X.AnyPropertyType)
        return _text(prop.value) if prop is not None else None

    def wm_class(self, window):
        prop = window.get_full_property(Xatom.WM_CLASS, Xatom.STRING)
        if prop is None:
            return None
        return tuple(part.decode() for part in _bytes(prop.value).split(b"\0") if part)

    def atoms_property(self, window, name):
        prop = window.get_full_property(self.atom(name), Xatom.ATOM)
        return [self.atom_name(a) for a in (prop.value if prop else [])]

    def cardinals_property(self, window, name):
        prop = window.get_full_property(self.atom(name), Xatom.CARDINAL)
        return list(prop.value) if prop else None

    def net_wm_state(self, window):
        return self.atoms_property(window, "_NET_WM_STATE")

    def frame_extents(self, window):
        """_NET_FRAME_EXTENTS as (left, right, top, bottom), or None if not set."""
        value = self.cardinals_property(window, "_NET_FRAME_EXTENTS")
        return tuple(value) if value else None

    def wm_protocols(self, window):
        return self.atoms_property(window, "WM_PROTOCOLS")

    def is_viewable(self, window):
        try:
            return window.get_attributes().map_state == X.IsViewable
        except error.BadWindow:
            return False

    def exists(self, window):
        try:
            window.get_geometry()
            return True
        except (error.BadWindow, error.BadDrawable):
            return False

    # Geometry ----------------------------------------------------------------------------

    def geometry(self, window):
        """Absolute position (translated to the root) and size of the window's inside."""
        geo = window.get_geometry()
        origin = self.root.translate_coords(window, 0, 0)
        return Geometry(origin.x, origin.y, geo.width, geo.height)

    def frame_of(self, window):
        """The top-level ancestor of a client window: the window manager's frame, if any."""
        current = window
        while True:
            tree = current.query_tree()
            if tree.parent.id == self.root.id or tree.parent.id == 0:
                return current
            current = tree.parent

    # Talking to the window like a window manager -----------------------------------------

    def server_time(self):
        """A current X server timestamp, from a property change on a scratch window."""
        scratch = self.root.create_window(-10, -10, 1, 1, 0, X.CopyFromParent, X.InputOnly,
                                          X.CopyFromParent, event_mask=X.PropertyChangeMask)
        try:
            atom = self.atom("_ZORSAV_E2E_TIME")
            scratch.change_property(atom, Xatom.STRING, 8, b"t")
            self.d.flush()
            event = self._next_event(lambda e: e.type == X.PropertyNotify and e.window.id == scratch.id)
            return event.time
        finally:
            scratch.destroy()
            self.d.flush()

    def _next_event(self, accept, timeout=5.0):
        deadline = time.monotonic() + timeout
        while True:
            while self.d.pending_events():
                event = self.d.next_event()
                if accept(event):
                    return event
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError("no matching X event")
            select.select([self.d.fileno()], [], [], remaining)

    def send_protocol_message(self, window, protocol_name, *extra):
        data = [self.atom(protocol_name), X.CurrentTime, *extra]
        data += [0] * (5 - len(data))
        event = protocol.event.ClientMessage(window=window, client_type=self.atom("WM_PROTOCOLS"),
                                             data=(32, data))
        window.send_event(event, event_mask=X.NoEventMask)
        self.d.flush()

    def request_close(self, window):
        """What a window manager does when the user clicks the close box: WM_DELETE_WINDOW."""
        if "WM_DELETE_WINDOW" not in self.wm_protocols(window):
            raise AssertionError("the window does not take part in WM_DELETE_WINDOW")
        self.send_protocol_message(window, "WM_DELETE_WINDOW")

    def ping(self, window, timeout=5.0):
        """Sends _NET_WM_PING and waits for the answer.

        The client handles its X events in order, so an answer proves that everything sent to
        the window before the ping (a close request, say) has been read by the program.
        """
        if "_NET_WM_PING" not in self.wm_protocols(window):
            raise AssertionError("the window does not answer _NET_WM_PING")
        listener = display.Display(self.display_name)
        try:
            root = listener.screen().root
            # Clients answer to the root with SubstructureRedirect|SubstructureNotify (Xlib) or
            # SubstructureRedirect|StructureNotify (Qt); the redirect bit is the window manager's.
            root.change_attributes(event_mask=X.SubstructureNotifyMask | X.StructureNotifyMask)
            listener.sync()
            stamp = self.server_time()
            ping_atom = self.atom("_NET_WM_PING")
            event = protocol.event.ClientMessage(
                window=window, client_type=self.atom("WM_PROTOCOLS"),
                data=(32, [ping_atom, stamp, window.id, 0, 0]))
            window.send_event(event, event_mask=X.NoEventMask)
            self.d.flush()
            deadline = time.monotonic() + timeout
            while True:
                while listener.pending_events():
                    reply = listener.next_event()
                    if (reply.type == X.ClientMessage and reply.data[1][0] == ping_atom
                            and reply.data[1][1] == stamp):
                        return time.monotonic()
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    raise AssertionError(f"no answer to _NET_WM_PING within {timeout} s")
                select.select([listener.fileno()], [], [], remaining)
        finally:
            listener.close()

    # Pixels ------------------------------------------------------------------------------

    def read_rgb(self, window, x=0, y=0, width=None, height=None):
        """Pixels of a rectangle of the window as an Image (RGB rows)."""
        if width is None or height is None:
            geo = window.get_geometry()
            width = geo.width - x if width is None else width
            height = geo.height - y if height is None else height
        reply = window.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF)
        data = reply.data if isinstance(reply.data, bytes) else bytes(reply.data)
        return Image.from_zpixmap(data, width, height, self.d.display.info.image_byte_order)


class Image:
    """Width x height RGB pixels, rows top to bottom, 3 bytes a pixel."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb

    @classmethod
    def from_zpixmap(cls, data, width, height, byte_order):
        # Depth 24 comes as 32 bits a pixel; scanlines are padded to 32 bits, so no row gaps.
        stride = width * 4
        if len(data) < stride * height:
            raise ValueError(f"image data too short: {len(data)} bytes for {width}x{height}")
        out = bytearray(width * height * 3)
        if byte_order == X.LSBFirst:  # B G R x
            out[0::3] = data[2:stride * height:4]
            out[1::3] = data[1:stride * height:4]
            out[2::3] = data[0:stride * height:4]
        else:  # x R G B
            out[0::3] = data[1:stride * height:4]
            out[1::3] = data[2:stride * height:4]
            out[2::3] = data[3:stride * height:4]
        return cls(width, height, bytes(out))

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.rgb[offset:offset + 3])

    def crop(self, x, y, width, height):
        rows = []
        for row in range(y, y + height):
            start = (row * self.width + x) * 3
            rows.append(self.rgb[start:start + width * 3])
        return Image(width, height, b"".join(rows))

    def colours(self):
        """The set of distinct colours in the image."""
        return {self.rgb[i:i + 3] for i in range(0, len(self.rgb), 3)}

    def most_common(self):
        counts = {}
        for i in range(0, len(self.rgb), 3):
            key = self.rgb[i:i + 3]
            counts[key] = counts.get(key, 0) + 1
        return tuple(max(counts, key=counts.get))

    def count(self, colour):
        wanted = bytes(colour)
        return sum(1 for i in range(0, len(self.rgb), 3) if self.rgb[i:i + 3] == wanted)

    def is_uniform(self, colour=None):
        first = self.rgb[0:3] if colour is None else bytes(colour)
        return self.rgb == first * (self.width * self.height)


def _bytes(value):
    return value if isinstance(value, bytes) else bytes(value)


def _text(value):
    return _bytes(value).decode("utf-8", errors="replace") if not isinstance(value, str) else value
