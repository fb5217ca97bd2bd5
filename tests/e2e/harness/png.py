"""Screenshots: a minimal PNG writer (8-bit RGB, no filtering) on zlib alone."""

import os
import struct
import zlib


def encode_png(width, height, rgb):
    if len(rgb) != width * height * 3:
        raise ValueError(f"{len(rgb)} bytes of RGB for {width}x{height}")
    stride = width * 3
    raw = b"".join(b"\0" + rgb[row * stride:(row + 1) * stride] for row in range(height))

    def chunk(kind, payload):
        body = kind + payload
        return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit truecolour
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def screenshot_dir():
    """ZORSAV_SCREENSHOT_DIR, else <build>/screenshots, else a folder under /tmp."""
    folder = os.environ.get("ZORSAV_SCREENSHOT_DIR")
    if not folder:
        build = os.environ.get("ZORSAV_BUILD_DIR")
        folder = os.path.join(build, "screenshots") if build else "/tmp/zorsav-e2e-screenshots"
    os.makedirs(folder, exist_ok=True)
    return folder


def save_png(image, name):
    """Writes an xwin.Image as <screenshot dir>/<name>.png and returns the path."""
    path = os.path.join(screenshot_dir(), f"{name}.png")
    with open(path, "wb") as handle:
        handle.write(encode_png(image.width, image.height, image.rgb))
    return path
