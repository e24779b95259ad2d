#!/usr/bin/env python3
"""Packaging end to end: scripts/package.sh makes the setup program and the portable archive; then, under
Wine in a fresh prefix on a private X display, the setup program installs silently over an older version,
the installed program tiles a picture onto the clipboard, the uninstaller removes what the setup program
made and leaves the user's tiles, and the portable archive's program runs from a folder of its own.
Prints one line per case and a closing "N passed, N failed" line.

Usage: run_package.py --build BUILD_DIR --version VERSION   (VERSION: the one CMake's project() gives)
"""

import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
import zipfile

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import bmp  # noqa: E402
from desktop import TITLE, CaseFailure, Desktop, end_process, install_signal_handlers, wait_until  # noqa: E402
from run_e2e import Suite, check  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PRODUCT = "Brenwick Quadrino"
SHIPPED = ["LICENSE", "LIESMICH.txt", "Quadrino.exe", "THIRD-PARTY.txt"]
# Every picture type "Öffnen mit" must offer; the setup program may list more.
PICTURE_TYPES = ["bmp", "dds", "gif", "hdr", "jpeg", "jpg", "png", "psd", "qoi", "tga", "tif", "tiff"]
UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BrenwickQuadrino"
CLASSES_KEY = "HKCU\\Software\\Classes"
PROGID = "BrenwickQuadrino.Bild"
OLDER_VERSION = "0.9.0"
# What another program registered before: it must stay as it was.
FOREIGN_PROGID = "Fremd.Bild"


def read(path):
    with open(path, "rb") as f:
        return f.read()


