#!/usr/bin/python3
"""presses.py TITLE: a plain GTK 3 window for the end-to-end tests that prints each button press on it
as "press X Y" (window coordinates), and "shown" once it is on screen. GDK_BACKEND picks a native
Wayland or an X11 window."""
import sys

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

title = sys.argv[1]
window = Gtk.Window(title=title)
window.set_default_size(600, 400)
area = Gtk.DrawingArea()
area.add_events(Gdk.EventMask.BUTTON_PRESS_MASK)
area.connect("button-press-event", lambda _, e: print(f"press {e.x:.0f} {e.y:.0f}", flush=True))
window.add(area)
window.connect("destroy", Gtk.main_quit)
window.connect("map-event", lambda *_: print("shown", flush=True))
window.show_all()
Gtk.main()
