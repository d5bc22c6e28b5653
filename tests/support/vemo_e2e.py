"""Support for the end-to-end tests that start the real programs under Wine.

A test lays out a temporary program folder (the programs, the sample scripts
and its own sdkconfig.json), starts a program in it, reads what the program
prints, looks at its windows, and stops it:

    with ProgramFolder("launcher_ticks", {"launcher_name": "e2e_a"}) as folder:
        launcher = folder.start("launcher.exe")
        launcher.wait_for(r"tick 30")
        window = probe_window("vemosdk_launcher_class", "e2e_a", child=1001)

The environment comes from CTest (VEMO_BUILD_DIR, VEMO_SOURCE_DIR,
VEMO_TEST_WORK_DIR) and from scripts/test (WINEPREFIX, DISPLAY, ...).
Every program started here is stopped when its folder's block ends.
"""
import json
import os
import re
import shutil
import signal
import subprocess
import time
import unittest

BUILD_DIR = os.environ.get("VEMO_BUILD_DIR", "")
SOURCE_DIR = os.environ.get("VEMO_SOURCE_DIR", "")
WORK_DIR = os.environ.get("VEMO_TEST_WORK_DIR", os.path.join(BUILD_DIR, "test-work"))
PROGRAMS = ("launcher.exe", "updater.exe")
WM_APP = 0x8000


def tool_path(name):
    """A helper program or DLL of the tests (tests/bin of the build)."""
    return os.path.join(BUILD_DIR, "tests", "bin", name)


def windows_path(path):
    """The Windows form (Z:\\...) under which a Wine program sees a path."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Program:
    """A program running under Wine, its standard output and error in a file."""

    def __init__(self, args, cwd, log_path):
        self.log_path = log_path
        self._log = open(log_path, "wb")
        self.process = subprocess.Popen(["wine"] + list(args), cwd=cwd, stdin=subprocess.DEVNULL,
                                        stdout=self._log, stderr=subprocess.STDOUT)

    @property
    def pid(self):
        return self.process.pid

    def output(self):
        with open(self.log_path, "rb") as log:
            return log.read().decode("utf-8", errors="replace")

    def running(self):
        return self.process.poll() is None

    def wait_for(self, pattern, timeout=30, start=0):
        """The first match of a regular expression in the output after
        character start; fails the test after timeout seconds."""
        deadline = time.monotonic() + timeout
        regex = re.compile(pattern)
        while True:
            match = regex.search(self.output(), start)
            if match:
                return match
            if not self.running():
                # It may have printed the line just before it ended.
                match = regex.search(self.output(), start)
                if match:
                    return match
                raise AssertionError("program ended (code %s) before printing %r:\n%s"
                                     % (self.process.returncode, pattern, self.output()))
            if time.monotonic() > deadline:
                raise AssertionError("no %r after %s s:\n%s" % (pattern, timeout, self.output()))
            time.sleep(0.05)

    def wait(self, timeout=30):
        """The exit code; fails the test when the program is still running."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("still running after %s s:\n%s" % (timeout, self.output()))

    def stop(self):
        if self.running():
            self.process.send_signal(signal.SIGKILL)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                pass
        self._log.close()


class ProgramFolder:
    """A fresh program folder under the test work folder: the programs, the
    samples (unless samples=False) and sdkconfig.json made from a dict."""

    def __init__(self, name, sdkconfig=None, samples=True):
        self.path = os.path.join(WORK_DIR, "e2e", name)
        shutil.rmtree(self.path, ignore_errors=True)
        os.makedirs(self.path)
        for program in PROGRAMS:
            shutil.copy2(os.path.join(BUILD_DIR, "bin", program), self.path)
        if samples:
            shutil.copytree(os.path.join(SOURCE_DIR, "samples"), self.path, dirs_exist_ok=True)
            # The pictures the build draws for the sample skin.
            shutil.copytree(os.path.join(BUILD_DIR, "samples"), self.path, dirs_exist_ok=True)
        if sdkconfig is not None:
            self.write("sdkconfig.json", json.dumps(sdkconfig))
        self.programs = []

    def file(self, relative):
        return os.path.join(self.path, relative)

    def write(self, relative, text):
        path = self.file(relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="\n") as out:
            out.write(text)
        return path

    def copy_in(self, source, relative):
        shutil.copy2(source, self.file(relative))

    def start(self, program="launcher.exe", *args, cwd=None):
        """Starts a program of the folder; its current folder is the program
        folder unless cwd names another."""
        log_path = self.file("%s.%d.log" % (program, len(self.programs)))
        started = Program([self.file(program)] + list(args), cwd or self.path, log_path)
        self.programs.append(started)
        return started

    def stop_all(self):
        for program in self.programs:
            program.stop()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop_all()
        return False


def probe_window(window_class, title, child=None, post=None, click=False, click_at=None):
    """What window_probe finds of a top-level window: a dict, with
    "found" false when there is none. click presses the child button;
    click_at (x, y) clicks the mouse at that point of the client area."""
    args = ["wine", tool_path("window_probe.exe"), window_class, title]
    if child is not None:
        args += ["--child", str(child)]
    if post is not None:
        args += ["--post", str(post)]
    if click:
        args += ["--click", "1"]
    if click_at is not None:
        args += ["--click-at", "%d,%d" % tuple(click_at)]
    result = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    lines = result.stdout.decode("utf-8", errors="replace").strip().splitlines()
    if not lines:
        raise AssertionError("window_probe printed nothing: %s" % result.stderr.decode(errors="replace"))
    return json.loads(lines[-1])


def wait_for_window(window_class, title, condition, timeout=30, **probe_args):
    """Probes until condition(probe) holds; returns that probe."""
    deadline = time.monotonic() + timeout
    while True:
        probe = probe_window(window_class, title, **probe_args)
        if condition(probe):
            return probe
        if time.monotonic() > deadline:
            raise AssertionError("window %s %r never matched; last probe: %s" % (window_class, title, probe))
        time.sleep(0.2)


def main():
    """Runs the unittest cases of the calling script."""
    unittest.main(verbosity=2)
