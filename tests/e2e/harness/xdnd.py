"""A drag source speaking XDND version 5, as a file manager or a browser would.

It talks straight to the target window: XdndEnter, one XdndPosition, then waits for
XdndStatus. If the target accepts, XdndDrop follows and the data is handed over through the
XdndSelection selection until XdndFinished arrives; if it refuses, XdndLeave ends the drag.
Selection requests are answered at any time, since targets may look at the data while the
drag is still in progress.
"""

import os
import select
import time
import urllib.parse
from dataclasses import dataclass, field

from Xlib import X, Xatom, display, error, protocol

XDND_VERSION = 5


@dataclass
class DragResult:
    accepted: bool = False          # XdndStatus said the target would take the drop
    dropped: bool = False           # XdndDrop was sent
    finished: bool = False          # XdndFinished arrived
    succeeded: bool = False         # XdndFinished said the target performed the drop
    action: str = None              # the action the target chose, e.g. "XdndActionCopy"
    requested: list = field(default_factory=list)  # the types the target fetched
    elapsed: float = 0.0            # seconds from XdndEnter to the end of the drag
    refused_reason: str = None      # why there was no drop, if there was none


def file_uri(path):
    return "file://" + urllib.parse.quote(os.path.abspath(path), safe="/")


def files_payload(paths):
    """What a file manager offers for dragged files: a text/uri-list of file:// URIs."""
    uris = "".join(file_uri(p) + "\r\n" for p in paths)
    return {"text/uri-list": uris.encode()}


def link_payload(url, title=None):
    """What a browser offers for a dragged link: the URL as text/uri-list and as plain text."""
    return {
        "text/uri-list": (url + "\r\n").encode(),
        "text/x-moz-url": (url + "\n" + (title or url)).encode("utf-16-le"),
        "text/plain;charset=utf-8": url.encode(),
        "text/plain": url.encode(),
    }


def text_payload(text):
    """A dragged text selection: plain text only, no URIs."""
    return {
        "text/plain;charset=utf-8": text.encode(),
        "UTF8_STRING": text.encode(),
        "text/plain": text.encode(),
    }


