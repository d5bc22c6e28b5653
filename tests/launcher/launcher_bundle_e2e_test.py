"""Where the launcher finds its scripts: the password-protected bundle, or
plain files when the bundle is missing, locked with another password or
incomplete."""
import os
import shutil
import subprocess
import tempfile
import unittest

from vemo_e2e import BUILD_DIR, SOURCE_DIR, ProgramFolder, main, probe_window, WM_APP

WINDOW_CLASS = "vemosdk_launcher_class"
ENTRY = "vemosdk_windows_launcher/launcher.lua"

ENTRY_SCRIPT = """
local sdk = require 'vemosdk_lua.vemosdk'
local M = {}
function M.check_for_launcher_update()
  _vemosdk.open_log(true)
  _vemosdk.log("bundle-e2e: entry from %s")
  local ok, err = pcall(require, "no_such.module")
  _vemosdk.log("bundle-e2e: missing module: " .. tostring(ok) .. " " .. tostring(err))
end
return M
"""


def script_tree(origin, with_sdk=True):
    """A folder of scripts: the samples, with an entry script that says where it came from."""
    tree = tempfile.mkdtemp(prefix="bundle-e2e-")
    shutil.copytree(os.path.join(SOURCE_DIR, "samples", "vemosdk_lua"), os.path.join(tree, "vemosdk_lua"))
    if not with_sdk:
        os.remove(os.path.join(tree, "vemosdk_lua", "vemosdk.lua"))
        shutil.copy2(os.path.join(SOURCE_DIR, "samples", "vemosdk_lua", "vemosdk.lua"),
                     os.path.join(tree, "vemosdk_lua", "sdk_elsewhere.lua"))
    os.makedirs(os.path.join(tree, "vemosdk_windows_launcher"))
    with open(os.path.join(tree, ENTRY), "w") as out:
        out.write(ENTRY_SCRIPT % origin)
    return tree


def make_bundle(tree, bundle):
    subprocess.run([os.path.join(SOURCE_DIR, "scripts", "make-bundle"), tree, bundle], check=True,
                   stdout=subprocess.DEVNULL)


def zip_with_password(tree, bundle, password):
    os.makedirs(os.path.dirname(bundle), exist_ok=True)
    tmp = bundle + ".tmp.zip"
    subprocess.run(["zip", "-q", "-r", "-P", password, tmp, "."], cwd=tree, check=True)
    os.replace(tmp, bundle)


class ScriptLoading(unittest.TestCase):
    def run_launcher(self, name, prepare, plain_scripts):
        """Starts a launcher whose folder prepare() fills; returns its output
        once the entry script ran. plain_scripts: the plain-file scripts
        beside the program say "plain"."""
        with ProgramFolder(name, {"launcher_name": name}, samples=False) as folder:
            for image in ("window_background.jpg", "close_btn.png"):
                folder.copy_in(os.path.join(BUILD_DIR, "samples", image), image)
            if plain_scripts:
                tree = script_tree("plain")
                shutil.copytree(tree, folder.path, dirs_exist_ok=True)
                shutil.rmtree(tree)
            prepare(folder)
            launcher = folder.start()
            launcher.wait_for(r"bundle-e2e: missing module: ")
            launcher.wait_for(r"vemosdk\.lua: tick 10 at")  # still running, still ticking
            output = launcher.output()
            probe_window(WINDOW_CLASS, name, post=WM_APP + 2)
            self.assertEqual(0, launcher.wait(60))
            return output

    def bundle_of(self, origin, bundle_path, with_sdk=True, password=None):
        tree = script_tree(origin, with_sdk)
        try:
            if password:
                zip_with_password(tree, bundle_path, password)
            else:
                make_bundle(tree, bundle_path)
        finally:
            shutil.rmtree(tree)

    def test_scripts_come_from_the_bundle(self):
        output = self.run_launcher(
            "bundle_only", lambda f: self.bundle_of("bundle", f.file("asset_ls/bundle")), plain_scripts=False)
        self.assertIn("bundle-e2e: entry from bundle", output)
        # A module in neither place fails require with a clear text; the launcher goes on.
        self.assertIn("bundle-e2e: missing module: false", output)
        self.assertIn("no_such/module.lua", output)

    def test_bundle_wins_over_plain_files(self):
        output = self.run_launcher(
            "bundle_and_plain", lambda f: self.bundle_of("bundle", f.file("asset_ls/bundle")), plain_scripts=True)
        self.assertIn("bundle-e2e: entry from bundle", output)

    def test_fallbacks_to_plain_files(self):
        cases = {
            "bundle_missing": lambda f: None,
            "bundle_wrong_password": lambda f: self.bundle_of("bundle", f.file("asset_ls/bundle"),
                                                              password="not the programs' password"),
            "bundle_without_sdk": lambda f: self.bundle_of("bundle", f.file("asset_ls/bundle"), with_sdk=False),
            "bundle_not_a_zip": lambda f: f.write("asset_ls/bundle", "not a zip at all"),
        }
        for name, prepare in cases.items():
            with self.subTest(name):
                output = self.run_launcher(name, prepare, plain_scripts=True)
                self.assertIn("bundle-e2e: entry from plain", output)
                self.assertNotIn("entry from bundle", output)
                self.assertIn("file not found", output)

    def test_plain_files_in_the_script_folder(self):
        # Lua's own searchers look beside the program; the script folder is
        # the loader's first try after them.
        def prepare(folder):
            tree = script_tree("asset_ls")
            shutil.copytree(tree, folder.file("asset_ls"), dirs_exist_ok=True)
            shutil.rmtree(tree)
        output = self.run_launcher("plain_asset_ls", prepare, plain_scripts=False)
        self.assertIn("bundle-e2e: entry from asset_ls", output)


if __name__ == "__main__":
    main()
