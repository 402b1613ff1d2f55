#!/usr/bin/python3
"""Screenshots for the end-to-end tests and what they show.
  shot.py kwin OUT.png        the whole screen of a KWin session, through its ScreenShot2 D-Bus
                              interface (KWin must run with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1)
  shot.py box PNG X Y W H     "X Y W H" of what differs from the most common colour in that area
                              (an icon on a bar of one colour); nothing when all of it is that colour
  shot.py drawn PNG X Y W H   the share (0..1) of that area unlike the colour around it, sampled on a
                              ring 8 pixels outside (something drawn there, or the bare window)
  shot.py x11 OUT.png         the whole screen of the X display in DISPLAY
  shot.py black PNG X Y W H   the share (0..1) of that area that is black (a picture left undrawn)"""
import collections
import os
import sys
import threading

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, GLib  # noqa: E402


def kwin(out):
    import dbus

    read_end, write_end = os.pipe()
    chunks = []

    def drain():
        with os.fdopen(read_end, "rb") as f:
            while block := f.read(1 << 20):
                chunks.append(block)

    reader = threading.Thread(target=drain)
    reader.start()
    screenshot = dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2")
    # Without the pointer: the tests look at what lies under it.
    result = screenshot.CaptureWorkspace({"include-cursor": False, "native-resolution": True},
                                         dbus.types.UnixFd(write_end), dbus_interface="org.kde.KWin.ScreenShot2")
    os.close(write_end)
    reader.join(10)
    data = b"".join(chunks)
    width, height, stride = int(result["width"]), int(result["height"]), int(result["stride"])
    # QImage's 32-bit formats are B G R A in memory on little-endian machines; RGB32 (4) has no alpha.
    rgba = bytearray(width * height * 4)
    for row in range(height):
        rgba[row * width * 4:(row + 1) * width * 4] = data[row * stride:row * stride + width * 4]
    rgba[0::4], rgba[2::4] = rgba[2::4], rgba[0::4]
    if int(result["format"]) == 4:
        rgba[3::4] = b"\xff" * (width * height)
    pixbuf = GdkPixbuf.Pixbuf.new_from_bytes(GLib.Bytes.new(bytes(rgba)), GdkPixbuf.Colorspace.RGB, True, 8,
                                             width, height, width * 4)
    pixbuf.savev(out, "png", [], [])


class Picture:
    def __init__(self, path):
        pixbuf = GdkPixbuf.Pixbuf.new_from_file(path)
        self.width, self.height = pixbuf.get_width(), pixbuf.get_height()
        self.stride, self.channels = pixbuf.get_rowstride(), pixbuf.get_n_channels()
        self.data = pixbuf.get_pixels()

    def at(self, x, y):
        i = y * self.stride + x * self.channels
        return tuple(self.data[i:i + 3])

    def inside(self, x, y):
        return 0 <= x < self.width and 0 <= y < self.height


def unlike(a, b):
    return sum(abs(p - q) for p, q in zip(a, b)) > 48


def box(path, x0, y0, w, h):
    picture = Picture(path)
    points = [(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w) if picture.inside(x, y)]
    common = collections.Counter(picture.at(x, y) for x, y in points).most_common(1)[0][0]
    hits = [(x, y) for x, y in points if unlike(picture.at(x, y), common)]
    if hits:
        xs, ys = [x for x, _ in hits], [y for _, y in hits]
        print(min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)


def drawn(path, x0, y0, w, h):
    picture = Picture(path)
    ring = [(x, y0 - 8) for x in range(x0 - 8, x0 + w + 8)] + [(x, y0 + h + 8) for x in range(x0 - 8, x0 + w + 8)]
    ring += [(x0 - 8, y) for y in range(y0, y0 + h)] + [(x0 + w + 8, y) for y in range(y0, y0 + h)]
    around = collections.Counter(picture.at(x, y) for x, y in ring if picture.inside(x, y)).most_common(1)[0][0]
    points = [(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w) if picture.inside(x, y)]
    print(f"{sum(unlike(picture.at(x, y), around) for x, y in points) / max(1, len(points)):.2f}")


def x11(out):
    os.environ["GDK_BACKEND"] = "x11"
    gi.require_version("Gdk", "3.0")
    from gi.repository import Gdk

    root = Gdk.get_default_root_window()
    Gdk.pixbuf_get_from_window(root, 0, 0, root.get_width(), root.get_height()).savev(out, "png", [], [])


def black(path, x0, y0, w, h):
    picture = Picture(path)
    points = [(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w) if picture.inside(x, y)]
    print(f"{sum(max(picture.at(x, y)) < 16 for x, y in points) / max(1, len(points)):.2f}")


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command in ("kwin", "x11"):
        {"kwin": kwin, "x11": x11}[command](args[0])
    else:
        {"box": box, "drawn": drawn, "black": black}[command](args[0], *(int(v) for v in args[1:5]))
