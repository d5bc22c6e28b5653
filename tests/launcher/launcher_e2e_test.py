"""The real launcher.exe under Wine in a temporary program folder."""
import datetime
import json
import os
import re
import subprocess
import unittest
import uuid

from vemo_e2e import WM_APP, Program, ProgramFolder, main, probe_window, tool_path, wait_for_window, windows_path

HERE = os.path.dirname(os.path.abspath(__file__))
WINDOW_CLASS = "vemosdk_launcher_class"
WM_APP_SHUTDOWN = WM_APP + 2
WM_CLOSE = 0x0010
REFUSAL = "已经有一个启动器进程在运行了，不允许多开，本次程序直接退出"


def config(name):
    return {"game_id": "1", "launcher_name": name}


def steered_folder(test_name, launcher_name):
    """A program folder whose entry script is the test's own."""
    folder = ProgramFolder(test_name, config(launcher_name))
    folder.copy_in(os.path.join(HERE, "e2e_launcher.lua"), "vemosdk_windows_launcher/launcher.lua")
    folder.copy_in(tool_path("thread_poster.dll"), "thread_poster.dll")
    return folder


def debug_log_time(line_match, output):
    """The time stamp of the debug log line holding a match."""
    line_start = output.rfind("\n", 0, line_match.start()) + 1
    stamp = output[line_start:line_start + 23]
    return datetime.datetime.strptime(stamp, "%Y-%m-%d %H:%M:%S.%f")


def shut_down(launcher, name):
    """Asks the launcher to end the way the scripts do before an update."""
    probe_window(WINDOW_CLASS, name, post=WM_APP_SHUTDOWN)
    return launcher.wait(60)


