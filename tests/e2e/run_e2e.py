#!/usr/bin/env python3
"""End-to-end suite: the real Quadrino.exe under Wine on a private X display (Xvfb + openbox),
driven by real input events (xdotool), read through the X clipboard (xclip) and fed by a real drag
from another X program (GTK 3). Prints one line per case and a closing "N passed, N failed" line.

Usage: run_e2e.py --build BUILD_DIR [--only NAME[,NAME...]]
Screenshots go to BUILD_DIR/e2e/.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
import zlib

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import bmp  # noqa: E402
import formats  # noqa: E402
import png  # noqa: E402
from desktop import (TITLE, CaseFailure, CaseSkipped, Desktop, DragSource, end_process,  # noqa: E402
                     install_signal_handlers, wait_until, windows_path)

# Wine's own frame around a sizable captioned window at 96 DPI: 4-pixel borders and a 19-pixel
# caption. The program's layout rule works on that outer size; X shows only the inside.
FRAME_SIDE = 4
FRAME_TOP = 23
FRAME_BOTTOM = 4
BUILT_IN_TILE = (145, 113)
TILE = (41, 29)  # set1\b.bmp, which the view cases show
GLASS_TILE = (23, 17)  # the PNG with every kind of alpha
PHOTO_SOURCE = "/usr/share/wallpapers/Path/contents/images/2560x1600.jpg"  # plasma-workspace-wallpapers
PHOTO_SIZE = (160, 120)
LIST_FIRST_ITEM_TOP = 2  # the file list's client edge above its first entry
# The first types, what Wine's decoders add, and the formats decoded by the program itself.
EXTENSIONS = (".bmp", ".gif", ".jpg", ".jpeg", ".tif", ".tiff", ".png", ".dib", ".rle", ".dds", ".jfif", ".jxr",
              ".hdp", ".wdp", ".tga", ".tpic", ".ico", ".psd", ".qoi", ".hdr")
FORMATS_TILE = (24, 16)  # whole 4 x 4 blocks for DDS
CAMERA_TILE = (48, 32)  # stored sideways: shown 32 x 48


def check(condition, message):
    if not condition:
        raise CaseFailure(message)


def ramp_image(width, height, step):
    """Red climbs from the left edge and jumps back across it: a distinct seam."""
    return bmp.Image(width, height, [[(x * step % 256, y, 0) for x in range(width)] for y in range(height)])


def seamless_image(side):
    """Red rises and falls along x, green along y: every step, across the edges too, is the same."""
    return bmp.Image(side, side, [[(8 * min(x, side - x), 8 * min(y, side - y), 0) for x in range(side)]
                                  for y in range(side)])


class Layout:
    """Where the main window's controls are, from its inside size, by the program's layout rule."""

    def __init__(self, desktop, wid):
        self.x, self.y, self.width, self.height = desktop.geometry(wid)
        self.outer_width = self.width + 2 * FRAME_SIDE
        self.outer_height = self.height + FRAME_TOP + FRAME_BOTTOM
        pic_w = round((self.outer_width * 15 - 189 - 3100) / 15)
        pic_h = self.outer_height - 44
        # The preview's persistent image is its inside: two pixels of sunken edge all round.
        self.preview = (self.x + 206, self.y + 10, pic_w - 4, pic_h - 4)
        self.frame_top = self.outer_height - 186
        self.file_list = (self.x + 8, self.y + 170, 187, self.outer_height - 356 - 21)
        self.check_top = self.frame_top - 21
        self.check_box = (self.x + 28, self.y + self.check_top, 143, 21)
        self.folder_list = (self.x + 8, self.y + 34, 189, 132)

    def preview_size(self):
        return self.preview[2], self.preview[3]


class Suite:
    def __init__(self, build_dir):
        self.build_dir = os.path.abspath(build_dir)
        self.exe = os.path.join(self.build_dir, "Quadrino.exe")
        self.out_dir = os.path.join(self.build_dir, "e2e")
        os.makedirs(self.out_dir, exist_ok=True)
        # Screenshots of an earlier run would pass for this run's.
        for name in os.listdir(self.out_dir):
            if name.endswith(".png"):
                os.remove(os.path.join(self.out_dir, name))
        self.work = tempfile.mkdtemp(prefix="quadrino-e2e-")
        self.app_dir = os.path.join(self.work, "app")
        self.pics = os.path.join(self.work, "pics")
        self.desktop = Desktop(self.build_dir, self.out_dir)
        self.program = None
        self.session = None
        self.main = None
        self.item_height = 15
        self.drag_source = None
        self.images = {}

    # --- fixtures ---------------------------------------------------------------------------

    def make_files(self):
        os.makedirs(self.app_dir)
        shutil.copy2(self.exe, os.path.join(self.app_dir, "Quadrino.exe"))
        seed = 0
        for folder, names in (("set1", [("a.bmp", 37, 23), ("b.bmp", 41, 29), ("c.bmp", 23, 37), ("d.bmp", 29, 31)]),
                              ("a b", [("Wand 0.bmp", 31, 19), ("Wand 1.bmp", 37, 23)]),
                              ("drop1", [("p.bmp", 43, 17), ("q.bmp", 19, 43)]),
                              ("drop2", [("r.bmp", 27, 27), ("s.bmp", 33, 21)]),
                              ("drop3", [("t.bmp", 21, 33), ("u.bmp", 17, 19)]),
                              ("rapport", [("k.bmp", 31, 18), ("l.bmp", 27, 16)])):
            os.makedirs(os.path.join(self.pics, folder))
            for name, width, height in names:
                seed += 1
                image = bmp.pattern_image(width, height, seed)
                path = os.path.join(self.pics, folder, name)
                with open(path, "wb") as f:
                    f.write(bmp.encode_bmp24(image))
                self.images[path] = image
        with open(os.path.join(self.pics, "set1", "notes.txt"), "w") as f:
            f.write("not a picture\n")
        os.makedirs(os.path.join(self.pics, "formats"))
        tile = bmp.pattern_image(FORMATS_TILE[0], FORMATS_TILE[1], 11)
        blocks = formats.blocks_image(FORMATS_TILE[0], FORMATS_TILE[1], 4)
        made = (("kachel.tga", tile, ("-flip", "-compress", "RLE")), ("kachel.psd", tile, ()),
                ("kachel.dds", blocks, ("-define", "dds:compression=dxt1", "-define", "dds:mipmaps=0")))
        for name, image, options in made:
            path = os.path.join(self.pics, "formats", name)
            formats.convert(image, path, *options)
            self.images[path] = image
        qoi = os.path.join(self.pics, "formats", "kachel.qoi")
        with open(qoi, "wb") as f:
            f.write(formats.encode_qoi(tile))
        self.images[qoi] = tile
        camera = formats.blocks_image(CAMERA_TILE[0], CAMERA_TILE[1], 16)
        stored = os.path.join(self.work, "stored.jpg")
        formats.convert(camera, stored, "-quality", "95", "-sampling-factor", "2x2")
        with open(stored, "rb") as f:
            jpeg = f.read()
        with open(os.path.join(self.pics, "formats", "foto.jpg"), "wb") as f:
            f.write(formats.with_exif_orientation(jpeg, 6))
        self.images[os.path.join(self.pics, "formats", "foto.jpg")] = formats.turned_right(camera)
        # A crop of a real photo for "Nahtlos machen"; the pattern tiles would show nothing to repair.
        os.makedirs(os.path.join(self.pics, "foto"))
        photo = os.path.join(self.pics, "foto", "weg.bmp")
        subprocess.run(["convert", PHOTO_SOURCE, "-crop", "%dx%d+1100+1100" % PHOTO_SIZE, "+repage",
                        "-type", "TrueColor", "BMP3:" + photo], check=False, capture_output=True)
        # A dozen pictures with seams of different strength, and one seamless picture among them.
        os.makedirs(os.path.join(self.pics, "seams"))
        for i in range(1, 12):
            self.write_bmp(self.pic("seams", "a%d.bmp" % (100 + i)), ramp_image(24 + i, 20, 3 + i))
        self.write_bmp(self.pic("seams", "m_nahtlos.bmp"), seamless_image(32))
        # Between two pictures, 19 bytes of rubbish named like a picture.
        os.makedirs(os.path.join(self.pics, "kaputt"))
        for name, width, height in (("a.bmp", 31, 17), ("c.bmp", 17, 29)):
            seed += 1
            path = os.path.join(self.pics, "kaputt", name)
            self.images[path] = bmp.pattern_image(width, height, seed)
            with open(path, "wb") as f:
                f.write(bmp.encode_bmp24(self.images[path]))
        with open(os.path.join(self.pics, "kaputt", "b.png"), "wb") as f:
            f.write(b"nichts als Unsinn!!")
        os.makedirs(os.path.join(self.pics, "saved"))
        os.makedirs(os.path.join(self.pics, "alpha"))
        with open(os.path.join(self.pics, "alpha", "glas.png"), "wb") as f:
            f.write(png.encode_png(png.glass_image(*GLASS_TILE)))

    def write_bmp(self, path, image):
        with open(path, "wb") as f:
            f.write(bmp.encode_bmp24(image))
        self.images[path] = image

    def pic(self, folder, name):
        return os.path.join(self.pics, folder, name)

    def listed(self, folder):
        """The entries the file list shows for a folder, in its order (sorted, letter case ignored)."""
        names = [n for n in os.listdir(folder) if n.lower().endswith(EXTENSIONS)]
        return sorted(names, key=str.lower)

    def image_of(self, path):
        if path not in self.images:
            with open(path, "rb") as f:
                self.images[path] = bmp.decode_bmp(f.read())
        return self.images[path]

    # --- the program ------------------------------------------------------------------------

    def start_program(self, args, cwd=None):
        d = self.desktop
        check(not d.windows_named(TITLE), "a window titled %r is already open before the start" % TITLE)
        self.program = d.spawn(["wine", os.path.join(self.app_dir, "Quadrino.exe")] + list(args),
                               cwd=cwd or self.app_dir)
        self.main = d.wait_window(TITLE, timeout=60, owner=self.program)
        return self.main

    def stop_program(self):
        d = self.desktop
        if self.program is None:
            return
        if self.program.poll() is None and self.main and d.is_viewable(self.main):
            # Closing the window the way a user does ends the program.
            d.activate(self.main)
            d.run(["xdotool", "key", "alt+F4"], timeout=5)
            try:
                self.program.wait(timeout=8)
            except Exception:
                pass
        end_process(self.program)
        self.program = None
        self.main = None
        self.session = None
        wait_until("the program's windows to go", lambda: not d.windows_named(TITLE), 15)

    def ensure_session(self, session):
        """Keeps the program running for the cases of one session; starts it afresh for a new one."""
        if self.session == session and self.program is not None and self.program.poll() is None:
            return
        self.stop_program()
        if session == "main":
            self.start_program([windows_path(self.pic("set1", "b.bmp"))])
            self.wait_tiled(self.image_of(self.pic("set1", "b.bmp")))
        self.session = session

    def layout(self):
        return Layout(self.desktop, self.main)

    def wait_overview(self, folder):
        """The overview window of the folder, once shown."""
        title = "Übersicht – " + windows_path(folder)

        def probe():
            for wid in self.desktop.search("--onlyvisible", "--name", "bersicht"):
                if self.desktop.window_name(wid) == title:
                    return wid
            return None
        return wait_until('the window "%s"' % title, probe, 15)

    # --- checks -----------------------------------------------------------------------------

    @staticmethod
    def tiling_mismatch(clip, tile):
        """None when clip is tile repeated from the top-left corner; else the first differing pixel."""
        reps = clip.width // tile.width + 2
        rows = [(row * reps)[:clip.width] for row in tile.rows]
        for y in range(clip.height):
            if clip.rows[y] != rows[y % tile.height]:
                x = next(i for i in range(clip.width) if clip.rows[y][i] != rows[y % tile.height][i])
                return (x, y)
        return None

    @staticmethod
    def period_mismatch(image, period_x, period_y):
        for y, row in enumerate(image.rows):
            if row[period_x:] != row[:-period_x]:
                return "row %d does not repeat every %d pixels" % (y, period_x)
            if y >= period_y and row != image.rows[y - period_y]:
                return "row %d differs from row %d" % (y, y - period_y)
        return None

    @staticmethod
    def repeat_pixel(tile, repeat, x, y):
        """The tile's pixel the repeat ("block", "drop", "brick", "mirror", with 1/n) shows at (x, y)."""
        kind, n = repeat
        i, j = x // tile.width, y // tile.height
        tx, ty = x % tile.width, y % tile.height
        if kind == "drop":
            ty = (y - i * int(tile.height / n + 0.5)) % tile.height
        elif kind == "brick":
            tx = (x - j * int(tile.width / n + 0.5)) % tile.width
        elif kind == "mirror":
            tx = tile.width - 1 - tx if i % 2 else tx
            ty = tile.height - 1 - ty if j % 2 else ty
        return tile.rows[ty][tx]

    def repeat_mismatch(self, image, tile, repeat):
        """None when the image is the repeat of the tile from its top-left corner; else the first wrong pixel."""
        for y in range(image.height):
            for x in range(image.width):
                if image.rows[y][x] != self.repeat_pixel(tile, repeat, x, y):
                    return (x, y)
        return None

    def wait_repeat(self, tile, repeat, timeout=20):
        """Waits until the X clipboard holds the preview-sized repeat of the tile."""
        state = {"last": "no image/bmp on the clipboard"}
        size = self.layout().preview_size()

        def probe():
            clip = self.desktop.clipboard_image()
            if clip is None or (clip.width, clip.height) != size:
                return None
            wrong = self.repeat_mismatch(clip, tile, repeat)
            if wrong:
                state["last"] = "clipboard pixel %s is not the %s 1/%d repeat's" % ((wrong,) + repeat)
                return None
            return clip
        try:
            return wait_until("the clipboard to hold the %s repeat" % repeat[0], probe, timeout, interval=0.3)
        except CaseFailure as error:
            raise CaseFailure("%s (%s)" % (error, state["last"]))

    def wait_tiled(self, tile, size=None, timeout=20, tolerance=0):
        """Waits until the X clipboard holds tile repeated over the preview, pixel for pixel."""
        state = {"last": "no image/bmp on the clipboard"}
        expected_size = size or self.layout().preview_size()

        def probe():
            clip = self.desktop.clipboard_image()
            if clip is None:
                return None
            if (clip.width, clip.height) != expected_size:
                state["last"] = "clipboard image %dx%d, preview %dx%d" % ((clip.width, clip.height) + expected_size)
                return None
            if tolerance:
                wrong = formats.tiling_mismatch_near(clip, tile, tolerance)
            else:
                wrong = self.tiling_mismatch(clip, tile)
            if wrong:
                state["last"] = "clipboard pixel %s is not the %dx%d tile's" % (wrong, tile.width, tile.height)
                return None
            return clip
        try:
            return wait_until("the clipboard to hold the tiling", probe, timeout, interval=0.2)
        except CaseFailure as error:
            raise CaseFailure("%s (%s)" % (error, state["last"]))

    def selected_band(self, screen, layout):
        """(top, height) of the highlighted entry in the file list, relative to the list, or None."""
        x0, y0, _w, h = layout.file_list
        x = x0 + 150  # right of the names, where only the highlight colours the entry
        top = None
        for y in range(y0 + 1, y0 + h - 1):
            r, g, b = screen.pixel(x, y)
            coloured = max(r, g, b) - min(r, g, b) > 60
            if coloured and top is None:
                top = y
            elif not coloured and top is not None:
                return top - y0, y - top
        return None if top is None else (top - y0, y0 + h - 1 - top)

    def selected_index(self, layout=None):
        layout = layout or self.layout()
        band = self.selected_band(self.desktop.grab(), layout)
        if band is None:
            return None
        return (band[0] - LIST_FIRST_ITEM_TOP) // max(band[1], 1)

    def wait_selected(self, index, timeout=10):
        state = {"last": None}

        def probe():
            state["last"] = self.selected_index()
            return state["last"] == index
        try:
            wait_until("entry %s to be highlighted in the file list" % index, probe, timeout, interval=0.2)
        except CaseFailure as error:
            raise CaseFailure("%s (highlighted: %s)" % (error, state["last"]))

    def entry_point(self, index):
        x, y, w, _h = self.layout().file_list
        return x + w // 2, y + LIST_FIRST_ITEM_TOP + index * self.item_height + self.item_height // 2

    def click_entry(self, folder, name, tolerance=0):
        index = self.listed(folder).index(name)
        self.desktop.click(*self.entry_point(index))
        self.wait_tiled(self.image_of(os.path.join(folder, name)), tolerance=tolerance)
        self.wait_selected(index)
        return index

    def open_popup(self, folder, name):
        d = self.desktop
        index = self.listed(folder).index(name)
        d.click(*self.entry_point(index), button=3)
        known = {self.main}
        popup = wait_until("the popup menu", lambda: (d.popup_windows(known) or [None])[0], 10)
        return popup

    def choose_from_popup(self, folder, name, downs):
        popup = self.open_popup(folder, name)
        self.desktop.keys(*(["Down"] * downs + ["Return"]))
        self.desktop.wait_gone(popup, "the popup menu")

    def main_window_crop(self, *extra_windows):
        """A screenshot rectangle around the main window with its frame and any extra windows."""
        d = self.desktop
        rects = []
        for wid in (self.main,) + extra_windows:
            x, y, w, h = d.geometry(wid)
            left, right, top, bottom = d.frame_extents(wid)
            rects.append((x - left, y - top, x + w + right, y + h + bottom))
        sw, sh = d.screen_size()
        x0 = max(0, min(r[0] for r in rects) - 8)
        y0 = max(0, min(r[1] for r in rects) - 8)
        x1 = min(sw, max(r[2] for r in rects) + 8)
        y1 = min(sh, max(r[3] for r in rects) + 8)
        return (x0, y0, x1 - x0, y1 - y0)

    def left_column_problems(self, screen, layout):
        """What is missing from the drawn left column: the check box and the frame's bottom edge."""
        problems = []
        cx, cy, cw, ch = layout.check_box
        white = sum(1 for y in range(cy, cy + ch) for x in range(cx, cx + 20) if screen.pixel(x, y) == (255, 255, 255))
        # The caption's letters: a stale white or grey area has none.
        letters = sum(1 for y in range(cy, cy + ch) for x in range(cx + 20, cx + cw) if max(screen.pixel(x, y)) < 128)
        if white < 60 or letters < 20:
            problems.append("no check box drawn at client y %d (%d white pixels, %d dark pixels of its caption)" % (
                layout.check_top, white, letters))
        edge_y = layout.y + layout.frame_top + 147
        dark = sum(1 for x in range(layout.x + 20, layout.x + 170) if max(screen.pixel(x, edge_y)) < 210)
        if dark < 100:
            problems.append("no frame edge drawn at client y %d (%d dark pixels)" % (layout.frame_top + 147, dark))
        return problems

    def check_preview_on_screen(self, layout, clip):
        """The clipboard image is exactly what the preview shows on the screen."""
        x, y, w, h = layout.preview
        shown = self.desktop.grab().region(x, y, w, h)
        for yy in range(h):
            if shown.rows[yy] != clip.rows[yy]:
                xx = next(i for i in range(w) if shown.rows[yy][i] != clip.rows[yy][i])
                raise CaseFailure("the preview on the screen differs from the clipboard at (%d, %d)" % (xx, yy))

    # --- cases ------------------------------------------------------------------------------

    def case_start_without_arguments(self):
        d = self.desktop
        tiles = os.path.join(self.app_dir, "Tiles")
        check(not os.path.exists(tiles), "Tiles exists before the first start")
        self.start_program([])
        # The pointer away from the preview: its tooltip would land in the comparison below.
        d.move_pointer(2, 2)
        time.sleep(0.3)  # short settle: a second window would show up now
        windows = d.windows_named(TITLE)
        check(windows == [self.main], "expected one window titled %r, found %d" % (TITLE, len(windows)))
        check(os.path.isdir(tiles), "Tiles\\ was not created beside the program")
        layout = self.layout()
        state = {"last": "no image/bmp on the clipboard"}

        def tiled_built_in():
            # Earlier copies (the first resize) may still hold the empty preview: wait for the tiling.
            clip = d.clipboard_image()
            if clip is None:
                return None
            if (clip.width, clip.height) != layout.preview_size():
                state["last"] = "clipboard image %dx%d, preview %dx%d" % (
                    (clip.width, clip.height) + layout.preview_size())
                return None
            wrong = self.period_mismatch(clip, *BUILT_IN_TILE)
            if wrong:
                state["last"] = "the clipboard does not repeat with the built-in tile's period: " + wrong
                return None
            colours = len({p for row in clip.rows[:BUILT_IN_TILE[1]] for p in row[:BUILT_IN_TILE[0]]})
            if colours <= 50:
                state["last"] = "the clipboard's tile is nearly uniform (%d colours)" % colours
                return None
            return clip
        try:
            clip = wait_until("the built-in tile on the clipboard", tiled_built_in, 20, interval=0.2)
        except CaseFailure as error:
            raise CaseFailure("%s (%s)" % (error, state["last"]))
        check(self.period_mismatch(clip, BUILT_IN_TILE[0] - 1, BUILT_IN_TILE[1]) is not None,
              "the clipboard also repeats every 144 pixels: no real tile")
        screen_w, screen_h = d.screen_size()
        outer_left = layout.x - FRAME_SIDE
        outer_top = layout.y - FRAME_TOP
        want_left = screen_w // 2 - layout.outer_width // 2
        want_top = round(0.85 * screen_h) // 2 - layout.outer_height // 2
        check(abs(outer_left - want_left) <= 4 and abs(outer_top - want_top) <= 4,
              "window at (%d, %d), centred would be (%d, %d)" % (outer_left, outer_top, want_left, want_top))
        self.check_preview_on_screen(layout, clip)
        problems = self.left_column_problems(d.grab(), layout)
        check(not problems, "; ".join(problems))
        d.screenshot("main-window.png", self.main_window_crop())
        return "one window at (%d, %d) centred on %dx%d, Tiles\\ made, clipboard %dx%d = preview, period %dx%d" % (
            (outer_left, outer_top, screen_w, screen_h, clip.width, clip.height) + BUILT_IN_TILE)

    def case_second_instance(self):
        d = self.desktop
        before = d.clipboard_image()
        check(before is not None, "no image on the clipboard before the second start")
        started = time.monotonic()
        second = d.spawn(["wine", os.path.join(self.app_dir, "Quadrino.exe"),
                          windows_path(self.pic("set1", "c.bmp"))], cwd=self.app_dir)
        try:
            code = second.wait(timeout=30)
        except Exception:
            end_process(second)
            raise CaseFailure("the second start was still running after 30 s")
        took = time.monotonic() - started
        windows = d.windows_named(TITLE)
        check(windows == [self.main], "after the second start %d windows are titled %r" % (len(windows), TITLE))
        after = d.clipboard_image()
        check(after is not None and after.rows == before.rows, "the second start changed the clipboard")
        check(self.program.poll() is None, "the first instance ended")
        return "second start ended after %.1f s (status %d); one window; clipboard unchanged" % (took, code)

    def start_with_wand(self, name, quoted):
        # Each start shows another picture than the one before, so a match is this start's copy.
        wand = self.pic("a b", name)
        path = windows_path(wand)
        # One argument with blanks: Wine puts it in quotation marks in the command-line text.
        # Several words: Wine joins them with blanks, without quotation marks.
        self.start_program([path] if quoted else path.split(" "))
        self.wait_tiled(self.image_of(wand))
        index = self.listed(os.path.dirname(wand)).index(name)
        self.wait_selected(index)
        return "%s: \"%s\" selected (entry %d) and tiled on the clipboard" % (
            "quoted" if quoted else "unquoted", "a b\\" + name, index)

    def case_start_with_quoted_path_with_blanks(self):
        return self.start_with_wand("Wand 1.bmp", True)

    def case_start_with_unquoted_path_with_blanks(self):
        return self.start_with_wand("Wand 0.bmp", False)

    def case_start_with_image(self):
        b = self.pic("set1", "b.bmp")
        clip = self.wait_tiled(self.image_of(b))
        layout = self.layout()
        band = self.selected_band(self.desktop.grab(), layout)
        check(band is not None, "no entry is highlighted in the file list")
        self.item_height = band[1]
        index = (band[0] - LIST_FIRST_ITEM_TOP) // band[1]
        want = self.listed(os.path.dirname(b)).index("b.bmp")
        check(index == want, "entry %d is highlighted, b.bmp is entry %d" % (index, want))
        self.check_preview_on_screen(layout, clip)
        return "b.bmp (41x29) selected (entry %d, %d-pixel entries) and tiled %dx%d pixel for pixel" % (
            index, band[1], clip.width, clip.height)

    def case_list_click_and_arrow_keys(self):
        d = self.desktop
        folder = os.path.join(self.pics, "set1")
        names = self.listed(folder)
        self.click_entry(folder, names[0])
        shown = [names[0]]
        for key, index in (("Down", 1), ("Down", 2), ("Up", 1)):
            d.keys(key)
            self.wait_tiled(self.image_of(os.path.join(folder, names[index])))
            self.wait_selected(index)
            shown.append(names[index])
        return "click on %s, then Down, Down, Up showed and copied %s" % (names[0], ", ".join(shown))

    def case_preview_click_message(self):
        d = self.desktop
        folder = os.path.join(self.pics, "set1")
        current = self.listed(folder)[self.selected_index()]
        x, y, w, h = self.layout().preview
        d.click(x + w // 2, y + h // 3)
        box = d.wait_window(TITLE, exclude={self.main}, timeout=10)
        self.wait_tiled(self.image_of(os.path.join(folder, current)))
        bx, by, bw, bh = d.geometry(box)
        d.screenshot("message-box.png", self.main_window_crop(box))
        d.activate(box)
        d.keys("Return")
        d.wait_gone(box, "the message box")
        check(d.windows_named(TITLE) == [self.main], "the main window is not alone after the message")
        return "click on the preview copied %s again and showed a %dx%d box titled %r; Return closed it" % (
            current, bw, bh, TITLE)

    def case_popup_menu(self):
        d = self.desktop
        # A fresh start on set1\b.bmp: earlier cases move the lists elsewhere and fill the clipboard.
        self.stop_program()
        self.ensure_session("main")
        folder = os.path.join(self.pics, "set1")
        self.click_entry(folder, "b.bmp")
        before = sorted(os.listdir(folder))
        popup = self.open_popup(folder, "b.bmp")
        px, py, pw, ph = d.geometry(popup)
        check(pw > 100 and ph > 60, "the popup is only %dx%d" % (pw, ph))
        d.screenshot("popup-menu.png", self.main_window_crop(popup))
        d.keys("Escape")
        d.wait_gone(popup, "the popup menu")
        check(sorted(os.listdir(folder)) == before, "closing the menu changed the folder")
        return "right click opened a %dx%d popup at (%d, %d); Escape closed it" % (pw, ph, px, py)

    def case_popup_rename(self):
        d = self.desktop
        folder = os.path.join(self.pics, "set1")
        old = os.path.join(folder, "a.bmp")
        new = os.path.join(folder, "x1.bmp")
        image = self.image_of(old)
        self.click_entry(folder, "a.bmp")
        self.choose_from_popup(folder, "a.bmp", 3)
        dialog = d.wait_window("Datei umbenennen", timeout=10)
        d.screenshot("rename-dialog.png", self.main_window_crop(dialog))
        d.activate(dialog)
        d.type_text("x1")  # the whole base name is selected, so typing replaces it
        d.keys("Return")
        d.wait_gone(dialog, "the rename dialog")
        wait_until("a.bmp renamed to x1.bmp", lambda: os.path.exists(new) and not os.path.exists(old), 10)
        self.images[new] = image
        index = self.listed(folder).index("x1.bmp")
        self.wait_tiled(image)
        self.wait_selected(index)
        return "Umbenennen: dialog \"Datei umbenennen\", typed x1 + Enter: a.bmp is x1.bmp on disk, " \
               "x1.bmp (entry %d) selected and on the clipboard" % index

    def case_popup_copy(self):
        d = self.desktop
        folder = os.path.join(self.pics, "set1")
        source = os.path.join(folder, "c.bmp")
        tiles = os.path.join(self.app_dir, "Tiles")
        first = os.path.join(tiles, "c.bmp")
        second = os.path.join(tiles, "c2.bmp")
        check(not os.path.exists(first), "Tiles already holds c.bmp")
        with open(source, "rb") as f:
            content = f.read()

        def same(path):
            if not os.path.exists(path):
                return False
            with open(path, "rb") as f:
                return f.read() == content
        self.click_entry(folder, "c.bmp")
        self.choose_from_popup(folder, "c.bmp", 1)
        wait_until("c.bmp copied into Tiles", lambda: same(first), 10)
        check(d.windows_named("Datei Kopieren") == [], "a copy dialog opened although the name was free")
        self.choose_from_popup(folder, "c.bmp", 1)
        dialog = d.wait_window("Datei Kopieren", timeout=10)
        d.screenshot("copy-dialog.png", self.main_window_crop(dialog))
        d.activate(dialog)
        d.type_text("2")  # the caret stands after the proposed name
        d.keys("Return")
        d.wait_gone(dialog, "the copy dialog")
        wait_until("the copy saved as Tiles\\c2.bmp", lambda: same(second), 10)
        self.wait_tiled(self.image_of(source))  # the closing dialog shows the selected image again
        check(same(source), "the source file changed")
        return "kopieren: c.bmp copied into Tiles; again: dialog \"Datei Kopieren\", typed 2 + Enter: Tiles\\c2.bmp"

    def case_popup_delete(self):
        d = self.desktop
        folder = os.path.join(self.pics, "set1")
        victim = os.path.join(folder, "d.bmp")
        self.click_entry(folder, "d.bmp")
        self.choose_from_popup(folder, "d.bmp", 4)
        question = d.wait_window(TITLE, exclude={self.main}, timeout=10)
        check(os.path.exists(victim), "d.bmp was deleted before the question was answered")
        d.screenshot("delete-question.png", self.main_window_crop(question))
        d.activate(question)
        d.keys("Return")
        d.wait_gone(question, "the delete question")
        wait_until("d.bmp deleted", lambda: not os.path.exists(victim), 10)
        wait_until("the file list without a selection", lambda: self.selected_index() is None, 10)
        return "Löschen: question answered with Return deleted d.bmp; the re-read list has no selection"

    def drag_source_ready(self):
        if self.drag_source is None:
            self.drag_source = DragSource(self.desktop, self.work, 20, 860)
        return self.drag_source

    def case_drop_on_preview(self):
        source = self.drag_source_ready()
        target = self.pic("drop1", "q.bmp")
        x, y, w, h = self.layout().preview
        source.drag_to(target, x + w // 2, y + h // 2)
        self.wait_tiled(self.image_of(target))
        index = self.listed(os.path.dirname(target)).index("q.bmp")
        self.wait_selected(index)
        return "q.bmp dragged from GTK onto the preview: its folder opened, entry %d selected and tiled" % index

    def case_drop_on_file_list(self):
        source = self.drag_source_ready()
        target = self.pic("drop2", "s.bmp")
        x, y, w, h = self.layout().file_list
        source.drag_to(target, x + w // 2, y + h - 20)
        self.wait_tiled(self.image_of(target))
        index = self.listed(os.path.dirname(target)).index("s.bmp")
        self.wait_selected(index)
        return "s.bmp dragged onto the file list: its folder opened, entry %d selected and tiled" % index

    def case_drop_on_folder_list(self):
        source = self.drag_source_ready()
        target = self.pic("drop3", "u.bmp")
        x, y, w, h = self.layout().folder_list
        source.drag_to(target, x + w // 2, y + h - 15)
        wait_until("the file list without a selection", lambda: self.selected_index() is None, 10)
        folder = os.path.dirname(target)
        first = self.listed(folder)[0]
        self.click_entry(folder, first)
        return "u.bmp dragged onto the folder list: the lists moved to drop3 (its first entry %s shows)" % first

    def case_resize(self):
        d = self.desktop
        layout = self.layout()
        clip = d.clipboard_image()
        check(clip is not None, "no image on the clipboard before resizing")
        tile_path = next((p for p in self.images if self.tiling_mismatch(clip, self.images[p]) is None), None)
        check(tile_path is not None, "the clipboard holds none of the test pictures before resizing")
        before = d.grab().region(layout.x, layout.y, layout.width, layout.height)
        dw, dh = 110, 101
        d.xdotool("windowsize", self.main, layout.width + dw, layout.height + dh)
        wait_until("the new window size", lambda: self.layout().width == layout.width + dw
                   and self.layout().height == layout.height + dh, 10)
        size = (layout.preview[2] + dw, layout.preview[3] + dh)
        clip = self.wait_tiled(self.image_of(tile_path), size=size)
        resized = self.layout()
        check(resized.preview_size() == size, "the layout rule gives %s, clipboard %s" % (resized.preview_size(), size))
        self.check_preview_on_screen(resized, clip)
        screen = d.grab()
        d.screenshot("resized.png", self.main_window_crop())
        problems = self.left_column_problems(screen, resized)
        check(not problems, "after the resize: " + "; ".join(problems))

        # Dragged back in small steps, the window shows exactly what it showed at that size before.
        steps = 10
        for k in range(1, steps + 1):
            d.xdotool("windowsize", self.main, layout.width + dw - dw * k // steps, layout.height + dh - dh * k // steps)
        wait_until("the old window size", lambda: self.layout().width == layout.width
                   and self.layout().height == layout.height, 10)
        self.wait_tiled(self.image_of(tile_path), size=layout.preview_size())
        back = self.layout()
        after = d.grab().region(back.x, back.y, back.width, back.height)
        if after.rows != before.rows:
            d.screenshot("resized-back.png", self.main_window_crop())
            y = next(i for i in range(before.height) if after.rows[i] != before.rows[i])
            x = next(i for i in range(before.width) if after.rows[y][i] != before.rows[y][i])
            raise CaseFailure("dragged back to %dx%d, the window differs from before at client (%d, %d): %s, was %s" % (
                layout.width, layout.height, x, y, after.rows[y][x], before.rows[y][x]))
        return "window %dx%d -> %dx%d and back in %d steps: clipboard %dx%d -> %dx%d, re-tiled, drawn on screen" % (
            layout.width, layout.height, resized.width, resized.height, steps,
            layout.preview[2], layout.preview[3], clip.width, clip.height)

    def case_always_on_top(self):
        d = self.desktop
        layout = self.layout()
        clip = d.clipboard_image()
        check(clip is not None, "no image on the clipboard")
        px, py = layout.preview[0] + 200, layout.preview[1] + 150  # a preview point under the other window
        other = d.spawn(["xmessage", "-name", "e2e-cover", "-geometry",
                         "320x220+%d+%d" % (px - 100, py - 100), "covering window"])
        try:
            cover = d.wait_window("e2e-cover", timeout=15, owner=other)

            def raise_cover():
                d.activate(cover)
                d.xdotool("windowraise", cover)

            def main_above():
                order = d.stacking()
                return cover in order and self.main in order and order.index(self.main) > order.index(cover)

            def shows_preview():
                return d.grab().pixel(px, py) == clip.pixel(px - layout.preview[0], py - layout.preview[1])
            raise_cover()
            wait_until("the other window above the unticked main window", lambda: not main_above(), 5)
            check(not shows_preview(), "the covered preview point still shows the preview")
            cx, cy, _cw, ch = layout.check_box
            d.click(cx + 8, cy + ch // 2)
            wait_until("_NET_WM_STATE_ABOVE on the main window", lambda: "ABOVE" in d.wm_state(self.main), 5)
            raise_cover()
            time.sleep(0.3)  # short settle after the raise request
            check(main_above(), "the other window went above the main window with always on top ticked")
            wait_until("the preview to show through", shows_preview, 5)
            d.screenshot("always-on-top.png", self.main_window_crop(cover))
            d.click(cx + 8, cy + ch // 2)
            wait_until("_NET_WM_STATE_ABOVE removed", lambda: "ABOVE" not in d.wm_state(self.main), 5)
            raise_cover()
            wait_until("the other window above again after unticking", lambda: not main_above(), 5)
        finally:
            end_process(other)
        return "unticked: a raised xmessage covers the window; ticked: it stays above the raised xmessage " \
               "(stacking and pixels); unticked again: covered again"

    def case_clipboard_png_with_alpha(self):
        d = self.desktop
        tile = png.glass_image(*GLASS_TILE)
        self.start_program([windows_path(self.pic("alpha", "glas.png"))])
        size = self.layout().preview_size()
        state = {"last": "no image/png on the clipboard"}

        def tiled_png():
            if "image/png" not in d.clipboard_targets():
                state["last"] = "the clipboard offers %s" % " ".join(d.clipboard_targets())
                return None
            result = d.run(["xclip", "-selection", "clipboard", "-t", "image/png", "-o"], timeout=20)
            if result.returncode != 0:
                state["last"] = "xclip could not read image/png"
                return None
            try:
                image = png.decode_png(result.stdout)
            except (ValueError, IndexError, zlib.error) as error:
                raise CaseFailure("the clipboard's image/png could not be read: %s" % error)
            if (image.width, image.height) != size:
                state["last"] = "image/png %dx%d, preview %dx%d" % ((image.width, image.height) + size)
                return None
            for y in range(image.height):
                source = tile.rows[y % tile.height]
                for x, pixel in enumerate(image.rows[y]):
                    if pixel != source[x % tile.width]:
                        state["last"] = "image/png pixel (%d, %d) is %s, the tile's %s" % (
                            x, y, pixel, source[x % tile.width])
                        return None
            return image
        try:
            image = wait_until("the tiling with alpha as image/png", tiled_png, 30, interval=0.5)
        except CaseFailure as error:
            raise CaseFailure("%s (%s)" % (error, state["last"]))
        alphas = sorted({p[3] for row in image.rows for p in row})
        return "image/png %dx%d = preview, repeats every %dx%d with the file's colours and alphas %s" % (
            (image.width, image.height) + GLASS_TILE + (alphas,))

    def case_further_formats_listed_and_tiled(self):
        folder = os.path.join(self.pics, "formats")
        self.start_program([windows_path(os.path.join(folder, "kachel.tga"))])
        self.wait_tiled(self.image_of(os.path.join(folder, "kachel.tga")))
        band = self.selected_band(self.desktop.grab(), self.layout())
        check(band is not None, "no entry is highlighted in the file list")
        self.item_height = band[1]
        # DXT1 keeps a flat 4 x 4 block within its 5-6-5 bit end points.
        for name, tolerance in (("kachel.psd", 0), ("kachel.qoi", 0), ("kachel.dds", 8), ("kachel.tga", 0)):
            self.click_entry(folder, name, tolerance)
        return "listed %s; each selected by a click and tiled on the clipboard (DDS within 8 per channel)" % (
            ", ".join(self.listed(folder)))

    def case_exif6_jpeg_tiled_upright(self):
        path = os.path.join(self.pics, "formats", "foto.jpg")
        self.start_program([windows_path(path)])
        upright = self.image_of(path)
        clip = self.wait_tiled(upright, tolerance=16)
        return "foto.jpg, stored %dx%d with EXIF orientation 6, tiled upright as %dx%d over %dx%d" % (
            CAMERA_TILE + (upright.width, upright.height, clip.width, clip.height))

    def clipboard_text(self):
        result = self.desktop.run(["xclip", "-selection", "clipboard", "-o"], timeout=5)
        return result.stdout.decode(errors="replace") if result.returncode == 0 else None

    def case_activation_keeps_other_clipboard(self):
        d = self.desktop
        text = "fremder Text"
        # xclip serves the text from a background process of its own until another owner takes over.
        feeder = d.spawn(["xclip", "-selection", "clipboard", "-i"], stdin=subprocess.PIPE)
        feeder.communicate(text.encode(), timeout=10)
        if feeder.returncode != 0:
            raise CaseFailure("xclip could not take the text: %s" % d.why(feeder))
        wait_until("the other program's text on the clipboard", lambda: self.clipboard_text() == text, 5)
        other = d.spawn(["xmessage", "-name", "e2e-other", "-geometry", "220x90+10+10", "anderes Programm"])
        try:
            window = d.wait_window("e2e-other", timeout=15, owner=other)
            for _round in range(2):
                d.activate(window)
                time.sleep(0.3)
                d.activate(self.main)
                time.sleep(0.5)
        finally:
            end_process(other)
        now = self.clipboard_text()
        check(now == text, "after activating the window again the clipboard holds %r" % (now,))
        return "two activation round trips: the other program's text stayed on the clipboard"

    # --- making a photo seamless ---------------------------------------------------------------

    @staticmethod
    def seam_ratio(image):
        """The program's seam measure: the mean colour step across the wrapped edges over the one inside."""
        def step(a, b):
            return sum(abs(a[i] - b[i]) for i in range(3))
        rows, w, h = image.rows, image.width, image.height
        inner = [step(rows[y][x], rows[y][x + 1]) for y in range(h) for x in range(w - 1)]
        inner += [step(rows[y][x], rows[y + 1][x]) for y in range(h - 1) for x in range(w)]
        edge = [step(rows[y][w - 1], rows[y][0]) for y in range(h)] + [step(rows[h - 1][x], rows[0][x]) for x in range(w)]
        return (sum(edge) / len(edge)) / max(sum(inner) / len(inner), 1e-9)

    def repair_once(self, folder, keys, saved_name, screenshot=None):
        d = self.desktop
        d.keys("ctrl+n")
        dialog = d.wait_window("Nahtlos machen", exclude=(self.main,), timeout=15)
        if keys:
            d.keys(*keys)
        time.sleep(1.5)  # the preview follows the method
        if screenshot:
            d.move_pointer(2, 2)
            d.screenshot(screenshot, self.main_window_crop(dialog))
        d.keys("Return")
        target = os.path.join(folder, saved_name)
        wait_until(saved_name + " to be written", lambda: os.path.exists(target), 15, interval=0.2)
        d.wait_gone(dialog, "the dialog", timeout=10)
        with open(target, "rb") as f:
            rgba = png.decode_png(f.read())
        saved = bmp.Image(rgba.width, rgba.height, [[p[:3] for p in row] for row in rgba.rows])
        self.wait_selected(self.listed(folder).index(saved_name))
        self.wait_tiled(saved)
        return saved

    def case_repair_seamless(self):
        folder = os.path.join(self.pics, "foto")
        photo = os.path.join(folder, "weg.bmp")
        if not os.path.exists(photo):
            raise CaseSkipped("no photo: %s is missing (scripts/setup.sh installs it)" % PHOTO_SOURCE)
        with open(photo, "rb") as f:
            original = f.read()
        # Started on the photo: the lists open its folder with it selected.
        self.start_program([windows_path(photo)])
        self.wait_tiled(self.image_of(photo))
        self.wait_selected(self.listed(folder).index("weg.bmp"))
        self.desktop.move_pointer(2, 2)
        self.desktop.screenshot("repair-before.png", self.main_window_crop())
        before = self.seam_ratio(self.image_of(photo))
        # Strg+N, Enter: the same size, no seam, shown and copied like any selection.
        matched = self.repair_once(folder, [], "weg_nahtlos.png", "repair-preview.png")
        check((matched.width, matched.height) == PHOTO_SIZE, "the repaired photo is %dx%d" % (matched.width, matched.height))
        after = self.seam_ratio(matched)
        check(after <= 1.30, "seam %.2f after the repair (%.2f before)" % (after, before))
        # Alt+V, Enter: the overlap cut, smaller by the start overlap min(32, side / 4) each way.
        self.click_entry(folder, "weg.bmp")
        cut = self.repair_once(folder, ["alt+v"], "weg_nahtlos_2.png")
        overlap = min(32, min(PHOTO_SIZE) // 4)
        check((cut.width, cut.height) == (PHOTO_SIZE[0] - overlap, PHOTO_SIZE[1] - overlap),
              "the cut tile is %dx%d" % (cut.width, cut.height))
        cut_ratio = self.seam_ratio(cut)
        check(cut_ratio <= 1.30, "seam %.2f after the cut" % cut_ratio)
        with open(photo, "rb") as f:
            check(f.read() == original, "the original photo changed")
        return "Ctrl+N, Enter: weg_nahtlos.png selected and tiled, seam %.2f -> %.2f; Alt+V, Enter: " \
               "weg_nahtlos_2.png %dx%d, seam %.2f; the original untouched" % (before, after, cut.width, cut.height,
                                                                              cut_ratio)

    # --- the seam workbench in the preview ----------------------------------------------------

    def view_start(self):
        """b.bmp (41x29; earlier cases rename a.bmp) shown in the plain view: the layout, the screen's preview
        and the clipboard."""
        # A fresh start on set1\b.bmp: earlier cases move the lists elsewhere and fill the clipboard.
        self.stop_program()
        self.ensure_session("main")
        folder = os.path.join(self.pics, "set1")
        self.click_entry(folder, "b.bmp")
        layout = self.layout()
        clip = self.desktop.clipboard_image()
        self.check_preview_on_screen(layout, clip)
        return layout, self.preview_on_screen(layout), clip

    def preview_on_screen(self, layout):
        return self.desktop.grab().region(*layout.preview)

    def wait_view(self, layout, what, probe):
        return wait_until(what, lambda: probe(self.preview_on_screen(layout)), 5, interval=0.2)

    def clipboard_unchanged(self, clip):
        now = self.desktop.clipboard_image()
        check(now is not None and now.rows == clip.rows, "the clipboard changed with a view aid")

    def case_view_half_offset(self):
        layout, before, clip = self.view_start()
        w, h = TILE[0] // 2, TILE[1] // 2
        self.desktop.keys("ctrl+h")

        def shifted(shown):
            return all(shown.rows[y + h][x + w] == before.rows[y][x] for y in range(0, 60, 7) for x in range(0, 90, 9))
        self.wait_view(layout, "the preview shifted by half a tile", shifted)
        self.clipboard_unchanged(clip)
        self.desktop.keys("ctrl+h")
        self.wait_view(layout, "the plain view again", lambda shown: shown.rows == before.rows)
        return "Ctrl+H: the screen is the screen before shifted by (%d, %d); the clipboard unchanged; " \
               "Ctrl+H again: the plain view" % (w, h)

    def case_view_tile_borders(self):
        layout, before, clip = self.view_start()
        self.desktop.keys("ctrl+g")
        black, white = (0, 0, 0), (255, 255, 255)

        def dotted(shown):
            column = [shown.rows[y][TILE[0]] for y in range(0, 40)]
            return set(column) == {black, white} and all(column[i] != column[i + 1] for i in range(39))
        self.wait_view(layout, "a dotted line along the tile edge at x = %d" % TILE[0], dotted)
        check(self.preview_on_screen(layout).rows[5][10] == before.rows[5][10], "a tile's inside changed")
        self.clipboard_unchanged(clip)
        # Both aids at once for the README's picture, then back.
        self.desktop.keys("ctrl+h")
        time.sleep(0.5)
        self.desktop.screenshot("seam-workbench.png", self.main_window_crop())
        self.desktop.keys("ctrl+h", "ctrl+g")
        self.wait_view(layout, "the plain view again", lambda shown: shown.rows == before.rows)
        return "Ctrl+G: black and white dots along the tile edges, tiles untouched, clipboard unchanged"

    def case_view_zoom(self):
        layout, before, clip = self.view_start()
        self.desktop.keys("ctrl+plus")

        # The keys zoom around the preview's centre: the picture point there stays where it is.
        cx, cy = layout.preview[2] // 2, layout.preview[3] // 2

        def doubled(shown):
            return all(shown.rows[y][x] == before.rows[((y + cy) // 2) % TILE[1]][((x + cx) // 2) % TILE[0]]
                       for y in range(0, 120, 3) for x in range(0, 200, 5))
        self.wait_view(layout, "every picture pixel a 2 x 2 square around the centre", doubled)
        self.clipboard_unchanged(clip)
        self.desktop.keys("ctrl+0")
        self.wait_view(layout, "the plain view again", lambda shown: shown.rows == before.rows)
        return "Ctrl+Plus: 200 % around the centre, each pixel a sharp 2 x 2 square; Ctrl+0: back to 100 %; " \
               "clipboard unchanged"

    def case_view_pan(self):
        layout, before, clip = self.view_start()
        d = self.desktop
        x0, y0 = layout.preview[0] + 100, layout.preview[1] + 100
        d.move_pointer(x0, y0)
        d.xdotool("mousedown", 1)
        for step in (5, 15, 30):
            d.xdotool("mousemove", x0 + step, y0 + step * 17 // 30)
            time.sleep(0.1)
        d.xdotool("mouseup", 1)

        def panned(shown):
            return all(shown.rows[y + 17][x + 30] == before.rows[y][x] for y in range(0, 60, 7) for x in range(0, 90, 9))
        self.wait_view(layout, "the preview moved with the pointer by (30, 17)", panned)
        time.sleep(0.5)
        check(d.windows_named(TITLE) == [self.main], "the drag was taken for a click: a message box opened")
        self.clipboard_unchanged(clip)
        return "a drag by (30, 17) moved the tiling with the pointer; no click, clipboard unchanged"

    # --- repeats ------------------------------------------------------------------------------

    def start_in_rapport(self, name):
        """The program started afresh on rapport\\NAME (the block repeat, as at every start)."""
        self.stop_program()
        path = self.pic("rapport", name)
        self.start_program([windows_path(path)])
        self.session = "rapport"
        self.wait_tiled(self.image_of(path))
        return os.path.join(self.pics, "rapport"), self.image_of(path)

    def case_repeats(self):
        folder, tile = self.start_in_rapport("k.bmp")
        layout = self.layout()
        d = self.desktop
        d.move_pointer(2, 2)  # no tooltip over the preview
        try:
            for key, repeat in (("ctrl+2", ("drop", 2)), ("ctrl+3", ("brick", 2)), ("ctrl+4", ("mirror", 2)),
                                ("ctrl+1", ("block", 2))):
                d.keys(key)
                clip = self.wait_repeat(tile, repeat)
                self.check_preview_on_screen(layout, clip)
            # The choice holds for the next picture.
            d.keys("ctrl+2")
            self.wait_repeat(tile, ("drop", 2))
            index = self.listed(folder).index("l.bmp")
            d.click(*self.entry_point(index))
            self.wait_repeat(self.image_of(os.path.join(folder, "l.bmp")), ("drop", 2))
            # For the README: at 200 % with the tile borders, where the columns' edges step down.
            d.move_pointer(2, 2)
            d.keys("ctrl+g", "ctrl+plus")
            time.sleep(1.0)
            d.screenshot("repeat-half-drop.png", self.main_window_crop())
            d.keys("ctrl+g", "ctrl+0")
        finally:
            d.keys("ctrl+1")
        return "Ctrl+2, 3, 4, 1: the clipboard's bitmap and the screen are the half-drop, half-brick, mirror and " \
               "block of k.bmp (31x18); Ctrl+2 holds for l.bmp"

    def wallpaper_file(self):
        users = os.path.join(self.desktop.prefix, "drive_c", "users")
        for user in os.listdir(users):
            path = os.path.join(users, user, "AppData", "Local", "Brenwick Quadrino", "Hintergrund.bmp")
            if os.path.isdir(os.path.dirname(os.path.dirname(path))) and user != "Public":
                return path
        raise CaseFailure("no AppData\\Local folder in the prefix's users")

    def case_repeat_wallpaper(self):
        _folder, tile = self.start_in_rapport("l.bmp")
        path = self.wallpaper_file()
        if os.path.exists(path):
            os.remove(path)
        d = self.desktop
        d.keys("ctrl+2")
        self.wait_repeat(tile, ("drop", 2))
        try:
            x, y, _w, _h = self.layout().preview
            d.click(x + 40, y + 40, button=3)
            popup = wait_until("the preview's popup menu", lambda: (d.popup_windows({self.main}) or [None])[0], 10)
            # Half offset, borders, zoom, repeat, save tiling, save repeat, desktop background.
            d.keys(*(["Down"] * 7 + ["Return"]))
            d.wait_gone(popup, "the popup menu")

            def written():
                if not os.path.exists(path):
                    return None
                with open(path, "rb") as f:
                    return bmp.decode_bmp(f.read())
            unit = wait_until("the desktop background file", written, 15, interval=0.3)
        finally:
            d.keys("ctrl+1")
        check((unit.width, unit.height) == (2 * tile.width, tile.height),
              "the background is %dx%d, not the half-drop's unit %dx%d" % (unit.width, unit.height, 2 * tile.width,
                                                                            tile.height))
        wrong = self.repeat_mismatch(unit, tile, ("drop", 2))
        check(wrong is None, "background pixel %s is not the half-drop's" % (wrong,))
        return "half-drop 1/2 of l.bmp (27x16): the desktop background file is its 54x16 repeat unit"

    def case_overview_opens(self):
        d = self.desktop
        folder = os.path.join(self.pics, "set1")
        self.click_entry(folder, "b.bmp")
        d.keys("ctrl+t")
        overview = self.wait_overview(folder)
        x, y, w, h = d.geometry(overview)
        check(w > 300 and h > 200, "the overview is only %dx%d" % (w, h))
        time.sleep(1.0)
        d.screenshot("overview.png", self.main_window_crop(overview))
        d.activate(overview)
        d.keys("alt+F4")
        d.wait_gone(overview, "the overview")
        check(d.is_viewable(self.main), "the main window went with the overview")
        return "Ctrl+T opened %r, %dx%d; Alt+F4 closed it, the main window stayed" % (
            d.window_name(overview), w, h)

    def case_overview_seamless_first(self):
        d = self.desktop
        folder = os.path.join(self.pics, "seams")
        self.start_program([windows_path(self.pic("seams", "a103.bmp"))])
        self.wait_tiled(self.image_of(self.pic("seams", "a103.bmp")))
        d.keys("ctrl+t")
        overview = self.wait_overview(folder)
        time.sleep(1.5)  # a dozen small pictures: their seams are known by now
        d.keys("alt+n", "Down", "Tab", "Home", "Return")
        self.wait_tiled(self.image_of(self.pic("seams", "m_nahtlos.bmp")))
        return "Alt+N, Down (seamless first), Tab, Home, Return in %r: m_nahtlos.bmp shown and its " \
               "tiling on the clipboard" % d.window_name(overview)

    # --- work beside the window: unreadable pictures, a long save, the rename conflict -----------

    def case_unreadable_between_pictures(self):
        d = self.desktop
        folder = os.path.join(self.pics, "kaputt")
        self.start_program([windows_path(os.path.join(folder, "a.bmp"))])
        self.wait_tiled(self.image_of(os.path.join(folder, "a.bmp")))
        self.click_entry(folder, "a.bmp")  # the focus in the file list
        first = d.clipboard_image()
        d.keys("Down")
        self.wait_selected(1)
        time.sleep(1.5)
        now = d.clipboard_image()
        check(now is not None and now.rows == first.rows, "the unreadable file changed the clipboard")
        check(d.windows_named(TITLE) == [self.main], "browsing onto the unreadable file opened a message")
        d.keys("ctrl+s")
        time.sleep(1.5)
        check(d.windows_named("Kachelung speichern") == [], "Ctrl+S offered to save the unreadable file")
        d.screenshot("unreadable.png", self.main_window_crop())
        d.keys("Down")
        self.wait_tiled(self.image_of(os.path.join(folder, "c.bmp")))
        return "a.bmp, Down onto b.png (rubbish): no message, the clipboard kept a.bmp's tiling, Ctrl+S " \
               "offered nothing; Down: c.bmp tiled and copied"

    def case_save_progress_and_cancel(self):
        d = self.desktop
        target = os.path.join(self.pics, "saved")
        self.start_program([windows_path(self.pic("set1", "b.bmp"))])
        self.wait_tiled(self.image_of(self.pic("set1", "b.bmp")))
        d.activate(self.main)
        d.keys("ctrl+s")
        sizes = d.wait_window("Kachelung speichern", timeout=10)
        d.activate(sizes)
        d.type_text("30000")
        d.keys("Tab")
        d.type_text("30000")
        d.keys("Return")
        asked = d.wait_window("Kachelung speichern unter", timeout=15)
        d.activate(asked)
        time.sleep(0.5)
        d.keys("ctrl+a")
        d.type_text(windows_path(os.path.join(target, "gross.png")))
        d.keys("Return")
        progress = d.wait_window("Kachelung wird gespeichert", timeout=15)
        px, py, pw, ph = d.geometry(progress)
        time.sleep(1.0)
        d.screenshot("save-progress.png", self.main_window_crop(progress))
        d.activate(progress)
        d.keys("Escape")
        d.wait_gone(progress, "the progress window", timeout=5)
        wait_until("no file left in the target folder", lambda: os.listdir(target) == [], 5)
        check(d.windows_named(TITLE) == [self.main], "a message came after the cancel")
        return "30000x30000 PNG: progress window %dx%d \"Kachelung wird gespeichert\"; Escape closed it and " \
               "left no file" % (pw, ph)

    def case_rename_after_conflict(self):
        d = self.desktop
        folder = os.path.join(self.pics, "kaputt")
        self.start_program([windows_path(os.path.join(folder, "a.bmp"))])
        self.wait_tiled(self.image_of(os.path.join(folder, "a.bmp")))
        self.choose_from_popup(folder, "a.bmp", 3)
        dialog = d.wait_window("Datei umbenennen", timeout=10)
        d.activate(dialog)
        d.type_text("c")  # c.bmp exists
        d.keys("Return")
        box = d.wait_window(TITLE, exclude={self.main}, timeout=10)
        d.activate(box)
        d.keys("Return")
        d.wait_gone(box, "the conflict message")
        time.sleep(0.5)
        # No activation by the suite: the keys go where the program put the focus.
        d.type_text("neu")
        d.keys("Return")
        wait_until("a.bmp renamed to neu.bmp", lambda: os.path.exists(os.path.join(folder, "neu.bmp")), 10)
        d.wait_gone(dialog, "the rename dialog")
        self.images[os.path.join(folder, "neu.bmp")] = self.images[os.path.join(folder, "a.bmp")]
        return "rename to c: conflict box, Return; typed neu + Return reached the dialog: a.bmp is neu.bmp"


CASES = [
    ("start_without_arguments", "fresh"),
    ("second_instance", "keep"),
    ("start_with_quoted_path_with_blanks", "fresh"),
    ("start_with_unquoted_path_with_blanks", "fresh"),
    ("start_with_image", "main"),
    ("list_click_and_arrow_keys", "main"),
    ("preview_click_message", "main"),
    ("popup_menu", "main"),
    ("popup_rename", "main"),
    ("popup_copy", "main"),
    ("popup_delete", "main"),
    ("drop_on_preview", "main"),
    ("drop_on_file_list", "main"),
    ("drop_on_folder_list", "main"),
    ("resize", "main"),
    ("always_on_top", "main"),
    ("activation_keeps_other_clipboard", "main"),
    ("view_half_offset", "main"),
    ("view_tile_borders", "main"),
    ("view_zoom", "main"),
    ("view_pan", "main"),
    ("repeats", "rapport"),
    ("repeat_wallpaper", "rapport"),
    ("overview_opens", "main"),
    ("overview_seamless_first", "fresh"),
    ("clipboard_png_with_alpha", "fresh"),
    ("further_formats_listed_and_tiled", "fresh"),
    ("exif6_jpeg_tiled_upright", "fresh"),
    ("repair_seamless", "fresh"),
    ("unreadable_between_pictures", "fresh"),
    ("save_progress_and_cancel", "fresh"),
    ("rename_after_conflict", "fresh"),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="build folder holding Quadrino.exe")
    parser.add_argument("--only", default="", help="comma-separated case names")
    options = parser.parse_args()
    install_signal_handlers()
    suite = Suite(options.build)
    if not os.path.exists(suite.exe):
        print("FAIL  setup: %s not found" % suite.exe)
        print("0 passed, 1 failed")
        return 1
    wanted = [c for c in options.only.split(",") if c]
    cases = [c for c in CASES if not wanted or c[0] in wanted]
    passed = failed = skipped = 0
    started = time.monotonic()
    try:
        suite.make_files()
        suite.desktop.start()
        restart = False
        for number, (name, session) in enumerate(cases, 1):
            t0 = time.monotonic()
            status, detail = "PASS", ""
            try:
                if session == "fresh" or restart:
                    suite.stop_program()
                if session == "main":
                    suite.ensure_session("main")
                elif session == "keep" and suite.program is None:
                    suite.start_program([])
                restart = False
                detail = getattr(suite, "case_" + name)() or ""
            except CaseSkipped as error:
                status, detail = "SKIP", str(error)
            except CaseFailure as error:
                status, detail, restart = "FAIL", str(error), True
            except Exception as error:  # a fault of the suite itself still counts against the case
                status, detail, restart = "FAIL", "%s: %s" % (type(error).__name__, error), True
                traceback.print_exc(file=sys.stdout)
            try:
                suite.desktop.screenshot("%02d-%s.png" % (number, name))
            except Exception:
                pass
            if status == "PASS":
                passed += 1
            elif status == "SKIP":
                skipped += 1
            else:
                failed += 1
            print("%s  %-40s %5.1f s  %s" % (status, name, time.monotonic() - t0, detail), flush=True)
    except KeyboardInterrupt as error:
        print("FAIL  interrupted: %s" % error)
        failed += 1
    except Exception as error:
        print("FAIL  setup: %s: %s" % (type(error).__name__, error))
        traceback.print_exc(file=sys.stdout)
        failed += 1
    finally:
        try:
            suite.stop_program()
        except Exception:
            pass
        if suite.drag_source:
            suite.drag_source.close()
        suite.desktop.close()
        shutil.rmtree(suite.work, ignore_errors=True)
    print("screenshots in %s; %.0f s in all" % (suite.out_dir, time.monotonic() - started))
    if skipped:
        print("%d skipped" % skipped)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
