"""The "hi" QR bitmap that the Lua test leaves in the work folder is read
back by a QR reader from Debian's packages (zbarimg, run natively)."""
import os
import subprocess
import sys


def main():
    path = os.path.join(os.environ["VEMO_TEST_WORK_DIR"], "qrcode-hi.bmp")
    if os.path.getsize(path) != 101622:
        print("unexpected size", os.path.getsize(path))
        return 1
    result = subprocess.run(["zbarimg", "--quiet", "--raw", path], capture_output=True, text=True, timeout=60)
    print(result.stdout, result.stderr)
    if result.returncode != 0 or result.stdout.strip() != "hi":
        print("zbarimg did not read 'hi'")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
