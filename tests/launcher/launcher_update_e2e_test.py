"""launcher.exe merging staged files at start-up, killed in the middle of a
merge, and restarting itself through the scripts."""
import os
import time
import unittest

from vemo_e2e import WM_APP, ProgramFolder, main, probe_window, tool_path, wait_for_window

HERE = os.path.dirname(os.path.abspath(__file__))
WINDOW_CLASS = "vemosdk_launcher_class"
REFUSAL = "已经有一个启动器进程在运行了，不允许多开，本次程序直接退出"
FILES = 300


def hand_over_folder(test_name, launcher_name):
    folder = ProgramFolder(test_name, {"game_id": "1", "launcher_name": launcher_name})
    folder.copy_in(os.path.join(HERE, "e2e_launcher.lua"), "vemosdk_windows_launcher/launcher.lua")
    return folder


def write_bytes(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def read_bytes(path):
    with open(path, "rb") as source:
        return source.read()


def old_content(i):
    return bytes([ord("a") + i % 26]) * (64 * 1024 + i)


def new_content(i):
    return bytes([ord("A") + i % 26]) * (256 * 1024 - i)


def shut_down(name):
    """Asks the launcher of that name to end, as the scripts do before an update."""
    probe_window(WINDOW_CLASS, name, post=WM_APP + 2)


class LauncherUpdate(unittest.TestCase):
    def test_staged_files_are_merged_before_the_scripts_run(self):
        with hand_over_folder("launcher_merge", "e2e_merge") as folder:
            write_bytes(folder.file("data/a.pak"), b"old a")
            write_bytes(folder.file("data/keep.pak"), b"keep")
            write_bytes(folder.file(".update/data/a.pak"), b"new a")
            write_bytes(folder.file(".update/vemosdk_windows_launcher/extra.lua"), b"return 1")
            write_bytes(folder.file(".vemoold/launcher.exe"), b"previous")
            launcher = folder.start()
            launcher.wait_for(r"e2e: entry ran")
            self.assertEqual(b"new a", read_bytes(folder.file("data/a.pak")))
            self.assertEqual(b"keep", read_bytes(folder.file("data/keep.pak")))
            self.assertEqual(b"return 1", read_bytes(folder.file("vemosdk_windows_launcher/extra.lua")))
            self.assertEqual([], os.listdir(folder.file(".update")))
            self.assertFalse(os.path.exists(folder.file(".vemoold")))
            shut_down("e2e_merge")
            self.assertEqual(0, launcher.wait(60))

    def test_a_launcher_killed_while_merging_leaves_old_or_new_files_and_the_next_start_finishes(self):
        with hand_over_folder("launcher_killed_merge", "e2e_killed_merge") as folder:
            names = ["f%d.pak" % i for i in range(FILES)]
            for i, name in enumerate(names):
                write_bytes(folder.file("data/" + name), old_content(i))
                write_bytes(folder.file(".update/data/" + name), new_content(i))
            launcher = folder.start()
            deadline = time.monotonic() + 60
            while len(os.listdir(folder.file(".update/data"))) == FILES and time.monotonic() < deadline:
                time.sleep(0.001)
            launcher.stop()  # SIGKILL: no chance to tidy up

            for i, name in enumerate(names):
                content = read_bytes(folder.file("data/" + name))
                self.assertIn(content, (old_content(i), new_content(i)), "%s has %d bytes" % (name, len(content)))

            again = folder.start()
            again.wait_for(r"e2e: entry ran", timeout=120)
            for i, name in enumerate(names):
                self.assertEqual(new_content(i), read_bytes(folder.file("data/" + name)), name)
            self.assertEqual(sorted(names), sorted(os.listdir(folder.file("data"))))
            self.assertEqual([], os.listdir(folder.file(".update")))
            shut_down("e2e_killed_merge")
            self.assertEqual(0, again.wait(60))

    def test_restart_self_starts_a_launcher_that_is_not_refused_as_a_second_one(self):
        with hand_over_folder("launcher_restart", "e2e_restart") as folder:
            # The old launcher is still ending when the new one checks its mutex.
            folder.copy_in(tool_path("linger_at_exit.dll"), "linger_at_exit.dll")
            launcher = folder.start()
            launcher.wait_for(r"e2e: exit lingers")
            folder.write("restart.flag", "")
            launcher.wait_for(r"e2e: restarting")
            self.assertEqual(0, launcher.wait(60))
            self.assertNotIn("restart_self returned", launcher.output())
            try:
                deadline = time.monotonic() + 60
                while read_bytes(folder.file("starts.txt")).count(b"start") < 2:
                    self.assertLess(time.monotonic(), deadline, "the restarted launcher never ran its entry")
                    time.sleep(0.1)
                wait_for_window(WINDOW_CLASS, "e2e_restart", lambda probe: probe["found"])
            finally:
                shut_down("e2e_restart")
            wait_for_window(WINDOW_CLASS, "e2e_restart", lambda probe: not probe["found"], timeout=60)


if __name__ == "__main__":
    main()
