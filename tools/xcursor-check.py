#!/usr/bin/env python3
"""Shows cursors of a Linux cursor theme on a running X server and reads back what it shows.

usage: xcursor-check.py THEMES_DIR THEME NAME...     (XCURSOR_PATH must name THEMES_DIR)

For each NAME, libXcursor loads the cursor from THEME by name (XcursorSetTheme,
XcursorLibraryLoadCursor, at size 32) and XDefineCursor sets it on the root window; XFixes
(XFixesGetCursorImage) then reads back the cursor the server shows. It must be one of the images
of THEMES_DIR/THEME/cursors/NAME at the size libXcursor took: same size, hot spot and pixels. An
animated cursor is shown as 1 x 1 until its first delay has passed, so the check polls briefly.
Exits 0 when every cursor matched.
"""
import ctypes
import os
import struct
import sys
import time

from Xlib import display as xdisplay
from Xlib.ext import xfixes  # noqa: F401  (registers the extension's requests)

SIZE = 32


def images_of(path):
    """The images libXcursor plays at SIZE: those of the nominal size nearest to it."""
    data = open(path, "rb").read()
    if data[:4] != b"Xcur":
        raise ValueError(path + " is not an Xcursor file")
    header, _, count = struct.unpack_from("<III", data, 4)
    chunks = []
    for i in range(count):
        kind, nominal, position = struct.unpack_from("<III", data, header + 12 * i)
        if kind != 0xFFFD0002:
            continue
        _, _, _, _, width, height, xhot, yhot, delay = struct.unpack_from("<9I", data, position)
        pixels = struct.unpack_from("<%dI" % (width * height), data, position + 36)
        chunks.append((nominal, width, height, xhot, yhot, delay, pixels))
    best = min(chunks, key=lambda c: abs(c[0] - SIZE))[0]
    return [c for c in chunks if c[0] == best]


def main():
    themes, theme, names = sys.argv[1], sys.argv[2], sys.argv[3:]
    x11 = ctypes.CDLL("libX11.so.6")
    xcursor = ctypes.CDLL("libXcursor.so.1")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XDefineCursor.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xcursor.XcursorSetTheme.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    xcursor.XcursorSetDefaultSize.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xcursor.XcursorLibraryLoadCursor.restype = ctypes.c_ulong
    xcursor.XcursorLibraryLoadCursor.argtypes = [ctypes.c_void_p, ctypes.c_char_p]

    dpy = x11.XOpenDisplay(None)
    if not dpy:
        print("cannot open the display")
        return 1
    xcursor.XcursorSetTheme(dpy, theme.encode())
    xcursor.XcursorSetDefaultSize(dpy, SIZE)
    root = x11.XDefaultRootWindow(dpy)
    reader = xdisplay.Display()
    reader.xfixes_query_version()
    failures = 0
    for name in names:
        cursor = xcursor.XcursorLibraryLoadCursor(dpy, name.encode())
        if not cursor:
            print("FAIL %s: libXcursor did not load it from theme %s" % (name, theme))
            failures += 1
            continue
        x11.XDefineCursor(dpy, root, cursor)
        x11.XSync(dpy, 0)
        expected = images_of(os.path.join(themes, theme, "cursors", name))
        deadline = time.monotonic() + 3 + max(c[5] for c in expected) / 1000.0
        shown = None
        while time.monotonic() < deadline:
            image = reader.xfixes_get_cursor_image(reader.screen().root)
            shown = (image.width, image.height, image.xhot, image.yhot, tuple(image.cursor_image))
            if any(shown == (c[1], c[2], c[3], c[4], c[6]) for c in expected):
                break
            time.sleep(0.02)
        else:
            print("FAIL %s: the server shows %dx%d hot spot %d,%d, none of the %d images of %s"
                  % ((name,) + shown[:4] + (len(expected), name)))
            failures += 1
            continue
        print("ok   %s: %dx%d, hot spot %d,%d, one of %d steps"
              % ((name,) + shown[:4] + (len(expected),)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
