"""scripts/run as a person starts it: the launcher's window on their display
when one answers, on a private X server with pictures of it otherwise; its
options. scripts/run runs on the built tree (--no-build) with a work folder of
its own, so that it neither rebuilds this tree nor meets this run's Wine
prefix and wineserver."""
import glob
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

from vemo_e2e import BUILD_DIR, SOURCE_DIR, WORK_DIR, main

RUN = os.path.join(SOURCE_DIR, "scripts", "run")
RUN_WORK = os.path.join(WORK_DIR, "run_script")
PICTURES = os.path.join(RUN_WORK, "run-pictures")
SECONDS = 20
# xwininfo -tree: 0xa00001 "sample_launcher": ("launcher.exe" "launcher.exe")  1200x678+200+166  +200+166
LAUNCHER_WINDOW = re.compile(r'"sample_launcher": \("launcher\.exe"[^)]*\)\s+(\d+)x(\d+)')
OPTIONS = ("--seconds", "--headless", "--build-dir", "--work-dir", "--no-build", "--help")


class StandInDisplay:
    """A second Xvfb standing in for the display of a person at a desktop."""

    def __enter__(self):
        self._number = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                                        stdin=subprocess.DEVNULL, stdout=self._number, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        while True:
            self._number.seek(0)
            number = self._number.read().decode().strip()
            if number:
                self.name = ":" + number
                return self
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise AssertionError("the stand-in Xvfb did not start")
            time.sleep(0.05)

    def __exit__(self, *exc):
        self.process.kill()
        self.process.wait(10)
        self._number.close()
        return False

    def launcher_window_shown(self):
        tree = subprocess.run(["xwininfo", "-display", self.name, "-root", "-tree"], stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=30).stdout
        return any(int(width) > 1 for width, _ in LAUNCHER_WINDOW.findall(tree))


def run_script(display, *options):
    """Runs scripts/run for SECONDS with DISPLAY naming the stand-in display,
    looking at that display meanwhile. Returns its exit code, its output and
    whether the launcher's window showed on the stand-in display."""
    os.makedirs(RUN_WORK, exist_ok=True)
    shutil.rmtree(PICTURES, ignore_errors=True)
    log_path = os.path.join(RUN_WORK, "run.log")
    args = [RUN, "--no-build", "--build-dir", BUILD_DIR, "--work-dir", RUN_WORK, "--seconds", str(SECONDS)]
    with open(log_path, "wb") as log:
        process = subprocess.Popen(args + list(options), env=dict(os.environ, DISPLAY=display.name),
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        # A new prefix is made once before the launcher's seconds start.
        deadline = time.monotonic() + SECONDS + 240
        shown = False
        while process.poll() is None:
            shown = shown or display.launcher_window_shown()
            if time.monotonic() > deadline:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
                break
            time.sleep(0.5)
    with open(log_path, encoding="utf-8", errors="replace") as log:
        return process.returncode, log.read(), shown


def picture_facts(path):
    """Width, height and number of colours of a picture."""
    facts = subprocess.run(["identify", "-format", "%w %h %k", path], capture_output=True, text=True, timeout=60)
    return tuple(int(value) for value in facts.stdout.split())


class RunShowsTheWindowWhereThePersonLooks(unittest.TestCase):
    def test_the_window_is_on_the_persons_display_or_else_in_pictures(self):
        with StandInDisplay() as display:
            for options, on_display in (((), True), (("--headless",), False)):
                with self.subTest(options=options):
                    code, output, shown = run_script(display, *options)
                    self.assertEqual(0, code, output)
                    self.assertEqual(on_display, shown, output)
                    pictures = glob.glob(os.path.join(PICTURES, "*.png"))
                    last_line = output.strip().splitlines()[-1]
                    if on_display:
                        self.assertEqual([], pictures, output)
                        continue
                    # Every few seconds and at the end.
                    self.assertGreaterEqual(len(pictures), 2, output)
                    newest = max(pictures, key=os.path.getmtime)
                    self.assertRegex(last_line, r"^run: .*newest: %s$" % re.escape(newest), output)
                    width, height, colours = picture_facts(newest)
                    self.assertEqual((1200, 678), (width, height), newest)
                    # The skin's gradient and the close button, not a blank area.
                    self.assertGreater(colours, 16, newest)


class RunOptions(unittest.TestCase):
    def test_help_lists_the_options_and_a_wrong_one_is_refused_with_that_list(self):
        with tempfile.TemporaryDirectory() as empty:
            # Were the options not understood, nothing could be built or run here.
            safe = ["--no-build", "--build-dir", empty, "--work-dir", empty]
            for options, code, refusal in (
                    (["--help"], 0, None),
                    (["--no-such-option"], 2, "unknown option --no-such-option"),
                    (["launcher-argument"], 2, "unknown option launcher-argument"),
                    (["--seconds", "soon"], 2, "--seconds takes a whole number"),
                    (["--seconds"], 2, "--seconds needs a value")):
                with self.subTest(options=options):
                    result = subprocess.run([RUN] + safe + options, stdin=subprocess.DEVNULL, capture_output=True,
                                            text=True, timeout=60)
                    self.assertEqual(code, result.returncode, result)
                    listing = result.stdout if refusal is None else result.stderr
                    for option in OPTIONS:
                        self.assertIn(option, listing, result)
                    if refusal is not None:
                        self.assertEqual("", result.stdout, result)
                        self.assertIn(refusal, result.stderr.splitlines()[0], result)
                    self.assertNotRegex(result.stdout + result.stderr, r"(?m)^run: ", result)


if __name__ == "__main__":
    main()