class PackageSuite:
    def __init__(self, build_dir, version):
        self.build_dir = os.path.abspath(build_dir)
        self.version = version
        self.out_dir = os.path.join(self.build_dir, "e2e-package")
        os.makedirs(self.out_dir, exist_ok=True)
        self.work = tempfile.mkdtemp(prefix="quadrino-package-")
        self.dist = os.path.join(self.work, "dist")
        # A fresh prefix each run; no menu entries for the host's desktop from the shortcut.
        shutil.rmtree(os.path.join(self.build_dir, "wineprefix-package"), ignore_errors=True)
        self.desktop = Desktop(self.build_dir, self.out_dir, "wineprefix-package",
                               "mscoree,mshtml=;winemenubuilder.exe=d")
        self.setup = os.path.join(self.dist, "BrenwickQuadrino-%s-setup.exe" % version)
        self.portable = os.path.join(self.dist, "BrenwickQuadrino-%s-portable.zip" % version)
        self.stage = os.path.join(self.build_dir, "package", "stage")
        self.program = None
        self.user = None

    # --- paths in the prefix -----------------------------------------------------------------

    def user_folder(self):
        if self.user is None:
            users = [u for u in glob.glob(os.path.join(self.desktop.prefix, "drive_c", "users", "*"))
                     if os.path.basename(u) != "Public"]
            check(len(users) == 1, "expected one user folder in the prefix, found %s" % users)
            self.user = os.path.basename(users[0])
        return self.user

    def linux(self, *parts):
        return os.path.join(self.desktop.prefix, "drive_c", "users", self.user_folder(), *parts)

    def install_dir(self):
        return self.linux("AppData", "Local", "Programs", PRODUCT)

    def install_dir_windows(self):
        return "C:\\users\\%s\\AppData\\Local\\Programs\\%s" % (self.user_folder(), PRODUCT)

    def shortcut(self):
        return self.linux("AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs", PRODUCT + ".lnk")

    # --- Wine --------------------------------------------------------------------------------

    def wine(self, args, timeout=180):
        return self.desktop.run_wine(["wine"] + args, timeout)

    def registry(self, key):
        """Every key under key (path below it, "" for key itself) with its values {name: (type, data)};
        empty when key is not there. The output goes through a file: Wine's helpers keep pipes open."""
        out = os.path.join(self.work, "reg.txt")
        with open(out, "wb") as f:
            code = subprocess.run(["wine", "reg", "query", key, "/s"], env=self.desktop.env, stdin=subprocess.DEVNULL,
                                  stdout=f, stderr=subprocess.DEVNULL, timeout=120).returncode
        if code != 0:
            return {}
        full = "HKEY_CURRENT_USER" + key[len("HKCU"):]
        tree, current = {}, None
        for line in read(out).decode("utf-8", errors="replace").splitlines():
            line = line.rstrip("\r")
            if line.lower().startswith(full.lower()):
                current = line[len(full):].lstrip("\\")
                tree[current] = {}
            elif line.startswith("    ") and current is not None:
                parts = line[4:].split("    ", 2) + ["", ""]
                tree[current][parts[0]] = (parts[1], parts[2])
        return tree

    def make_older_setup(self):
        """The setup program of an older version: a different readme and program file, same script."""
        old_stage = os.path.join(self.work, "old-stage")
        shutil.copytree(self.stage, old_stage)
        with open(os.path.join(old_stage, "Quadrino.exe"), "ab") as f:
            f.write(b"older version" * 4)
        with open(os.path.join(old_stage, "LIESMICH.txt"), "wb") as f:
            f.write(b"Brenwick Quadrino 0.9\r\n")
        old_setup = os.path.join(self.work, "BrenwickQuadrino-%s-setup.exe" % OLDER_VERSION)
        result = self.desktop.run(["makensis", "-V2", "-INPUTCHARSET", "UTF8", "-DVERSION=" + OLDER_VERSION,
                                   "-DSTAGE=" + old_stage, "-DICON=" + os.path.join(ROOT, "res", "quadrino.ico"),
                                   "-DOUTFILE=" + old_setup, os.path.join(ROOT, "package", "quadrino.nsi")],
                                  timeout=180)
        check(result.returncode == 0, "makensis failed: %s" % result.stdout.decode(errors="replace")[-400:])
        return old_setup

    # --- the program -------------------------------------------------------------------------

    def write_picture(self, name, width, height, seed):
        image = bmp.pattern_image(width, height, seed)
        path = os.path.join(self.work, "pics", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(bmp.encode_bmp24(image))
        return path, image

    def show_picture(self, exe_windows, cwd, picture, image):
        """Starts the program with the picture on its command line; waits until the clipboard holds it tiled."""
        d = self.desktop
        check(not d.windows_named(TITLE), "a window titled %r is open before the start" % TITLE)
        self.program = d.spawn(["wine", exe_windows, "Z:" + picture.replace("/", "\\")], cwd=cwd)
        main = d.wait_window(TITLE, timeout=90)
        state = {"last": "no image/bmp on the clipboard"}

        def tiled():
            clip = d.clipboard_image()
            if clip is None:
                return False
            if clip.width < 2 * image.width or clip.height < 2 * image.height:
                state["last"] = "clipboard image only %dx%d" % (clip.width, clip.height)
                return False
            wrong = Suite.tiling_mismatch(clip, image)
            state["last"] = "clipboard %dx%d, first wrong pixel %s" % (clip.width, clip.height, wrong)
            return wrong is None
        try:
            wait_until("the picture tiled on the clipboard", tiled, 30)
        except CaseFailure:
            raise CaseFailure("the clipboard never held the picture tiled (%s)" % state["last"])
        return main, state["last"]

    def stop_program(self, main):
        d = self.desktop
        if self.program is None:
            return
        if self.program.poll() is None and d.is_viewable(main):
            d.activate(main)
            d.run(["xdotool", "key", "alt+F4"], timeout=5)
            try:
                self.program.wait(timeout=15)
            except subprocess.TimeoutExpired:
                pass
        end_process(self.program)
        self.program = None
        wait_until("the program's window to go", lambda: not d.windows_named(TITLE), 20)

    # --- cases -------------------------------------------------------------------------------

    def case_package_makes_both_files(self):
        env = dict(os.environ, QUADRINO_DIST_DIR=self.dist)
        result = subprocess.run([os.path.join(ROOT, "scripts", "package.sh"), self.build_dir], env=env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=1200)
        output = result.stdout.decode(errors="replace")
        check(result.returncode == 0, "package.sh ended with %d: %s" % (result.returncode, output[-800:]))
        check(sorted(os.listdir(self.dist)) == sorted(map(os.path.basename, (self.setup, self.portable))),
              "dist holds %s" % sorted(os.listdir(self.dist)))
        check(read(self.setup)[:2] == b"MZ", "the setup program is no Windows program")
        with zipfile.ZipFile(self.portable) as archive:
            names = sorted(archive.namelist())
            check(names == SHIPPED, "the portable archive holds %s" % names)
            for name in SHIPPED:
                check(archive.read(name) == read(os.path.join(self.stage, name)), "%s differs from the staged one" % name)
            readme = archive.read("LIESMICH.txt")
            licence = archive.read("LICENSE")
            third = archive.read("THIRD-PARTY.txt")
        check(readme.startswith(b"\xef\xbb\xbf") and b"\r\n" in readme and b"\n" not in readme.replace(b"\r\n", b""),
              "LIESMICH.txt is not UTF-8 with a byte order mark and Windows line ends")
        text = readme.decode("utf-8-sig")
        for words in ("Sammelordner", "Tiles", "Quadrino.exe", "Öffnen mit"):
            check(words in text, "LIESMICH.txt does not mention %r" % words)
        check(b"MIT License" in licence and b"Brenwick Quadrino contributors" in licence, "LICENSE is not the MIT licence")
        for library in (b"kissfft", b"qoi.h", b"stb_image"):
            check(library in third, "THIRD-PARTY.txt does not list %s" % library.decode())
        return "%s (%d KB), %s (%d KB)" % (os.path.basename(self.setup), os.path.getsize(self.setup) // 1024,
                                           os.path.basename(self.portable), os.path.getsize(self.portable) // 1024)

    def case_setup_installs_over_older_version(self):
        old_setup = self.make_older_setup()
        d = self.desktop
        # Another program's entries for .png: the setup program must neither take nor drop them.
        self.wine(["reg", "add", CLASSES_KEY + "\\.png", "/ve", "/d", "pngfile", "/f"])
        self.wine(["reg", "add", CLASSES_KEY + "\\.png\\OpenWithProgids", "/v", FOREIGN_PROGID, "/d", "", "/f"])
        check(self.wine(["Z:" + old_setup.replace("/", "\\"), "/S"]) == 0, "the older setup program failed")
        check(self.registry(UNINSTALL_KEY).get("", {}).get("DisplayVersion", ("", ""))[1] == OLDER_VERSION,
              "the older version did not register itself")
        tile = os.path.join(self.install_dir(), "Tiles", "Sammlung 1.bmp")
        os.makedirs(os.path.dirname(tile), exist_ok=True)
        shutil.copy2(self.write_picture("sammlung.bmp", 19, 13, 5)[0], tile)

        started = time.monotonic()
        check(self.wine(["Z:" + self.setup.replace("/", "\\"), "/S"]) == 0, "setup.exe /S failed")
        seconds = time.monotonic() - started
        folder = self.install_dir()
        for name in SHIPPED:
            check(read(os.path.join(folder, name)) == read(os.path.join(self.stage, name)),
                  "%s in the install folder is not this version's" % name)
        check(os.path.isfile(os.path.join(folder, "Uninstall.exe")), "no Uninstall.exe")
        check(os.path.isfile(tile), "the collected tile went with the update")
        check(os.path.isfile(self.shortcut()), "no Start-menu shortcut %s" % self.shortcut())
        check(self.install_dir_windows().encode("utf-16-le") in read(self.shortcut())
              or self.install_dir_windows().encode() in read(self.shortcut()), "the shortcut does not point into the install folder")

        exe = self.install_dir_windows() + "\\Quadrino.exe"
        uninstaller = '"%s\\Uninstall.exe"' % self.install_dir_windows()
        values = self.registry(UNINSTALL_KEY).get("", {})
        expected = {"DisplayName": PRODUCT, "DisplayVersion": self.version, "Publisher": "Brenwick",
                    "DisplayIcon": exe + ",0", "UninstallString": uninstaller, "QuietUninstallString": uninstaller + " /S",
                    "NoModify": "0x1", "NoRepair": "0x1"}
        for name, value in expected.items():
            check(values.get(name, ("", "<missing>"))[1] == value, "uninstall key: %s is %r, not %r"
                  % (name, values.get(name, ("", "<missing>"))[1], value))
        size = int(values.get("EstimatedSize", ("", "0x0"))[1], 16)
        shipped_kb = sum(os.path.getsize(os.path.join(folder, n)) for n in SHIPPED) // 1024
        check(shipped_kb <= size <= 2 * shipped_kb + 1024, "EstimatedSize %d KB for %d KB of files" % (size, shipped_kb))

        classes = self.registry(CLASSES_KEY)
        app = "Applications\\Quadrino.exe"
        check(classes.get(app, {}).get("FriendlyAppName", ("", ""))[1] == PRODUCT, "no FriendlyAppName")
        command = '"%s" "%%1"' % exe
        for key in (app + "\\shell\\open\\command", PROGID + "\\shell\\open\\command"):
            check(classes.get(key, {}).get("(Default)", ("", ""))[1] == command, "%s is not %s" % (key, command))
        for extension in PICTURE_TYPES:
            check("." + extension in classes.get(app + "\\SupportedTypes", {}), "SupportedTypes lacks .%s" % extension)
            check(".%s\\OpenWithList\\Quadrino.exe" % extension in classes, ".%s has no OpenWithList entry" % extension)
            check(PROGID in classes.get(".%s\\OpenWithProgids" % extension, {}), ".%s has no OpenWithProgids entry" % extension)
            default = classes.get("." + extension, {}).get("(Default)")
            check(default is None or (extension == "png" and default[1] == "pngfile"),
                  "the default program of .%s changed to %r" % (extension, default))
        check(FOREIGN_PROGID in classes.get(".png\\OpenWithProgids", {}), "the other program's .png entry went")
        check(not d.windows_named(TITLE), "a silent setup opened the program")
        return "%s over %s in %.1f s: files, shortcut, uninstall key, %d picture types under \"Öffnen mit\"" % (
            self.version, OLDER_VERSION, seconds, len(PICTURE_TYPES))

    def case_installed_program_tiles_picture(self):
        picture, image = self.write_picture("Wand installiert.bmp", 37, 23, 7)
        main, detail = self.show_picture(self.install_dir_windows() + "\\Quadrino.exe", self.work, picture, image)
        self.desktop.screenshot("installed-program.png")
        check(os.path.isdir(os.path.join(self.install_dir(), "Tiles")), "no collection folder Tiles\\ beside the installed program")
        self.stop_program(main)
        return detail

    def case_uninstall_keeps_tiles(self):
        folder = self.install_dir()
        kept = {
            os.path.join(folder, "Tiles", "Sammlung 2.bmp"): self.write_picture("s2.bmp", 23, 17, 9)[0],
            os.path.join(folder, "Tiles", "Wand_nahtlos.bmp"): self.write_picture("s3.bmp", 17, 11, 3)[0],
            os.path.join(folder, "Wand_nahtlos.bmp"): self.write_picture("s4.bmp", 13, 11, 2)[0],
            self.linux("AppData", "Local", PRODUCT, "Hintergrund.bmp"): self.write_picture("s5.bmp", 11, 7, 4)[0],
        }
        for target, source in kept.items():
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(source, target)
        kept[os.path.join(folder, "Tiles", "Sammlung 1.bmp")] = os.path.join(self.work, "pics", "sammlung.bmp")

        check(self.wine([self.install_dir_windows() + "\\Uninstall.exe", "/S"]) == 0, "Uninstall.exe /S failed")
        # The uninstaller runs on as a copy of itself in the temporary folder.
        wait_until("Uninstall.exe to remove itself", lambda: not os.path.exists(os.path.join(folder, "Uninstall.exe")), 120)
        wait_until("the uninstall key to go", lambda: not self.registry(UNINSTALL_KEY), 120, interval=1)
        for name in SHIPPED:
            check(not os.path.exists(os.path.join(folder, name)), "%s is still installed" % name)
        check(not os.path.exists(self.shortcut()), "the Start-menu shortcut is still there")
        for target, source in kept.items():
            check(os.path.isfile(target) and read(target) == read(source), "%s did not survive" % target)
        classes = self.registry(CLASSES_KEY)
        left = [k for k in classes if "quadrino" in k.lower()]
        left += ["%s: %s" % (k, v) for k, values in classes.items() for v in values if "quadrino" in v.lower()]
        check(not left, "left in the registry: %s" % left[:5])
        for extension in PICTURE_TYPES:
            if extension != "png":
                check("." + extension not in classes, "the key .%s the setup program made is still there" % extension)
        check(classes.get(".png", {}).get("(Default)", ("", ""))[1] == "pngfile", "the .png default changed")
        check(FOREIGN_PROGID in classes.get(".png\\OpenWithProgids", {}), "the other program's .png entry went")
        return "program, shortcut and keys gone; %d collected files and the install folder kept" % len(kept)

    def case_portable_runs_from_own_folder(self):
        folder = os.path.join(self.work, "USB-Stick", "Quadrino portabel")
        os.makedirs(folder)
        with zipfile.ZipFile(self.portable) as archive:
            archive.extractall(folder)
        picture, image = self.write_picture("Wand portabel.bmp", 29, 31, 11)
        exe = "Z:" + os.path.join(folder, "Quadrino.exe").replace("/", "\\")
        main, detail = self.show_picture(exe, self.work, picture, image)
        self.desktop.screenshot("portable-program.png")
        check(os.path.isdir(os.path.join(folder, "Tiles")), "no collection folder Tiles\\ beside the portable program")
        self.stop_program(main)
        return detail


# Each case needs the ones before it, except the portable one, which needs only the package.
CASES = [
    ("package_makes_both_files", []),
    ("setup_installs_over_older_version", ["package_makes_both_files"]),
    ("installed_program_tiles_picture", ["setup_installs_over_older_version"]),
    ("uninstall_keeps_tiles", ["setup_installs_over_older_version"]),
    ("portable_runs_from_own_folder", ["package_makes_both_files"]),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="build folder")
    parser.add_argument("--version", required=True, help="the version CMake's project() gives")
    options = parser.parse_args()
    install_signal_handlers()
    suite = PackageSuite(options.build, options.version)
    passed, failed = set(), 0
    started = time.monotonic()
    try:
        desktop_started = False
        for name, needs in CASES:
            t0 = time.monotonic()
            status, detail = "PASS", ""
            try:
                missing = [n for n in needs if n not in passed]
                if missing:
                    raise CaseFailure("not run: %s failed" % ", ".join(missing))
                if name != "package_makes_both_files" and not desktop_started:
                    suite.desktop.start()
                    desktop_started = True
                detail = getattr(suite, "case_" + name)() or ""
            except CaseFailure as error:
                status, detail = "FAIL", str(error)
            except Exception as error:  # a fault of the suite itself still counts against the case
                status, detail = "FAIL", "%s: %s" % (type(error).__name__, error)
                traceback.print_exc(file=sys.stdout)
            if status == "PASS":
                passed.add(name)
            else:
                failed += 1
                if suite.program is not None:
                    end_process(suite.program)
                    suite.program = None
            print("%s  %-36s %5.1f s  %s" % (status, name, time.monotonic() - t0, detail), flush=True)
    except KeyboardInterrupt as error:
        print("FAIL  interrupted: %s" % error)
        failed += 1
    finally:
        end_process(suite.program)
        suite.desktop.close()
        shutil.rmtree(suite.work, ignore_errors=True)
    print("screenshots in %s; %.0f s in all" % (suite.out_dir, time.monotonic() - started))
    print("%d passed, %d failed" % (len(passed), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
