#!/usr/bin/env python3
"""Starts and stops the headless browser that web views run on.

  browser.py start --runtime-dir DIR --state-dir DIR
  browser.py stop --state-dir DIR

start runs the browser itself (not the /usr/bin wrapper script, whose
process id is not the browser's) with DevTools on 127.0.0.1 only and a
profile under the state folder, then writes what the web engine reads in
the runtime folder: "devtools_endpoint.txt" ("127.0.0.1:<port>") and an
empty "<browser version>.manifest". stop ends the browser and its helper
processes by the process group of the id it saved, and removes the endpoint
file.
"""
import argparse
import glob
import json
import os
import shutil
import signal
import subprocess
import sys
import time
import urllib.request

BROWSER = "/usr/lib/chromium/chromium-headless-shell"
ENDPOINT_FILE = "devtools_endpoint.txt"
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run",
         "--remote-debugging-port=0", "--remote-debugging-address=127.0.0.1"]


def pid_file(state_dir):
    return os.path.join(state_dir, "browser.pid")


def read_pid(state_dir):
    try:
        with open(pid_file(state_dir)) as f:
            return int(f.read().split()[0])
    except (OSError, ValueError, IndexError):
        return None


def alive(pid):
    try:
        os.kill(pid, 0)
        return True
    except ProcessLookupError:
        return False


def stop(args):
    pid = read_pid(args.state_dir)
    if pid:
        for sig, wait in ((signal.SIGTERM, 50), (signal.SIGKILL, 50)):
            try:
                os.killpg(pid, sig)
            except ProcessLookupError:
                break
            for _ in range(wait):
                if not alive(pid):
                    break
                time.sleep(0.1)
            if not alive(pid):
                break
        try:
            os.waitpid(pid, os.WNOHANG)
        except ChildProcessError:
            pass
    runtime = None
    try:
        with open(os.path.join(args.state_dir, "runtime-dir")) as f:
            runtime = f.read().strip()
    except OSError:
        pass
    for path in [pid_file(args.state_dir)] + ([os.path.join(runtime, ENDPOINT_FILE)] if runtime else []):
        try:
            os.remove(path)
        except FileNotFoundError:
            pass


def start(args):
    stop(args)
    os.makedirs(args.state_dir, exist_ok=True)
    os.makedirs(args.runtime_dir, exist_ok=True)
    profile = os.path.join(args.state_dir, "profile")
    shutil.rmtree(profile, ignore_errors=True)
    os.makedirs(profile)
    log = open(os.path.join(args.state_dir, "browser.log"), "ab")
    # A session of its own: no inherited pipes for CTest to wait on, and one
    # process group to stop with its helpers.
    process = subprocess.Popen([BROWSER] + FLAGS + ["--user-data-dir=" + profile, "about:blank"],
                               stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True,
                               close_fds=True)
    with open(pid_file(args.state_dir), "w") as f:
        f.write("%d\n" % process.pid)
    with open(os.path.join(args.state_dir, "runtime-dir"), "w") as f:
        f.write(args.runtime_dir)
    port_file = os.path.join(profile, "DevToolsActivePort")
    port = None
    for _ in range(300):
        if process.poll() is not None:
            sys.exit("browser exited with %s (see %s)" % (process.returncode, log.name))
        try:
            with open(port_file) as f:
                port = int(f.readline())
            break
        except (OSError, ValueError):
            time.sleep(0.05)
    if not port:
        stop(args)
        sys.exit("browser did not open its DevTools port")
    with urllib.request.urlopen("http://127.0.0.1:%d/json/version" % port, timeout=10) as answer:
        version = json.load(answer)["Browser"].split("/")[-1]
    for old in glob.glob(os.path.join(args.runtime_dir, "*.manifest")):
        os.remove(old)
    open(os.path.join(args.runtime_dir, version + ".manifest"), "w").close()
    endpoint = os.path.join(args.runtime_dir, ENDPOINT_FILE)
    with open(endpoint + ".tmp", "w") as f:
        f.write("127.0.0.1:%d\n" % port)
    os.replace(endpoint + ".tmp", endpoint)
    print("browser %s on 127.0.0.1:%d (pid %d)" % (version, port, process.pid))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=["start", "stop"])
    parser.add_argument("--runtime-dir")
    parser.add_argument("--state-dir", required=True)
    args = parser.parse_args()
    if args.action == "start" and not args.runtime_dir:
        parser.error("start needs --runtime-dir")
    {"start": start, "stop": stop}[args.action](args)


if __name__ == "__main__":
    main()
