"""The sample scripts' update check under Wine: the launcher asks the test
server for a version manifest, downloads the listed files in one batch,
checks them, stages them in .update, and merges them at its next start."""
import hashlib
import json
import os
import re
import shutil
import unittest
import urllib.request

from vemo_e2e import WM_APP, WORK_DIR, ProgramFolder, main, probe_window
from update_feed import make_feed

WINDOW_CLASS = "vemosdk_launcher_class"
PORT_FILE = os.environ.get("VEMO_HTTP_PORT_FILE", "")
LOG = r"update_download\.lua: "


def server_url():
    with open(PORT_FILE) as f:
        return "http://127.0.0.1:%d" % int(f.read().split()[0])


def md5_of(path):
    with open(path, "rb") as f:
        return hashlib.md5(f.read()).hexdigest()


class UpdateDownload(unittest.TestCase):
    def setUp(self):
        self.feed_name = "update-e2e-%d-%s" % (os.getpid(), self._testMethodName)
        self.feed = os.path.join(WORK_DIR, "www", self.feed_name)

    def tearDown(self):
        shutil.rmtree(self.feed, ignore_errors=True)

    def folder(self, name, manifest="manifest.json"):
        url = "%s/%s/%s" % (server_url(), self.feed_name, manifest)
        return ProgramFolder(name, {"game_id": "1", "launcher_name": name, "update_manifest_url": url})

    def shut_down(self, launcher, name):
        probe_window(WINDOW_CLASS, name, post=WM_APP + 2)
        self.assertEqual(0, launcher.wait(60))

    def serve_through(self, options):
        """Points the manifest's base URL at the feed served with the test
        server's options in the path."""
        manifest_path = os.path.join(self.feed, "manifest.json")
        with open(manifest_path) as f:
            manifest = json.load(f)
        manifest["base_url"] = "%s/_/q/%s/%s" % (server_url(), options, self.feed_name)
        with open(manifest_path, "w") as out:
            json.dump(manifest, out)

    def requests(self):
        with urllib.request.urlopen(server_url() + "/_/stats?group=" + self.feed_name, timeout=10) as answer:
            return json.load(answer)["requests"]

    def assert_one_set(self, folder, entries, md5s, version):
        """The program folder holds exactly one version: every listed file as
        md5s says, and the version text."""
        found = [md5_of(folder.file(os.path.join(*e["path"].split("/")))) for e in entries]
        self.assertEqual(md5s, found)
        with open(folder.file("files_version.txt")) as f:
            self.assertEqual(version, f.read().strip())

    def test_offered_files_are_downloaded_checked_staged_and_merged_at_the_next_start(self):
        entries = make_feed(self.feed, "1.0.1", 50)
        with self.folder("e2e_update") as folder:
            launcher = folder.start()
            launcher.wait_for(LOG + r"downloading 50 files \(\d+ bytes\) of version 1\.0\.1")
            staged = launcher.wait_for(LOG + r"update 1\.0\.1 staged: 50 files, (\d+) bytes checked", timeout=120)
            self.assertEqual(sum(e["size"] for e in entries), int(staged.group(1)))
            launcher.wait_for(r"launcher\.lua: the new files are applied at the next start")
            output = launcher.output()
            progress = re.findall(LOG + r"progress (\d+)/50 files, (\d+)/(\d+) bytes", output)
            self.assertGreaterEqual(len(progress), 2, output)
            self.assertEqual("50", progress[-1][0], output)
            counts = [int(done) for done, _, _ in progress]
            self.assertEqual(sorted(counts), counts, output)  # progress only goes forward
            for entry in entries:
                staged_file = folder.file(os.path.join(".update", *entry["path"].split("/")))
                self.assertEqual(entry["md5"], md5_of(staged_file), entry["path"])
            with open(folder.file(".update/files_version.txt")) as f:
                self.assertEqual("1.0.1", f.read().strip())
            self.assertFalse(os.path.exists(folder.file("vemo/update_parts")))
            self.shut_down(launcher, "e2e_update")

            # The next start merges the staged files and finds nothing newer.
            again = folder.start()
            again.wait_for(r"launcher\.lua: check_for_launcher_update, .*, files 1\.0\.1")
            again.wait_for(LOG + r"files 1\.0\.1 are up to date \(manifest offers 1\.0\.1\)")
            for entry in entries[::7]:
                self.assertEqual(entry["md5"], md5_of(folder.file(os.path.join(*entry["path"].split("/")))))
            self.shut_down(again, "e2e_update")

    def test_a_kill_mid_download_stages_nothing_and_the_next_start_resumes_it(self):
        entries = make_feed(self.feed, "1.0.1", 50)
        # Slowed down, so that the kill lands while files are still coming.
        self.serve_through("rate=60000&group=" + self.feed_name)
        new_md5s = [e["md5"] for e in entries]
        with self.folder("e2e_update_kill") as folder:
            for entry in entries:
                folder.write(os.path.join(*entry["path"].split("/")), "old " + entry["path"])
            folder.write("files_version.txt", "1.0.0\n")
            old_md5s = [md5_of(folder.file(os.path.join(*e["path"].split("/")))) for e in entries]

            launcher = folder.start()
            launcher.wait_for(LOG + r"progress (?:[5-9]|[1-4]\d)/50 files", timeout=120)
            launcher.stop()
            self.assertFalse(os.path.exists(folder.file(".update")))
            self.assert_one_set(folder, entries, old_md5s, "1.0.0")
            # What arrived whole waits in the download folder, checked.
            kept = []
            for entry in entries:
                path = folder.file(os.path.join(".update.part", *entry["path"].split("/")))
                if os.path.exists(path):
                    self.assertEqual(entry["md5"], md5_of(path), entry["path"])
                    kept.append(entry["path"])
            self.assertTrue(0 < len(kept) < 50, kept)
            asked_before = len(self.requests())

            # The next start has nothing to merge and resumes the download.
            self.serve_through("group=" + self.feed_name)
            again = folder.start()
            again.wait_for(r"launcher\.lua: check_for_launcher_update, .*, files 1\.0\.0")
            self.assert_one_set(folder, entries, old_md5s, "1.0.0")
            resumed = again.wait_for(LOG + r"resuming version 1\.0\.1: (\d+) of 50 files kept from the last run")
            self.assertEqual(len(kept), int(resumed.group(1)))
            again.wait_for(LOG + r"downloading %d files" % (50 - len(kept)))
            again.wait_for(LOG + r"update 1\.0\.1 staged: 50 files", timeout=120)
            self.assert_one_set(folder, entries, old_md5s, "1.0.0")
            for entry in entries:
                self.assertEqual(entry["md5"], md5_of(folder.file(os.path.join(".update", *entry["path"].split("/")))))
            with open(folder.file(".update/files_version.txt")) as f:
                self.assertEqual("1.0.1", f.read().strip())
            self.assertFalse(os.path.exists(folder.file(".update.part")))
            self.assertFalse(os.path.exists(folder.file("vemo/update_parts")))
            asked_after = self.requests()[asked_before:]
            fetched = [r for r in asked_after if r["method"] == "GET"]
            for path in kept:
                self.assertFalse([r for r in fetched if r["path"].endswith("/" + path)], path)
            self.shut_down(again, "e2e_update_kill")

            third = folder.start()
            third.wait_for(r"launcher\.lua: check_for_launcher_update, .*, files 1\.0\.1")
            self.assert_one_set(folder, entries, new_md5s, "1.0.1")
            self.shut_down(third, "e2e_update_kill")

    def test_a_file_that_fails_its_check_leaves_nothing_staged(self):
        make_feed(self.feed, "1.0.1", 50, wrong_md5_index=7)
        with self.folder("e2e_update_bad") as folder:
            launcher = folder.start()
            launcher.wait_for(LOG + r"update 1\.0\.1 failed: 1 of 50 files did not arrive intact, "
                              r"first game_data/pack3/file_007\.bin \(status 7009001\)", timeout=120)
            self.assertFalse(os.path.exists(folder.file(".update")))
            self.assertTrue(launcher.running())
            self.shut_down(launcher, "e2e_update_bad")

    def test_a_missing_manifest_changes_nothing(self):
        os.makedirs(self.feed)
        with self.folder("e2e_update_none", "absent.json") as folder:
            launcher = folder.start()
            launcher.wait_for(r"launcher\.lua: main window shown")
            launcher.wait_for(LOG + r"no manifest from .*absent\.json: status 404")
            self.assertFalse(os.path.exists(folder.file(".update")))
            self.shut_down(launcher, "e2e_update_none")


if __name__ == "__main__":
    main()
