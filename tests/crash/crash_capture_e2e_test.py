"""Crash capture in a real program under Wine: one dump and one report per
crash, the statistics ping and the report's upload seen by the test server,
the exit code of the exception, and a minidump that readers other than ours
understand (a small reader of the format here, and Wine's winedbg)."""
import glob
import json
import os
import re
import shutil
import struct
import subprocess
import unittest
import urllib.request

from vemo_e2e import WORK_DIR, main, tool_path, windows_path

PORT_FILE = os.environ.get("VEMO_HTTP_PORT_FILE", "")


def server_url():
    with open(PORT_FILE) as f:
        return "http://127.0.0.1:%d" % int(f.read().split()[0])


def server_requests(group):
    with urllib.request.urlopen(server_url() + "/_/stats?group=" + group, timeout=10) as answer:
        return json.load(answer)["requests"]


def run_helper(mode, folder, secret):
    """The helper's exit code as Windows reports it (through cmd)."""
    command = "%s %s %s %s %s & echo exit=%%errorlevel%%" % (
        windows_path(tool_path("crash_helper.exe")), mode, windows_path(folder), server_url(), secret)
    done = subprocess.run(["wine", "cmd", "/c", command], cwd=folder, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=240)
    out = done.stdout.decode("utf-8", "replace")
    match = re.search(r"exit=(-?\d+)", out)
    if not match:
        raise AssertionError("no exit code in:\n" + out + done.stderr.decode("utf-8", "replace"))
    return int(match.group(1)) & 0xFFFFFFFF, out


def read_minidump(path):
    """(exception code, exception thread id, thread ids) from a minidump file."""
    with open(path, "rb") as f:
        data = f.read()
    signature, _version, count, directory = struct.unpack_from("<4sIII", data, 0)
    assert signature == b"MDMP", signature
    code = thread = None
    threads = []
    for i in range(count):
        kind, size, rva = struct.unpack_from("<III", data, directory + 12 * i)
        if kind == 6:  # exception stream: thread id, alignment, exception record
            thread, _align, code = struct.unpack_from("<III", data, rva)
        elif kind == 3:  # thread list: count, then 48-byte entries beginning with the id
            (number,) = struct.unpack_from("<I", data, rva)
            threads = [struct.unpack_from("<I", data, rva + 4 + 48 * n)[0] for n in range(number)]
    return code, thread, threads


class CrashCaptureTest(unittest.TestCase):
    def setUp(self):
        self.folder = os.path.join(WORK_DIR, "crash_capture_" + self._testMethodName)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def crash(self, mode, secret):
        code, out = run_helper(mode, self.folder, secret)
        private = os.path.join(self.folder, "vemo")
        dumps = glob.glob(os.path.join(private, "dump", "*", "*"))
        reports = glob.glob(os.path.join(private, "crash", "*"))
        return code, out, dumps, reports

    def test_an_access_violation_gives_one_dump_one_upload_and_its_exit_code(self):
        code, out, dumps, reports = self.crash("access_violation", "av1")
        self.assertEqual(code, 0xC0000005, out)
        self.assertEqual(len(dumps), 1, dumps)
        self.assertRegex(os.path.basename(dumps[0]), r"^crash-C0000005-[0-9A-F]{8}-1\.0\.9\.dmp$")
        self.assertRegex(os.path.basename(os.path.dirname(dumps[0])), r"^\d{8}_\d{6}$")
        self.assertEqual(reports, [], "the accepted report is deleted")
        # The start's page-view ping goes in the background and may not make it.
        pings = server_requests("crash_av1")
        self.assertTrue(all(p["sign_ok"] for p in pings), pings)
        self.assertEqual(sum('"k_ct":"crash"' in p["body"] for p in pings), 1, pings)
        uploads = server_requests("crash_av1_files")
        self.assertEqual(len(uploads), 1)
        report = uploads[0]["parts"][0]["data"]
        self.assertRegex(uploads[0]["parts"][0]["filename"],
                         r"[/\\]crash[/\\]kvz55_1\.0\.9___\d+\.\d+_\d{13}_\d{10}_fg_jni\.log$")
        for line in ["Log Type: jni", "crash_handler_source: UEF_FALLBACK", "a_null_key: \r\n",
                     "b_host_key: from the host",
                     "signal 0 (unkown), code C0000005 (EXCEPTION_ACCESS_VIOLATION)",
                     "wk_dump_file_name:" + os.path.basename(os.path.dirname(dumps[0])) + "/"
                     + os.path.basename(dumps[0])]:
            self.assertIn(line, report)

        exception_code, thread, threads = read_minidump(dumps[0])
        self.assertEqual(exception_code, 0xC0000005)
        self.assertIn(thread, threads)
        self.assertIn("tid: %d >>>" % thread, report)
        trace = subprocess.run(["wine", "winedbg", dumps[0]], input=b"bt\nquit\n", capture_output=True,
                               timeout=120).stdout.decode("utf-8", "replace")
        self.assertIn("crash_by_access_violation", trace)

    def test_a_software_exception_takes_the_filter_path(self):
        code, out, dumps, reports = self.crash("raise", "raise1")
        self.assertEqual(code, 0xE0000001, out)
        self.assertEqual(len(dumps), 1, dumps)
        self.assertRegex(os.path.basename(dumps[0]), r"^crash-E0000001-")
        uploads = server_requests("crash_raise1_files")
        self.assertEqual(len(uploads), 1)
        self.assertIn("crash_handler_source: UEF_FALLBACK", uploads[0]["parts"][0]["data"])
        self.assertIn("code E0000001 (unkown)", uploads[0]["parts"][0]["data"])

    def test_a_stack_overflow_gives_a_dump_and_a_report(self):
        code, out, dumps, reports = self.crash("stack_overflow", "so1")
        self.assertEqual(code, 0xC00000FD, out)
        self.assertEqual(len(dumps), 1, dumps)
        uploads = server_requests("crash_so1_files")
        self.assertEqual(len(uploads), 1)
        report = uploads[0]["parts"][0]["data"]
        self.assertIn("crash_handler_source: VEH", report)
        self.assertIn("(EXCEPTION_STACK_OVERFLOW)", report)
        self.assertEqual(read_minidump(dumps[0])[0], 0xC00000FD)

    def test_an_access_violation_that_is_handled_is_no_crash(self):
        code, out, dumps, reports = self.crash("handled", "handled1")
        self.assertEqual(code, 0, out)
        self.assertIn("handled=1", out)
        self.assertEqual(dumps, [])
        self.assertEqual(server_requests("crash_handled1_files"), [])


if __name__ == "__main__":
    main()
