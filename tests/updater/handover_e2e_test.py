"""The hand-over between the programs, as the sample scripts do it: the
launcher stages a newer file set from its update source, starts the updater
headless and ends; the updater waits for it, merges, shows its progress and
starts the launcher, which then finds the new files in place. At no moment
do two launchers or two updaters of the folder run."""
import os
import shutil
import struct
import subprocess
import threading
import time
import unittest
import zlib

from vemo_e2e import BUILD_DIR, WM_APP, WORK_DIR, ProgramFolder, main, probe_window, windows_path

WM_APP_SHUTDOWN = WM_APP + 2
LAUNCHER_MARK = b"\0staged launcher 1.0.1"


class ProcessWatch:
    """Samples the running Wine processes of a folder's two programs."""

    def __init__(self, folder):
        self.folder = windows_path(folder).lower()
        self.most = {"launcher.exe": 0, "updater.exe": 0}
        self.seen = {"launcher.exe": 0, "updater.exe": 0}
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)

    def counts(self):
        listing = subprocess.run(["ps", "-eo", "args"], capture_output=True, text=True).stdout.lower()
        return {name: sum(1 for line in listing.splitlines() if (self.folder + "\\" + name) in line)
                for name in self.most}

    def _run(self):
        while not self._stop.is_set():
            for name, count in self.counts().items():
                self.most[name] = max(self.most[name], count)
                self.seen[name] += 1 if count else 0
            time.sleep(0.05)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join()
        return False


def make_update_source(path):
    """A newer file set: the launcher itself (marked, still runnable), its
    version file and a new data file in a sub-folder."""
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(os.path.join(path, "game_data"))
    with open(os.path.join(BUILD_DIR, "bin", "launcher.exe"), "rb") as exe:
        launcher = exe.read()
    with open(os.path.join(path, "launcher.exe"), "wb") as out:
        out.write(launcher + LAUNCHER_MARK)
    with open(os.path.join(path, "files_version.txt"), "w") as out:
        out.write("1.0.1\n")
    with open(os.path.join(path, "game_data", "level1.dat"), "w") as out:
        out.write("level one, new edition\n")


def screen_pixels():
    """The X screen as (width, height, RGB bytes)."""
    ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], check=True, capture_output=True,
                         timeout=60).stdout
    fields, position = [], 0
    while len(fields) < 4:  # magic, width, height, maxval; one whitespace byte ends the header
        while ppm[position:position + 1].isspace():
            position += 1
        start = position
        while not ppm[position:position + 1].isspace():
            position += 1
        fields.append(ppm[start:position])
    magic, width, height, maxval = fields
    if magic != b"P6" or maxval != b"255":
        raise AssertionError("unexpected screen picture header %r" % ppm[:20])
    header_end = position + 1
    return int(width), int(height), ppm[header_end:]


def save_png(path, width, height, rgb):
    """RGB bytes as a PNG file."""
    rows = b"".join(b"\0" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))


def watch_progress(screenshot):
    """Takes the screen while the updater's window is there; true when the
    progress bar was seen filled (the skin's fill colour at its left end)."""
    seen = False
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        probe = probe_window("vemosdk_updater_class", "e2e_handover_updater")
        if not probe["found"]:
            if seen:
                return True
            time.sleep(0.1)
            continue
        width, _, pixels = screen_pixels()
        # The bar's left end: progress area at (100, 518 + 20), bar 34..46 in it.
        x = probe["window"]["left"] + 100 + 10
        y = probe["window"]["top"] + 518 + 20 + 40
        offset = (y * width + x) * 3
        red, green, blue = pixels[offset:offset + 3]
        if abs(red - 116) + abs(green - 234) + abs(blue - 169) < 30:
            seen = True
            save_png(screenshot, width, len(pixels) // (3 * width), pixels)
    return seen


def wait_until(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError("gave up waiting for " + what)
        time.sleep(0.1)


class HandOver(unittest.TestCase):
    def test_launcher_hands_over_to_the_updater_which_merges_and_restarts_it(self):
        source = os.path.join(WORK_DIR, "e2e", "handover_source")
        make_update_source(source)
        config = {"game_id": "1", "launcher_name": "e2e_handover", "updater_name": "e2e_handover_updater",
                  "update_source": windows_path(source)}
        with ProgramFolder("handover", config) as folder, ProcessWatch(folder.path) as watch:
            launcher = folder.start("launcher.exe")
            launcher.wait_for(r"launcher_update\.lua: staged files 1\.0\.1 over 1\.0\.0")
            launcher.wait_for(r"launcher_update\.lua: updater started, launcher hands over")

            # The progress window while the updater works: the screen is
            # taken for as long as the window is there; the last picture
            # that shows a filled bar is kept for a person to look at.
            progress_seen = watch_progress(os.path.join(WORK_DIR, "updater_handover.png"))
            self.assertEqual(0, launcher.wait(60))
            self.assertTrue(progress_seen, "the updater's window never showed progress")

            def merged():
                with open(folder.file("launcher.exe"), "rb") as exe:
                    return exe.read().endswith(LAUNCHER_MARK)
            wait_until(merged, 60, "the staged launcher.exe in place")
            # The new launcher runs and, up to date now, shows its window.
            wait_until(lambda: probe_window("vemosdk_launcher_class", "e2e_handover")["found"], 60,
                       "the restarted launcher")
            with open(folder.file("files_version.txt")) as version:
                self.assertEqual("1.0.1", version.read().strip())
            with open(folder.file("game_data/level1.dat")) as data:
                self.assertEqual("level one, new edition\n", data.read())
            self.assertEqual([], os.listdir(folder.file(".update")))
            wait_until(lambda: watch.counts()["updater.exe"] == 0, 30, "the updater to end")

            probe_window("vemosdk_launcher_class", "e2e_handover", post=WM_APP_SHUTDOWN)
            wait_until(lambda: watch.counts()["launcher.exe"] == 0, 30, "the new launcher to end")

        self.assertGreater(watch.seen["updater.exe"], 0, "the updater was never seen running")
        self.assertEqual(1, watch.most["launcher.exe"], watch.most)
        self.assertEqual(1, watch.most["updater.exe"], watch.most)


if __name__ == "__main__":
    main()
