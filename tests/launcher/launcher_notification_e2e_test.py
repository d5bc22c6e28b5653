"""The download notification window of the real launcher under Wine: where it
appears, that it leaves the focus where it was, and what its two clicks do
(reported to the scripts' jf log; the button starts the game). A picture of
it is saved under the test work folder."""
import glob
import os
import shutil
import subprocess
import time
import unittest

from vemo_e2e import WM_APP, WORK_DIR, BUILD_DIR, SOURCE_DIR, ProgramFolder, main, probe_window, tool_path, \
    wait_for_window
from update_feed import make_feed

HERE = os.path.dirname(os.path.abspath(__file__))
LAUNCHER_CLASS = "vemosdk_launcher_class"
NOTICE_CLASS = "UpdaterNotificationWindowClass"
NOTICE_TITLE = "Download Notification"
PORT_FILE = os.environ.get("VEMO_HTTP_PORT_FILE", "")
PICTURES = os.path.join(WORK_DIR, "pictures")


def game_folder(name, extra=None):
    """A program folder whose "game" is the tests' child program, reporting
    how it was started into game_started.txt."""
    config = {"game_id": "1", "launcher_name": name, "game_exe": "child_program.exe",
              "game_args": "--report game_started.txt"}
    config.update(extra or {})
    folder = ProgramFolder(name, config)
    folder.copy_in(tool_path("child_program.exe"), "child_program.exe")
    return folder


def jf_records(folder):
    """The decoded records of the scripts' jf log."""
    files = sorted(glob.glob(folder.file(os.path.join("vemo", "launcher_jf", "*"))))
    text = ""
    for path in files:
        result = subprocess.run(["wine", os.path.join(BUILD_DIR, "bin", "log_reader.exe"), path],
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        text += result.stdout.decode("utf-8", errors="replace")
    return text


def save_picture(name):
    os.makedirs(PICTURES, exist_ok=True)
    path = os.path.join(PICTURES, name)
    subprocess.run([os.path.join(SOURCE_DIR, "scripts", "window-picture"), "launcher.exe", NOTICE_TITLE, path],
                   stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    return path


def settled_foreground(name):
    """The launcher's window once the foreground has stopped moving: the
    launcher brings its own windows forward for a moment after it shows."""
    last = wait_for_window(LAUNCHER_CLASS, name, lambda p: p["visible"] and p["window"]["width"] != 1)
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        time.sleep(0.5)
        probe = probe_window(LAUNCHER_CLASS, name)
        if probe["foreground_class"] == last["foreground_class"]:
            return probe
        last = probe
    return last


def notice_shown(probe):
    return probe["found"] and probe["visible"]


class NotificationWindow(unittest.TestCase):
    def shut_down(self, launcher, name):
        probe_window(LAUNCHER_CLASS, name, post=WM_APP + 2)
        self.assertEqual(0, launcher.wait(60))

    def test_the_notice_sits_in_the_corner_and_its_clicks_report_then_start_the_game(self):
        name = "e2e_notice"
        with game_folder(name) as folder:
            folder.copy_in(os.path.join(HERE, "e2e_launcher.lua"), "vemosdk_windows_launcher/launcher.lua")
            launcher = folder.start()
            launcher.wait_for(r"e2e: entry ran")
            folder.write("show.flag", "")
            launcher.wait_for(r"e2e: main window shown")
            before = settled_foreground(name)

            folder.write("notice.flag", "The game is ready")
            launcher.wait_for(r"_create_notification_window called:  message=The game is ready, "
                              r"button=Start game, lang=en")
            notice = wait_for_window(NOTICE_CLASS, NOTICE_TITLE, notice_shown)
            area = notice["work_area"]
            self.assertEqual(area["left"] + area["width"] - 420, notice["window"]["left"], notice)
            self.assertEqual(area["top"] + area["height"] - 127, notice["window"]["top"], notice)
            self.assertEqual((400, 112), (notice["window"]["width"], notice["window"]["height"]), notice)
            self.assertEqual(before["foreground_class"], notice["foreground_class"], (before, notice))
            self.assertNotEqual(NOTICE_CLASS, notice["foreground_class"])
            picture = save_picture("notification.png")
            self.assertTrue(os.path.getsize(picture) > 0, picture)

            probe_window(NOTICE_CLASS, NOTICE_TITLE, click_at=(320, 56))
            report = launcher.wait_for(r"launcher_tools\.lua: jf_report sdk\.pf_comm click_gamestart")
            launcher.wait_for(r"launcher_tools\.lua: game started: .*child_program\.exe\" --report game_started\.txt "
                              r"--language=en", start=report.end())
            wait_for_window(NOTICE_CLASS, NOTICE_TITLE, lambda p: not p["found"])
            started = folder.file("game_started.txt")
            wait_for_window(LAUNCHER_CLASS, name, lambda p: os.path.exists(started))
            with open(started) as f:
                self.assertIn("args=--language=en", f.read())

            folder.write("notice.flag", "Once more")
            launcher.wait_for(r"e2e: notice shown", start=report.end())
            wait_for_window(NOTICE_CLASS, NOTICE_TITLE, notice_shown)
            os.remove(started)
            probe_window(NOTICE_CLASS, NOTICE_TITLE, click_at=(380, 20))
            launcher.wait_for(r"launcher_tools\.lua: jf_report sdk\.pf_comm close", start=report.end())
            wait_for_window(NOTICE_CLASS, NOTICE_TITLE, lambda p: not p["found"])
            self.assertFalse(os.path.exists(started))  # the close box starts nothing

            # The log's writer thread gets there a moment later.
            deadline = time.monotonic() + 30
            records = jf_records(folder)
            while '"biz_act":"close"' not in records and time.monotonic() < deadline:
                time.sleep(0.5)
                records = jf_records(folder)
            self.assertIn('"biz_act":"click_gamestart"', records)
            self.assertIn('"biz_act":"close"', records)
            self.assertIn('"event":"sdk.pf_comm"', records)
            self.assertTrue(launcher.running())
            self.shut_down(launcher, name)

    def test_the_sample_launcher_shows_the_notice_when_its_update_download_has_finished(self):
        feed_name = "notice-feed-%d" % os.getpid()
        feed = os.path.join(WORK_DIR, "www", feed_name)
        make_feed(feed, "1.0.1", 3)
        try:
            with open(PORT_FILE) as f:
                url = "http://127.0.0.1:%d/%s/manifest.json" % (int(f.read().split()[0]), feed_name)
            name = "e2e_notice_download"
            with game_folder(name, {"update_manifest_url": url}) as folder:
                launcher = folder.start()
                staged = launcher.wait_for(r"update_download\.lua: update 1\.0\.1 staged", timeout=120)
                launcher.wait_for(r"_create_notification_window called:  message=The update has been downloaded",
                                  start=staged.end())
                wait_for_window(NOTICE_CLASS, NOTICE_TITLE, notice_shown)
                save_picture("notification_after_download.png")
                probe_window(NOTICE_CLASS, NOTICE_TITLE, click_at=(320, 56))
                launcher.wait_for(r"launcher_tools\.lua: game started: .* --language=en")
                self.shut_down(launcher, name)
        finally:
            shutil.rmtree(feed, ignore_errors=True)


if __name__ == "__main__":
    main()
