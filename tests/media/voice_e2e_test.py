"""Voice records through real sound: a private PulseAudio server's null sink
(started by the sound_server fixture) gives Wine's pulse driver its wave
devices. A tone played natively into the sink is recorded by voice_probe.exe
through the _vemosdk media functions; Debian's ffmpeg decodes the records;
what the probe plays is measured natively at the sink's monitor."""
import json
import math
import os
import re
import shutil
import signal
import struct
import threading
import subprocess
import time
import unittest
import wave

from vemo_e2e import WORK_DIR, main, tool_path, windows_path

SINK = os.environ.get("VEMO_SOUND_SINK", "vemo_test_sink")
FOLDER = os.path.join(WORK_DIR, "e2e", "voice")


def write_tone(path, hz=1000, rate=48000, seconds=6, amplitude=8000):
    frames = b"".join(struct.pack("<h", int(amplitude * math.sin(2 * math.pi * hz * i / rate)))
                      for i in range(rate * seconds))
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(frames)


def samples_of(raw):
    return struct.unpack("<%dh" % (len(raw) // 2), raw[:len(raw) // 2 * 2])


def strongest_frequency(samples, rate):
    """The frequency among 100 Hz steps with the most energy (Goertzel)."""
    best, best_power = 0, -1.0
    for hz in range(100, rate // 2, 100):
        coefficient = 2 * math.cos(2 * math.pi * hz / rate)
        s1 = s2 = 0.0
        for x in samples:
            s1, s2 = x + coefficient * s1 - s2, s1
        power = s1 * s1 + s2 * s2 - coefficient * s1 * s2
        if power > best_power:
            best, best_power = hz, power
    return best


def rms(samples):
    return math.sqrt(sum(x * x for x in samples) / max(1, len(samples)))


def run_probe(*args, timeout=90):
    """The probe's answers by id, its events, and its whole output."""
    result = subprocess.run(["wine", os.path.join(FOLDER, "voice_probe.exe")] + [str(a) for a in args],
                            cwd=FOLDER, stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
    output = result.stdout.decode("utf-8", errors="replace")
    answers = {int(m.group(1)): (json.loads(m.group(2)), int(m.group(3)))
               for m in re.finditer(r"^answer (\d+) (\{.*\}) buffer=(\d+)\r?$", output, re.M)}
    events = re.findall(r"^event (\S+) (\d+)\r?$", output, re.M)
    return result.returncode, answers, events, output


class VoiceEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(FOLDER, ignore_errors=True)
        os.makedirs(FOLDER)
        shutil.copy2(tool_path("voice_probe.exe"), FOLDER)
        cls.tone = os.path.join(FOLDER, "tone_1khz.wav")
        write_tone(cls.tone)

    def record_tone(self, rate, name):
        player = subprocess.Popen(["paplay", "--device=" + SINK, self.tone], stdin=subprocess.DEVNULL)
        try:
            time.sleep(0.5)
            code, answers, _, output = run_probe("record", rate, name, 1)
        finally:
            player.kill()
            player.wait()
        self.assertEqual(0, code, output)
        self.assertEqual({"succ": True, "message": "", "code": 0}, answers[1][0], output)
        self.assertEqual({"succ": False, "message": "media is recording", "code": 7025015}, answers[6][0], output)
        self.assertFalse(os.path.exists(os.path.join(FOLDER, "records", "other.amr")))
        return answers[2], os.path.join(FOLDER, "records", name + ".amr"), output

    def decode_natively(self, path, rate):
        raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-ar", str(rate), "-"],
                             stdin=subprocess.DEVNULL, capture_output=True, check=True).stdout
        return samples_of(raw)

    def test_one_second_of_tone_is_recorded_as_fifty_frames_that_ffmpeg_decodes_to_the_tone(self):
        for rate, magic, size in ((8000, b"#!AMR\n", 1606), (16000, b"#!AMR-WB\n", 3059)):
            with self.subTest(rate=rate):
                name = "tone_%d" % rate
                (answer, buffer_bytes), path, output = self.record_tone(rate, name)
                self.assertEqual({"succ": True, "was_recording": True, "sampling_rate": rate,
                                  "filename": name + ".amr", "format": "amr", "filesize": size}, answer, output)
                self.assertEqual(size, buffer_bytes)
                with open(path, "rb") as record:
                    data = record.read()
                self.assertEqual(size, len(data))
                self.assertTrue(data.startswith(magic), data[:10])
                samples = self.decode_natively(path, rate)
                self.assertEqual(rate, len(samples))  # 50 frames of 20 ms
                self.assertEqual(1000, strongest_frequency(samples[rate // 2:], rate))
                self.assertGreater(rms(samples[rate // 2:]), 1000)

    def play_and_listen(self, path):
        """Plays a record while parec listens at the sink's monitor; the
        probe's answers and events, and what the monitor heard from before
        the probe started until just after it ended (a Wine start-up under
        load can take seconds, so no fixed length of listening)."""
        listener = subprocess.Popen(["parec", "--device=" + SINK + ".monitor", "--format=s16le", "--rate=8000",
                                     "--channels=1", "--raw"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
        heard = bytearray()

        def listen():
            while True:
                chunk = listener.stdout.read(320)
                if not chunk:
                    break
                heard.extend(chunk)
        thread = threading.Thread(target=listen)
        thread.start()
        try:
            time.sleep(0.3)
            played = run_probe("play", windows_path(path))
            time.sleep(0.5)
        finally:
            listener.kill()
            listener.wait()
            thread.join(30)
            listener.stdout.close()
        return played, samples_of(bytes(heard))

    def test_playback_is_heard_at_the_monitor_and_a_second_start_is_refused(self):
        _, path, _ = self.record_tone(8000, "to_play")
        (code, answers, events, output), heard = self.play_and_listen(path)
        self.assertEqual(0, code, output)
        self.assertEqual({"succ": True, "message": "", "code": 0}, answers[3][0], output)
        self.assertEqual({"succ": False, "message": "media is playing", "code": 7025015}, answers[4][0], output)
        self.assertEqual([("MEDIA_PLAY", "3")], events, output)
        loud = [i for i, x in enumerate(heard) if abs(x) > 1000]
        self.assertTrue(loud, "the monitor heard silence")
        # About one second of tone, the length of the record.
        self.assertAlmostEqual(8000, loud[-1] - loud[0], delta=800)
        part = heard[loud[0]:loud[-1]]
        self.assertGreater(rms(part), 3000)
        self.assertEqual(1000, strongest_frequency(part, 8000))

    def test_stopping_playback_early_posts_no_event(self):
        _, path, _ = self.record_tone(16000, "to_stop")
        code, answers, events, output = run_probe("play", windows_path(path), 300)
        self.assertEqual(0, code, output)
        self.assertEqual({"succ": True, "was_playing": True, "message": "", "code": 0}, answers[5][0], output)
        self.assertEqual([], events, output)


if __name__ == "__main__":
    main()
