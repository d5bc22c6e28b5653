"""The launcher with the sample scripts on the real browser: its page shows
in the launcher's window and hears clicks; each running launcher holds a
profile folder of its own, and folders no one holds go."""
import glob
import os
import shutil
import subprocess
import time
import unittest

from vemo_e2e import WORK_DIR, ProgramFolder, main, probe_window, wait_for_window

RUNTIME = os.environ.get("VEMO_BROWSER_RUNTIME_DIR", "")
WINDOW_CLASS = "vemosdk_launcher_class"
BANNER = (0x1E, 0x6F, 0xD9)  # the page's banner colour (samples/launcher_page/style.css)


def page_folder(name, launcher_name, game_id):
    """A program folder with the samples whose runtime folder names the test browser."""
    folder = ProgramFolder(name, {"game_id": game_id, "launcher_name": launcher_name,
                                  "updater_name": launcher_name + "_updater"})
    os.makedirs(folder.file("WebView2"), exist_ok=True)
    for entry in os.listdir(RUNTIME):
        if os.path.isfile(os.path.join(RUNTIME, entry)):
            shutil.copy2(os.path.join(RUNTIME, entry), folder.file("WebView2"))
    return folder


def profile_base(game_id):
    """The profile folders of a game in the Wine prefix's roaming application data."""
    users = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users")
    found = glob.glob(os.path.join(users, "*", "AppData", "Roaming", "WebView2", game_id))
    return found[0] if found else os.path.join(users, os.environ.get("USER", "root"), "AppData", "Roaming",
                                               "WebView2", game_id)


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def pixel(path, x, y):
    out = subprocess.run(["convert", path, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-"],
                         capture_output=True, text=True, timeout=60).stdout
    # "0,0: (30,111,217)  #1E6FD9  srgb(30,111,217)"
    hexcolour = out.split("#")[-1].split()[0]
    return tuple(int(hexcolour[i:i + 2], 16) for i in (0, 2, 4))


def close_to(colour, wanted, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, wanted))


class LauncherPage(unittest.TestCase):
    def test_the_page_shows_in_the_launcher_window_and_hears_a_click(self):
        with page_folder("webview_launcher_page", "e2e_web_page", "e2e-web-page") as folder:
            launcher = folder.start("launcher.exe")
            launcher.wait_for(r"launcher_page\.lua: opening file:///VemoOfflineRedirect/")
            launcher.wait_for(r"page created: ok", timeout=60)
            window = wait_for_window(WINDOW_CLASS, "e2e_web_page", lambda p: p.get("visible"))["window"]
            shot = os.path.join(WORK_DIR, "webview-launcher-page.png")
            points = [(window["left"] + dx, window["top"] + dy) for dx, dy in ((40, 90), (600, 100), (1100, 30))]
            deadline = time.monotonic() + 60
            while True:
                screenshot(shot)
                colours = [pixel(shot, x, y) for x, y in points]
                if all(close_to(c, BANNER) for c in colours):
                    break
                self.assertLess(time.monotonic(), deadline, "the banner never showed: %s\n%s" %
                                (colours, launcher.output()))
                time.sleep(1)
            # A click in the window reaches the page, which tells Lua.
            probe_window(WINDOW_CLASS, "e2e_web_page", click_at=(700, 500))
            launcher.wait_for(r"launcher_page\.lua: page click at 700,500", timeout=30)


class ProfileFolders(unittest.TestCase):
    def test_a_second_launcher_gets_its_own_folder_and_stale_folders_go(self):
        game_id = "e2e-web-profiles"
        base = profile_base(game_id)
        shutil.rmtree(base, ignore_errors=True)
        os.makedirs(os.path.join(base, "424242"))
        with open(os.path.join(base, "424242", "Cookies"), "w") as stale:
            stale.write("left by a launcher that ended")
        with page_folder("webview_profiles_a", "e2e_web_a", game_id) as first_folder, \
                page_folder("webview_profiles_b", "e2e_web_b", game_id) as second_folder:
            first = first_folder.start("launcher.exe")
            first.wait_for(r"page created: ok", timeout=60)
            self.assertIn("user data folder: ", first.output())
            self.assertRegex(first.output(), r"user data folder: .*\\default\\")
            self.assertFalse(os.path.exists(os.path.join(base, "424242")))
            second = second_folder.start("launcher.exe")
            second.wait_for(r"page created: ok", timeout=60)
            held = second.wait_for(r"user data folder: .*\\(\d+)\\").group(1)
            self.assertTrue(os.path.exists(os.path.join(base, held, "_lock.vmeb")))
            self.assertTrue(os.path.exists(os.path.join(base, "default", "_lock.vmeb")))


if __name__ == "__main__":
    main()
