"""One vendor plug-in DLL in both real programs under Wine: the echo vendor
answers sync, async and cast calls from the scripts of launcher.exe and of
updater.exe; a crash inside a vendor call is captured with a report that
names the plug-in's module."""
import glob
import os
import re
import subprocess
import unittest

from vemo_e2e import BUILD_DIR, ProgramFolder, main, tool_path

HERE = os.path.dirname(os.path.abspath(__file__))
SYNC = ('vendor-e2e: sync {"flavour":"first","method":"HELLO","params":{"x":1},"meta":{"a":1},'
        '"sdk":"3.0.14"}')


def vendor_folder(name):
    config = {"game_id": "1", "launcher_name": name, "updater_name": name + "_updater",
              "sdks": [{"name": "CRASH_SDK", "meta": {"debuggable": "true", "url": "http://127.0.0.1:1/upload"}},
                       {"name": "STEAM", "meta": {"a": 1}}]}
    folder = ProgramFolder(name, config)
    for entry in ("launcher.lua", "updater.lua"):
        folder.copy_in(os.path.join(HERE, "vendor_e2e.lua"), "vemosdk_windows_launcher/" + entry)
    os.makedirs(folder.file("vendors/STEAM"))
    folder.copy_in(tool_path("echo_vendor.dll"), "vendors/STEAM/VEMO_STEAM.dll")
    return folder


# What a plug-in built against one program's import library imports: the
# vendor classes' members and virtual tables.
CLASS_EXPORTS = ["_ZN13VemoSDKVendor17SDKProxyInterfaceC2Ev", "_ZN13VemoSDKVendor17SDKProxyInterfaceaSERKS0_",
                 "_ZN13VemoSDKVendor12SDKProxyBaseC2Ev", "_ZN13VemoSDKVendor12SDKProxyBaseC2ERKS0_",
                 "_ZN13VemoSDKVendor12SDKProxyBaseD0Ev", "_ZN13VemoSDKVendor12SDKProxyBaseD2Ev",
                 "_ZN13VemoSDKVendor12SDKProxyBaseaSERKS0_", "_ZN13VemoSDKVendor12SDKProxyBase7destroyEv",
                 "_ZTVN13VemoSDKVendor17SDKProxyInterfaceE", "_ZTVN13VemoSDKVendor12SDKProxyBaseE",
                 "vemosdk_set_security_check", "vemosdk_load_vendor_dll"]


class VendorEndToEnd(unittest.TestCase):
    def test_both_programs_export_the_vendor_classes(self):
        for program in ("launcher.exe", "updater.exe"):
            dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", os.path.join(BUILD_DIR, "bin", program)],
                                  capture_output=True, text=True, check=True).stdout
            names = set(re.findall(r"\]\s+(\S+)$", dump, re.M))
            for name in CLASS_EXPORTS:
                self.assertIn(name, names, program)
            self.assertTrue(any("SDKProxyBase4init" in n for n in names), program)

    def test_the_same_plugin_answers_in_both_programs(self):
        for program in ("launcher.exe", "updater.exe"):
            with self.subTest(program=program), vendor_folder("vendor_" + program.split(".")[0]) as folder:
                running = folder.start(program)
                running.wait_for(r"vendor-e2e: event 7", timeout=60)
                running.wait_for(r"vendor-e2e: async ", timeout=30)
                running.wait_for(r"vendor-e2e: no vendor ", timeout=30)
                output = running.output()
                self.assertIn(SYNC, output)
                self.assertIn("vendor-e2e: unknown {}", output)
                self.assertIn('vendor-e2e: async {"async":true,"id":1,"params":{"y":2}}', output)
                self.assertIn('vendor-e2e: no vendor {"succ":false,"code":7001008,"msg":"vendor not found"}', output)
                self.assertIn('vendor-e2e: event 7 {"z":3}', output)
                self.assertIn('vendor-e2e: no params {"succ":false,"code":7016008,', output)

    def test_a_crash_inside_a_vendor_call_is_reported_naming_the_plugin(self):
        with vendor_folder("vendor_crash") as folder:
            folder.write("crash.flag", "")
            running = folder.start("launcher.exe")
            running.wait_for(r"vendor-e2e: crashing", timeout=60)
            code = running.wait(180)
            self.assertNotEqual(0, code, running.output())
            reports = [path for path in glob.glob(folder.file("vemo/crash/*")) if not path.endswith(".part")]
            self.assertEqual(1, len(reports), running.output())
            with open(reports[0], encoding="utf-8", errors="replace") as report:
                text = report.read()
            self.assertIn("C0000005", text)
            self.assertIn("VEMO_STEAM.dll", text)


if __name__ == "__main__":
    main()
