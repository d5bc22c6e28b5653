"""Relative paths under Wine: the launcher is started from another current
folder, and its scripts' file functions, batch operations and downloads,
given relative paths, work in the program folder and leave the current
folder alone."""
import hashlib
import os
import re
import shutil
import zipfile
import unittest

from vemo_e2e import WM_APP, WORK_DIR, ProgramFolder, main, probe_window

HERE = os.path.dirname(os.path.abspath(__file__))
PORT_FILE = os.environ.get("VEMO_HTTP_PORT_FILE", "")
NAME = "e2e_relative"
PAYLOAD = bytes(range(256)) * 300


def server_url():
    with open(PORT_FILE) as f:
        return "http://127.0.0.1:%d" % int(f.read().split()[0])


def tree(folder):
    """Every file below folder: relative path (with /) -> bytes."""
    found = {}
    for root, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, folder).replace(os.sep, "/")] = f.read()
    return found


def write(folder, relative, data):
    path = os.path.join(folder, *relative.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


class RelativePaths(unittest.TestCase):
    def setUp(self):
        self.www = os.path.join(WORK_DIR, "www", "relative-%d" % os.getpid())
        write(self.www, "payload.bin", PAYLOAD)
        self.cwd = os.path.join(WORK_DIR, "e2e", NAME + "_cwd")
        shutil.rmtree(self.cwd, ignore_errors=True)
        # What a current-folder reading would hit, and must not change.
        self.sentinels = {"rel/keep.txt": b"cwd keep", "rel/keep2.txt": b"cwd keep2", "rel/doomed.txt": b"cwd doomed",
                          "rel/written.txt": b"cwd text", "sdkconfig.json": b"{}"}
        for relative, data in self.sentinels.items():
            write(self.cwd, relative, data)

    def tearDown(self):
        shutil.rmtree(self.www, ignore_errors=True)
        shutil.rmtree(self.cwd, ignore_errors=True)

    def test_relative_paths_work_in_the_program_folder_whatever_the_current_folder(self):
        url = "%s/%s/payload.bin" % (server_url(), os.path.basename(self.www))
        config = {"game_id": "1", "launcher_name": NAME, "relative_paths_url": url}
        with ProgramFolder(NAME, config) as folder:
            folder.copy_in(os.path.join(HERE, "e2e_relative_paths.lua"), "vemosdk_windows_launcher/launcher.lua")
            for relative in ("rel/keep.txt", "rel/keep2.txt", "rel/doomed.txt", "rel_sentinel.txt"):
                write(folder.path, relative, b"program " + relative.encode())
            with zipfile.ZipFile(folder.file("rel/pack.zip"), "w") as archive:
                archive.writestr("inner.txt", "inner")
            launcher = folder.start(cwd=self.cwd)
            launcher.wait_for(r"e2e-rel: done", timeout=90)
            answered = re.findall(r"e2e-rel: (\S+) ?([^\r\n]*)", launcher.output())
            results = dict(answered)
            # One answer per step: none missing, none twice.
            self.assertEqual(len(answered), len(results), [name for name, _ in answered])
            probe_window("vemosdk_launcher_class", NAME, post=WM_APP + 2)
            self.assertEqual(0, launcher.wait(60))

            self.assertEqual(self.sentinels, tree(self.cwd))
            expected = {
                "sdkconfig": NAME,
                "writefile": "1.0",
                "copy_file": "true,0.0,",
                "renamefile": "true,0.0,",
                "make_dirs": '{"succ":true}',
                "is_directory": "true",
                "is_file_exists": "true",
                "file_length": "7.0",
                "lread": "written",
                "readfile_offset_length": "rit",
                "listdir": "doomed.txt keep.txt keep2.txt pack.zip renamed.txt written.txt",
                "zip_open": "1",
                "removefile": "true,0.0,",
                "deletefile": "false",
                "submit_download_list": "200",
            }
            for name, value in expected.items():
                self.assertEqual(value, results.get(name), name)
            for name in ("batch_copy", "batch_copy_based", "batch_remove"):
                self.assertIn('"succ":true', results.get(name, ""), name)
            self.assertIn('"written.txt":"%s"' % hashlib.md5(b"written").hexdigest(), results["batch_md5"])
            self.assertIn('"code":7016023', results["batch_remove_outside"])
            self.assertIn('"status":200}', results["http_get_file"])
            self.assertIn('"path":"plain.txt"', results["list_dir_ex"])

            files = tree(folder.file("rel"))
            self.assertEqual({"written.txt", "renamed.txt", "pack.zip", "batch/plain.txt", "batch/based.txt", "single.bin",
                              "list/listed.bin"}, set(files))
            for name in ("written.txt", "renamed.txt", "batch/plain.txt", "batch/based.txt"):
                self.assertEqual(b"written", files[name], name)
            self.assertEqual(PAYLOAD, files["single.bin"])
            self.assertEqual(PAYLOAD, files["list/listed.bin"])
            self.assertTrue(os.path.isdir(folder.file("rel/made/deep")))
            with open(folder.file("rel_sentinel.txt"), "rb") as f:
                self.assertEqual(b"program rel_sentinel.txt", f.read())


if __name__ == "__main__":
    main()