class LauncherEndToEnd(unittest.TestCase):
    def test_sample_scripts_run_and_tick_every_100_ms(self):
        with ProgramFolder("launcher_sample", config("e2e_sample")) as folder:
            launcher = folder.start()
            launcher.wait_for(r"launcher\.lua: check_for_launcher_update, launcher 1\.0\.9")
            tenth = launcher.wait_for(r"vemosdk\.lua: tick 10 at")
            thirtieth = launcher.wait_for(r"vemosdk\.lua: tick 30 at", timeout=60)
            output = launcher.output()
            elapsed = debug_log_time(thirtieth, output) - debug_log_time(tenth, output)
            # 20 ticks of 100 ms; a loaded machine may stretch them, never shrink them.
            self.assertGreaterEqual(elapsed.total_seconds(), 1.6, output)
            self.assertLess(elapsed.total_seconds(), 10, output)
            self.assertEqual(0, shut_down(launcher, "e2e_sample"))

    def test_a_task_from_another_thread_reaches_its_handler_and_errors_do_not_stop_the_tick(self):
        with steered_folder("launcher_tasks", "e2e_tasks") as folder:
            launcher = folder.start()
            launcher.wait_for(r"e2e: thread poster loaded: true")
            position = 0
            for seq in (1, 2, 3):
                event = launcher.wait_for(
                    r"e2e: THREAD_EVENT id=%d json=\{\"seq\":%d,\"thread\":\d+\} buffer=buf%d" % (seq, seq, seq),
                    start=position)
                position = event.end()

            folder.write("fail.flag", "")
            error = launcher.wait_for(r"trace back = [^\n]*e2e: tick failed on purpose", start=position)
            launcher.wait_for(r"e2e: ticking again after the error", start=error.end())
            self.assertTrue(launcher.running())
            self.assertEqual(0, shut_down(launcher, "e2e_tasks"))

    def test_one_launcher_per_name(self):
        with ProgramFolder("launcher_first", config("e2e_single")) as first_folder, \
                ProgramFolder("launcher_other", config("e2e_single_other")) as other_folder:
            first = first_folder.start()
            first.wait_for(r"check_for_launcher_update")

            second = first_folder.start()
            self.assertEqual(0, second.wait(60))
            self.assertIn(REFUSAL, second.output())
            self.assertNotIn("check_for_launcher_update", second.output())
            self.assertTrue(first.running())

            other = other_folder.start()
            other.wait_for(r"check_for_launcher_update")
            self.assertTrue(first.running())
            self.assertTrue(other.running())

            self.assertEqual(0, shut_down(first, "e2e_single"))
            self.assertEqual(0, shut_down(other, "e2e_single_other"))
            # The name is free again once the first has ended.
            again = first_folder.start()
            again.wait_for(r"check_for_launcher_update")
            self.assertEqual(0, shut_down(again, "e2e_single"))

    def test_main_window_is_1_by_1_until_shown_then_full_size_with_the_close_button(self):
        with steered_folder("launcher_window", "e2e_window") as folder:
            launcher = folder.start()
            launcher.wait_for(r"e2e: entry ran")
            hidden = probe_window(WINDOW_CLASS, "e2e_window", child=1001)
            self.assertTrue(hidden["found"], hidden)
            self.assertEqual((1, 1), (hidden["window"]["width"], hidden["window"]["height"]), hidden)

            folder.write("show.flag", "")
            launcher.wait_for(r"e2e: main window shown")
            shown = wait_for_window(WINDOW_CLASS, "e2e_window", lambda p: p["window"]["width"] != 1, child=1001)
            self.assertTrue(shown["visible"], shown)
            self.assertEqual((1200, 678), (shown["window"]["width"], shown["window"]["height"]), shown)
            button = shown["child"]
            self.assertTrue(button["found"], shown)
            self.assertEqual((48, 48), (button["width"], button["height"]), shown)
            self.assertEqual(8, button["top"], shown)
            self.assertEqual(8, shown["client"]["width"] - (button["left"] + button["width"]), shown)
            self.assertEqual(0, shut_down(launcher, "e2e_window"))

    def test_closing_hides_to_the_tray_until_the_scripts_choose_exit(self):
        with steered_folder("launcher_close", "e2e_close") as folder:
            launcher = folder.start()
            launcher.wait_for(r"e2e: entry ran")
            folder.write("show.flag", "")
            launcher.wait_for(r"e2e: main window shown")
            wait_for_window(WINDOW_CLASS, "e2e_close", lambda p: p["visible"] and p["window"]["width"] != 1)

            probe_window(WINDOW_CLASS, "e2e_close", post=WM_CLOSE)
            hidden = wait_for_window(WINDOW_CLASS, "e2e_close", lambda p: not p["visible"])
            self.assertTrue(hidden["found"], hidden)
            self.assertTrue(launcher.running())

            # A second start brings the hidden window back and ends.
            second = folder.start()
            self.assertEqual(0, second.wait(60))
            wait_for_window(WINDOW_CLASS, "e2e_close", lambda p: p["visible"])
            self.assertTrue(launcher.running())

            folder.write("exit.flag", "")
            launcher.wait_for(r"e2e: close action exit")
            probe_window(WINDOW_CLASS, "e2e_close", post=WM_CLOSE)
            self.assertEqual(0, launcher.wait(60))

    def test_a_start_with_the_command_line_a_toast_registers_brings_the_running_launcher_back(self):
        clsid = "{%s}" % str(uuid.uuid4()).upper()
        server_key = "HKCU\\Software\\Classes\\CLSID\\%s" % clsid
        with steered_folder("launcher_toast", "e2e_toast") as folder:
            launcher = folder.start()
            launcher.wait_for(r"e2e: entry ran")
            folder.write("notification.flag", json.dumps({
                "title": "Update", "content": "Ready",
                "notify_app_info": {"company_name": "E2E", "game_name": "Toast", "clsid": clsid.strip("{}")}}))
            # Wine has no toast runtime: nothing shows, but the activator is registered.
            launcher.wait_for(r"e2e: notification -1")
            try:
                query = subprocess.run(["wine", "reg", "query", server_key + "\\LocalServer32", "/ve"],
                                       stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
                value = re.search(r"REG_SZ\s+(.*?)\r?$", query.stdout.decode("utf-8", errors="replace"), re.M)
                self.assertTrue(value, query.stdout)
                registered = re.fullmatch(r'"([^"]+)" (.+)', value.group(1).strip())
                self.assertTrue(registered, value.group(1))
                program, arguments = registered.groups()
                self.assertEqual(windows_path(folder.file("launcher.exe")).lower(), program.lower())

                folder.write("show.flag", "")
                launcher.wait_for(r"e2e: main window shown")
                wait_for_window(WINDOW_CLASS, "e2e_toast", lambda p: p["visible"] and p["window"]["width"] != 1)
                probe_window(WINDOW_CLASS, "e2e_toast", post=WM_CLOSE)  # to the tray
                wait_for_window(WINDOW_CLASS, "e2e_toast", lambda p: p["found"] and not p["visible"])
                clicked = Program([program] + arguments.split(" "), folder.path,
                                  folder.file("launcher.toast.log"))
                folder.programs.append(clicked)
                self.assertEqual(0, clicked.wait(60))
                self.assertIn(REFUSAL, clicked.output())
                wait_for_window(WINDOW_CLASS, "e2e_toast", lambda p: p["visible"])
                self.assertTrue(launcher.running())
                self.assertEqual(0, shut_down(launcher, "e2e_toast"))
            finally:
                for key in (server_key, "HKCU\\Software\\Classes\\AppUserModelId\\E2E.Toast"):
                    subprocess.run(["wine", "reg", "delete", key, "/f"], stdin=subprocess.DEVNULL,
                                   capture_output=True, timeout=60)


if __name__ == "__main__":
    main()
