#!/usr/bin/env python3
"""Starts and closes the end-to-end suite's private desktop (Xvfb and the window manager) N times, two
at a time, and tells how many starts failed and why. Not part of CI: a check that the desktop starts
reliably. Usage: python3 tests/e2e/desktop_stress.py N"""

import argparse
import os
import shutil
import sys
import tempfile
import threading
import time

from desktop import Desktop


def start_and_close(out_dir):
    """One start of the desktop; the failure's text, or None when it came up."""
    desktop = Desktop(out_dir, out_dir)
    try:
        desktop.start_display()
        return None
    except Exception as error:  # every failure counts, with its own words
        return "%s: %s" % (type(error).__name__, error)
    finally:
        desktop.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("rounds", type=int, help="rounds of two desktops starting side by side")
    options = parser.parse_args()
    work = tempfile.mkdtemp(prefix="quadrino-desktop-stress-")
    failures = []
    started = time.monotonic()
    try:
        for round_number in range(options.rounds):
            results = [None, None]

            def run(slot):
                out_dir = os.path.join(work, "r%d-%d" % (round_number, slot))
                os.makedirs(out_dir)
                results[slot] = start_and_close(out_dir)
            threads = [threading.Thread(target=run, args=(slot,)) for slot in (0, 1)]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join()
            for slot, result in enumerate(results):
                if result is not None:
                    failures.append(result)
                    print("round %d, desktop %d: %s" % (round_number + 1, slot + 1, result), flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    total = 2 * options.rounds
    print("%.0f s for %d starts" % (time.monotonic() - started, total))
    print("%d of %d starts failed" % (len(failures), total))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
