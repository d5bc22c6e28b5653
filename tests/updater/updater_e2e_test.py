"""The real updater.exe under Wine in a temporary program folder: one updater
per name, the headless wait for a previous one, the skinned window."""
import os
import subprocess
import time
import unittest

from vemo_e2e import WORK_DIR, ProgramFolder, main, probe_window, wait_for_window

HERE = os.path.dirname(os.path.abspath(__file__))
WINDOW_CLASS = "vemosdk_updater_class"
REFUSAL = "已经有一个启动器进程在运行了，不允许多开，本次程序直接退出"
GAVE_UP = "headless: timeout waiting for previous updater to exit, give up this round."
WAITING = "headless: previous updater still running, waiting for it to exit."
ACQUIRED = "headless: previous updater exited, mutex acquired after wait."
ENTRY_RAN = r"e2e: updater entry ran, merge ok true"


def steered_folder(test_name, updater_name, skin=True):
    """A program folder whose updater entry script is the test's own."""
    folder = ProgramFolder(test_name, {"game_id": "1", "launcher_name": updater_name + "_launcher",
                                       "updater_name": updater_name})
    folder.copy_in(os.path.join(HERE, "e2e_updater.lua"), "vemosdk_windows_launcher/updater.lua")
    if not skin:
        os.remove(folder.file("vemosdk_skin.json"))
    return folder


def quit_updater(folder, updater):
    folder.write("quit.flag", "")
    return updater.wait(60)


class UpdaterEndToEnd(unittest.TestCase):
    def test_a_second_updater_without_headless_exits_at_once(self):
        with steered_folder("updater_second", "e2e_upd_second") as folder:
            first = folder.start("updater.exe")
            first.wait_for(ENTRY_RAN)
            second = folder.start("updater.exe")
            self.assertEqual(0, second.wait(60))
            self.assertIn(REFUSAL, second.output())
            self.assertNotIn("e2e: updater entry ran", second.output())
            self.assertTrue(first.running())
            self.assertEqual(0, quit_updater(folder, first))

    def test_a_headless_updater_gives_up_after_about_five_seconds(self):
        with steered_folder("updater_headless_gives_up", "e2e_upd_stays") as folder:
            first = folder.start("updater.exe")
            first.wait_for(ENTRY_RAN)
            started = time.monotonic()
            headless = folder.start("updater.exe", "--from launcher headless_update=applying")
            self.assertEqual(0, headless.wait(90))
            waited = time.monotonic() - started
            self.assertIn(GAVE_UP, headless.output())
            self.assertNotIn("e2e: updater entry ran", headless.output())
            # 50 rounds of 100 ms, never fewer.
            self.assertGreaterEqual(waited, 4.5, headless.output())
            self.assertTrue(first.running())
            self.assertEqual(0, quit_updater(folder, first))

    def test_a_headless_updater_goes_on_when_the_previous_one_ends_in_time(self):
        with steered_folder("updater_headless_goes_on", "e2e_upd_ends") as folder:
            first = folder.start("updater.exe")
            first.wait_for(ENTRY_RAN)
            headless = folder.start("updater.exe", "headless_update=applying")
            headless.wait_for(WAITING)
            self.assertTrue(headless.running())
            self.assertEqual(0, quit_updater(folder, first))
            headless.wait_for(ACQUIRED)
            headless.wait_for(ENTRY_RAN)
            self.assertEqual(0, quit_updater(folder, headless))

    def test_the_skinned_window_its_buttons_and_the_action_button(self):
        with steered_folder("updater_window", "e2e_upd_window") as folder:
            updater = folder.start("updater.exe")
            updater.wait_for(ENTRY_RAN)
            window = wait_for_window(WINDOW_CLASS, "e2e_upd_window", lambda p: p["found"], child=1001)
            self.assertTrue(window["visible"], window)
            self.assertEqual((1200, 678), (window["window"]["width"], window["window"]["height"]), window)
            close = window["child"]
            self.assertEqual((1200 - 60 - 46, 20, 46, 46),
                             (close["left"], close["top"], close["width"], close["height"]), window)
            minimise = probe_window(WINDOW_CLASS, "e2e_upd_window", child=1002)["child"]
            self.assertEqual((1200 - 2 * 46 - 8 - 60, 20), (minimise["left"], minimise["top"]), minimise)

            # The action button sits centred in the progress area of the panel.
            action = wait_for_window(WINDOW_CLASS, "e2e_upd_window", lambda p: p["child"].get("visible"),
                                     child=1003)["child"]
            self.assertEqual((160, 40), (action["width"], action["height"]), action)
            self.assertEqual(((1200 - 160) // 2, 678 - 160 + 20 + 76), (action["left"], action["top"]), action)

            screenshot = os.path.join(WORK_DIR, "updater_progress_window.png")
            subprocess.run(["import", "-window", "root", screenshot], check=True, timeout=60)
            self.assertGreater(os.path.getsize(screenshot), 0)

            probe_window(WINDOW_CLASS, "e2e_upd_window", child=1003, click=True)
            updater.wait_for(r"e2e: action button clicked")
            self.assertIn("点击取消/重试按钮事件", updater.output())
            # Progress without a button text hides the button.
            wait_for_window(WINDOW_CLASS, "e2e_upd_window", lambda p: not p["child"]["visible"], child=1003)
            # The window was pushed to the front a few times at most.
            updater.wait_for(r"front retry stopped, done=[01], left=[0-4]\s")
            self.assertEqual(0, quit_updater(folder, updater))

    def test_a_missing_skin_file_names_every_colour_and_keeps_the_built_in_ones(self):
        with steered_folder("updater_no_skin", "e2e_upd_no_skin", skin=False) as folder:
            updater = folder.start("updater.exe")
            updater.wait_for(ENTRY_RAN)
            output = updater.output()
            for key in ("progress_bottom_color", "progress_top_color", "button_background_color",
                        "button_border_color", "button_text_color"):
                self.assertIn(key + " is nil !!!", output)
            self.assertNotIn("button_text_hover_color is nil", output)
            self.assertEqual(0, quit_updater(folder, updater))

    def test_the_close_button_ends_the_updater(self):
        with steered_folder("updater_close", "e2e_upd_close") as folder:
            updater = folder.start("updater.exe")
            updater.wait_for(ENTRY_RAN)
            probe_window(WINDOW_CLASS, "e2e_upd_close", child=1001, click=True)
            self.assertEqual(0, updater.wait(60))
            self.assertIn("点击关闭按钮事件，准备关闭窗口----", updater.output())


if __name__ == "__main__":
    main()
