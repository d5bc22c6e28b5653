"""A private PulseAudio server with one null sink, for the voice tests.

    sound_server.py start --state DIR --sink NAME   starts it, returns once it answers
    sound_server.py stop --state DIR                stops it by its PID

Its socket is DIR/runtime/pulse/native (clients set PULSE_SERVER=unix:<that>);
its home and runtime folders are DIR's own, and anonymous clients are
accepted, so that Wine's pulse driver in a test's own home connects. The
sink's monitor is the default source: what a test plays into the sink is
what a program records.
"""
import argparse
import os
import signal
import subprocess
import sys
import time


def paths(state):
    return {
        "home": os.path.join(state, "home"),
        "runtime": os.path.join(state, "runtime"),
        "socket": os.path.join(state, "runtime", "pulse", "native"),
        "pid": os.path.join(state, "pulseaudio.pid"),
        "log": os.path.join(state, "pulseaudio.log"),
    }


def client_env(state):
    env = dict(os.environ)
    env["PULSE_SERVER"] = "unix:" + paths(state)["socket"]
    return env


def start(state, sink):
    p = paths(state)
    stop(state)
    for folder in (p["home"], p["runtime"], os.path.dirname(p["socket"])):
        os.makedirs(folder, mode=0o700, exist_ok=True)
    # One fixed rate: a sink that switches rates when a stream of another
    # family arrives suspends itself for the switch.
    config = os.path.join(p["home"], ".config", "pulse")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "daemon.conf"), "w") as conf:
        conf.write("default-sample-rate = 48000\nalternate-sample-rate = 48000\n")
    env = dict(os.environ, HOME=p["home"], XDG_RUNTIME_DIR=p["runtime"], XDG_CONFIG_HOME=os.path.join(p["home"], ".config"))
    env.pop("PULSE_SERVER", None)
    with open(p["log"], "wb") as log:
        server = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + p["socket"],
             # Without rewinds: Wine's short output streams (30 ms) that the
             # sink rewinds at their start are then never played.
             "--load=module-null-sink norewinds=1 sink_name=" + sink,
             "--load=module-always-sink"],
            env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    with open(p["pid"], "w") as pid_file:
        pid_file.write(str(server.pid))
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        if server.poll() is not None:
            sys.exit("pulseaudio ended at start:\n" + open(p["log"]).read())
        if os.path.exists(p["socket"]):
            done = subprocess.run(["pactl", "set-default-source", sink + ".monitor"], env=client_env(state),
                                  capture_output=True)
            if done.returncode == 0:
                subprocess.run(["pactl", "set-default-sink", sink], env=client_env(state), capture_output=True)
                return
        time.sleep(0.1)
    sys.exit("pulseaudio did not answer:\n" + open(p["log"]).read())


def stop(state):
    p = paths(state)
    try:
        with open(p["pid"]) as pid_file:
            pid = int(pid_file.read().strip())
    except (OSError, ValueError):
        return
    try:
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            os.kill(pid, 0)
            time.sleep(0.05)
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    os.remove(p["pid"])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=("start", "stop"))
    parser.add_argument("--state", required=True)
    parser.add_argument("--sink", default="vemo_test_sink")
    args = parser.parse_args()
    if args.action == "start":
        start(args.state, args.sink)
    else:
        stop(args.state)


if __name__ == "__main__":
    main()