class DragSource:
    def __init__(self, display_name):
        self.d = display.Display(display_name)
        self.root = self.d.screen().root
        self.window = self.root.create_window(
            -10, -10, 1, 1, 0, X.CopyFromParent, X.InputOnly, X.CopyFromParent,
            event_mask=X.PropertyChangeMask)
        self._atoms = {}

    def close(self):
        try:
            self.window.destroy()
            self.d.close()
        except Exception:  # noqa: BLE001 - the server may be gone already
            pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def atom(self, name):
        if name not in self._atoms:
            self._atoms[name] = self.d.intern_atom(name)
        return self._atoms[name]

    def _timestamp(self):
        self.window.change_property(self.atom("_ZORSAV_E2E_DND_TIME"), Xatom.STRING, 8, b"t")
        self.d.flush()
        event = self._wait(lambda e: e.type == X.PropertyNotify and e.window.id == self.window.id,
                           timeout=5.0, payload={})
        if event is None:
            raise RuntimeError("no PropertyNotify for the timestamp")
        return event.time

    def _send(self, target, message, data):
        data = list(data) + [0] * (5 - len(data))
        event = protocol.event.ClientMessage(window=target, client_type=self.atom(message),
                                             data=(32, data))
        target.send_event(event, event_mask=X.NoEventMask)
        self.d.flush()

    def drag(self, target, payload, point=None, action="XdndActionCopy", timeout=5.0):
        """Drags payload ({mime type: bytes}) onto target and drops it there if accepted.

        target is the top-level client window (an Xlib window or its id). point is where the
        pointer is, in the target's coordinates; the middle of the window by default.
        """
        if isinstance(target, int):
            target = self.d.create_resource_object("window", target)
        else:
            target = self.d.create_resource_object("window", target.id)
        result = DragResult()

        aware = target.get_full_property(self.atom("XdndAware"), Xatom.ATOM)
        if aware is None or len(aware.value) == 0:
            result.refused_reason = "target has no XdndAware"
            return result
        version = min(XDND_VERSION, aware.value[0])

        geometry = target.get_geometry()
        if point is None:
            point = (geometry.width // 2, geometry.height // 2)
        origin = self.root.translate_coords(target, point[0], point[1])

        types = [self.atom(name) for name in payload]
        if len(types) > 3:
            self.window.change_property(self.atom("XdndTypeList"), Xatom.ATOM, 32, types)
        stamp = self._timestamp()
        self.window.set_selection_owner(self.atom("XdndSelection"), stamp)
        self.d.flush()
        if self.d.get_selection_owner(self.atom("XdndSelection")).id != self.window.id:
            raise RuntimeError("could not own XdndSelection")

        started = time.monotonic()
        src = self.window.id
        self._send(target, "XdndEnter",
                   [src, (version << 24) | (1 if len(types) > 3 else 0)] + (types[:3] + [0, 0, 0])[:3])
        self._send(target, "XdndPosition",
                   [src, 0, (origin.x << 16) | (origin.y & 0xFFFF), stamp, self.atom(action)])

        status = self._wait(lambda e: self._is_message(e, "XdndStatus", target), timeout, payload,
                            result)
        if status is None:
            self._send(target, "XdndLeave", [src])
            result.refused_reason = f"no XdndStatus within {timeout} s"
            result.elapsed = time.monotonic() - started
            return result
        data = status.data[1]
        result.accepted = bool(data[1] & 1)
        if data[4]:
            result.action = self.d.get_atom_name(data[4])

        if not result.accepted:
            self._send(target, "XdndLeave", [src])
            result.refused_reason = "target answered XdndStatus with accept=0"
            # Let a late data request find an owner that answers "no" rather than nobody.
            self._drain(payload, result)
            result.elapsed = time.monotonic() - started
            return result

        self._send(target, "XdndDrop", [src, 0, stamp])
        result.dropped = True
        finished = self._wait(lambda e: self._is_message(e, "XdndFinished", target), timeout,
                              payload, result)
        if finished is not None:
            result.finished = True
            data = finished.data[1]
            # Before version 5 XdndFinished carried no result: finishing meant success.
            result.succeeded = bool(data[1] & 1) if version >= 5 else True
            if version >= 5 and data[2]:
                result.action = self.d.get_atom_name(data[2])
        result.elapsed = time.monotonic() - started
        return result

    def _is_message(self, event, name, target):
        return (event.type == X.ClientMessage and event.client_type == self.atom(name)
                and event.data[1][0] == target.id)

    def _wait(self, accept, timeout, payload, result=None):
        deadline = time.monotonic() + timeout
        while True:
            while self.d.pending_events():
                event = self.d.next_event()
                if event.type == X.SelectionRequest:
                    self._answer(event, payload, result)
                elif accept(event):
                    return event
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            select.select([self.d.fileno()], [], [], remaining)

    def _drain(self, payload, result):
        self.d.sync()
        while self.d.pending_events():
            event = self.d.next_event()
            if event.type == X.SelectionRequest:
                self._answer(event, payload, result)

    def _answer(self, request, payload, result):
        target_name = self.d.get_atom_name(request.target)
        prop = request.property or request.target
        try:
            if request.selection != self.atom("XdndSelection"):
                prop = X.NONE
            elif target_name == "TARGETS":
                atoms = [self.atom("TARGETS")] + [self.atom(name) for name in payload]
                request.requestor.change_property(prop, Xatom.ATOM, 32, atoms)
            elif target_name in payload:
                request.requestor.change_property(prop, request.target, 8, payload[target_name])
                if result is not None:
                    result.requested.append(target_name)
            else:
                prop = X.NONE
        except error.XError:
            prop = X.NONE
        notify = protocol.event.SelectionNotify(
            time=request.time, requestor=request.requestor, selection=request.selection,
            target=request.target, property=prop)
        request.requestor.send_event(notify, event_mask=X.NoEventMask)
        self.d.flush()


def drag(display_name, window, payload, point=None, timeout=5.0):
    with DragSource(display_name) as source:
        return source.drag(window, payload, point=point, timeout=timeout)


def drop_files(display_name, window, paths, point=None, timeout=5.0):
    """Drags files onto window like a file manager; True if the window accepted the drop."""
    return drag(display_name, window, files_payload(paths), point=point, timeout=timeout).accepted
