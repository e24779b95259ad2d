"""A small GTK 3 window that offers one file as a drag source (text/uri-list), as a file manager does.

Usage: drag_source.py URI_FILE X Y
URI_FILE holds the URI to offer; it is read at every drag, so one source serves several drags.
Prints "ready", then "drag-begin", "data-get URI", "drag-end" or "drag-failed REASON" as they happen.
"""

import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402

TITLE = "Quadrino e2e drag source"


def say(text):
    print(text, flush=True)


def main():
    uri_file, x, y = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    window = Gtk.Window(title=TITLE)
    window.set_default_size(160, 100)
    window.move(x, y)
    box = Gtk.EventBox()
    box.add(Gtk.Label(label="drag me"))
    box.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
    box.drag_source_add_uri_targets()

    def on_get(_widget, _context, data, _info, _time):
        with open(uri_file, encoding="utf-8") as f:
            uri = f.read().strip()
        data.set_uris([uri])
        say("data-get " + uri)

    box.connect("drag-begin", lambda *_: say("drag-begin"))
    box.connect("drag-data-get", on_get)
    box.connect("drag-end", lambda *_: say("drag-end"))
    box.connect("drag-failed", lambda _w, _c, result: say("drag-failed %s" % result.value_nick) or False)
    window.add(box)
    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    GLib.idle_add(lambda: say("ready") or False)
    Gtk.main()


if __name__ == "__main__":
    main()
