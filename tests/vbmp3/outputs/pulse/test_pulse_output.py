"""The engine's sound-server output, through the engine's C functions, against a real PulseAudio
that each test starts (a null sink whose monitor parec records): what is heard and when, and what
becomes of playback when the server dies, is missing or hangs."""
import ctypes
import os
import shutil
import sys
import tempfile
import time
import types
import unittest
import wave

import numpy as np

from harness import audio
from harness.desktop import Recording
from harness.sound_server import RATE, PulseServer

BIN = os.environ["TONALISK_BIN"]
BASE_HZ, STEP_HZ = 400.0, 100.0  # second s of a stepped track sounds at BASE_HZ + s * STEP_HZ


def write_wav(path, seconds_of_tone):
    """A 48 kHz stereo WAV: one second per entry, a tone of that second's pitch or silence
    (None)."""
    t = np.arange(RATE) / RATE
    parts = [np.zeros(RATE) if on is None else 0.5 * np.sin(2 * np.pi * (BASE_HZ + on * STEP_HZ) * t)
             for on in seconds_of_tone]
    return write_stereo_wav(path, RATE, np.concatenate(parts))


def write_stereo_wav(path, rate, mono):
    """16-bit stereo WAV of the mono signal (-1..1) in both channels."""
    pcm = (mono * 32767).astype("<i2")
    with wave.open(path, "wb") as f:
        f.setnchannels(2)
        f.setsampwidth(2)
        f.setframerate(rate)
        f.writeframes(np.repeat(pcm, 2).tobytes())
    return path


def second_of(hz):
    return int(round((hz - BASE_HZ) / STEP_HZ))


class Engine:
    """The engine's C functions, loaded once per process."""
    lib = None

    def __init__(self):
        if Engine.lib is None:
            Engine.lib = ctypes.CDLL(os.path.join(BIN, "libvbmp3.so"))
        self.c = Engine.lib

    def play(self, path):
        info = ctypes.create_string_buffer(272)
        assert self.c.vbmp3_open(path.encode(), info), path
        self.c.vbmp3_play()

    def state(self):
        seconds = ctypes.c_int32(-1)
        state = self.c.vbmp3_getState(ctypes.byref(seconds))
        return state, seconds.value

    def wave_is_silent(self):
        left, right = (ctypes.c_int32 * 256)(), (ctypes.c_int32 * 256)()
        self.c.vbmp3_getWave(left, right)
        return max(abs(v) for v in left) == 0


class PulseOutputTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="tonalisk_pulse_")
        self.server = PulseServer(self.tmp)
        self.saved_env = dict(os.environ)
        os.environ.update(self.server.env)
        os.environ.pop("SDL_AUDIODRIVER", None)
        self.procs = []
        self.recordings = []
        self.engine = Engine()

    def tearDown(self):
        self.engine.c.vbmp3_free()
        for p in self.procs:
            p.terminate()
            p.wait()
        for r in self.recordings:
            r.file.close()
        self.server.stop()
        os.environ.clear()
        os.environ.update(self.saved_env)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def record(self, name="capture.raw"):
        client = types.SimpleNamespace(env=dict(os.environ), procs=self.procs)
        self.recordings.append(Recording(client, os.path.join(self.tmp, name)))
        return self.recordings[-1]

    def track(self, name, seconds_of_tone):
        return write_wav(os.path.join(self.tmp, name), seconds_of_tone)

    def level(self, rec, start, end):
        return float(np.mean([rms for _, rms, _ in audio.windows(rec.samples(), start, end)]))

    def heard_second(self, rec, start, end):
        seconds = [second_of(hz) for _, rms, hz in audio.windows(rec.samples(), start, end)
                   if rms > audio.SILENT_RMS]
        return max(set(seconds), key=seconds.count) if seconds else None

    def play_on_a_server(self, seconds):
        """Starts the server and plays a steady tone of `seconds` for half a second."""
        self.server.start()
        self.engine.c.vbmp3_init()
        self.engine.play(self.track("long.wav", [0] * seconds))
        time.sleep(0.5)

    def assert_sound_once_the_server_is_up(self):
        self.server.start()
        rec = self.record()
        took = self.sound_within(rec, 0, 2.0)
        self.assertIsNotNone(took, "no sound after the server came")
        self.assertLess(took, 2.0)

    def act(self, rec, call, wait=0.5):
        """Calls `call`, then waits; returns the recording time of the call."""
        call()
        at = rec.now()
        time.sleep(wait)
        return at

    def sound_within(self, rec, start, limit):
        """Seconds from start to the first sound the sink played, waiting up to limit."""
        deadline = time.monotonic() + limit + 0.3
        while time.monotonic() < deadline:
            time.sleep(0.1)
            first = audio.first_sound(rec.samples(), start)
            if first is not None:
                return first - start
        return None

    def test_plays_seeks_pauses_and_stops_where_heard(self):
        self.server.start()
        self.engine.c.vbmp3_init()
        rec = self.record()
        path = self.track("steps.wav", list(range(10)))
        time.sleep(0.3)
        self.assertLess(self.level(rec, 0, rec.now()), audio.SILENT_RMS, "sound before play")
        opened = rec.now()
        self.engine.play(path)
        time.sleep(0.8)
        self.assertLess(audio.first_sound(rec.samples(), opened) - opened, 0.15)
        self.assertEqual(self.heard_second(rec, opened + 0.1, opened + 0.7), 0)

        at = self.act(rec, lambda: self.engine.c.vbmp3_seek(6))
        self.assertEqual(self.heard_second(rec, at + 0.1, at + 0.45), 6)
        at = self.act(rec, self.engine.c.vbmp3_pause, 0.6)
        self.assertLess(self.level(rec, at + 0.1, at + 0.5), audio.SILENT_RMS)
        self.assertEqual(self.engine.state()[0], 2)
        at = self.act(rec, self.engine.c.vbmp3_restart)
        self.assertEqual(self.heard_second(rec, at + 0.1, at + 0.45), 6)
        at = self.act(rec, self.engine.c.vbmp3_stop)
        self.assertLess(self.level(rec, at + 0.1, at + 0.45), audio.SILENT_RMS)
        at = self.act(rec, self.engine.c.vbmp3_play)  # after a stop: from the start, at once
        self.assertEqual(self.heard_second(rec, at + 0.1, at + 0.45), 0)

    def test_pause_loses_nothing_and_the_end_is_heard_whole(self):
        self.server.start()
        self.engine.c.vbmp3_init()
        rec = self.record()
        path = self.track("short.wav", [0, 1, 2])
        start = rec.now()
        self.engine.play(path)
        time.sleep(1.2)
        self.engine.c.vbmp3_pause()
        time.sleep(0.7)
        self.engine.c.vbmp3_restart()
        deadline = time.monotonic() + 5
        while self.engine.state()[0] == 1 and time.monotonic() < deadline:
            time.sleep(0.02)
        ended = rec.now()
        state, seconds = self.engine.state()
        self.assertEqual((state, seconds), (0, 3), "the end is held at the last second")
        time.sleep(0.3)
        windows = audio.windows(rec.samples(), start, rec.now())
        sounding = sum(audio.WINDOW for _, rms, _ in windows if rms > audio.SILENT_RMS)
        self.assertAlmostEqual(sounding, 3.0, delta=0.12, msg="frames lost or repeated")
        last = max(t for t, rms, _ in windows if rms > audio.SILENT_RMS) + audio.WINDOW
        # The state reads stopped only once the last frame has been heard, and not much later.
        self.assertLess(abs(ended - last), 0.25)

    def test_volume_is_heard_at_once(self):
        self.server.start()
        self.engine.c.vbmp3_init()
        rec = self.record()
        self.engine.c.vbmp3_setVolume(100, 100)
        self.engine.play(self.track("long.wav", [0] * 6))
        time.sleep(0.6)
        loud = self.level(rec, rec.now() - 0.3, rec.now())
        self.engine.c.vbmp3_setVolume(0, 0)
        muted = rec.now()
        time.sleep(0.4)
        self.assertLess(self.level(rec, muted + 0.1, muted + 0.35), audio.SILENT_RMS)
        self.engine.c.vbmp3_setVolume(50, 50)
        half = rec.now()
        time.sleep(0.4)
        level = self.level(rec, half + 0.1, half + 0.35)
        self.assertGreater(level, audio.SILENT_RMS)
        self.assertLess(level, loud)

    def test_time_and_wave_follow_what_is_heard(self):
        self.server.start()
        self.engine.c.vbmp3_init()
        rec = self.record()
        self.engine.play(self.track("onset.wav", [None, 0, 0, None]))
        polls = []
        while self.engine.state()[0] == 1 or not polls:
            state, seconds = self.engine.state()
            polls.append((rec.now(), seconds, self.engine.wave_is_silent()))
            time.sleep(0.01)
        onset = audio.first_sound(rec.samples(), 0)
        wave_on = min(t for t, _, silent in polls if not silent)
        second_one = min(t for t, seconds, _ in polls if seconds >= 1)
        print(f"onset heard {onset:.3f} s, wave {wave_on - onset:+.3f} s, "
              f"time at 1 s {second_one - onset:+.3f} s", flush=True)
        self.assertLess(abs(wave_on - onset), 0.1)
        self.assertLess(abs(second_one - onset), 0.1)

    def test_sound_returns_after_the_server_restarts(self):
        self.play_on_a_server(12)
        self.server.kill()
        time.sleep(0.5)
        _, before = self.engine.state()
        time.sleep(1.0)
        state, after = self.engine.state()
        self.assertEqual(state, 1)
        self.assertGreater(after, before, "the time stands still without a server")
        self.assert_sound_once_the_server_is_up()

    def test_a_server_that_appears_later_is_used(self):
        self.engine.c.vbmp3_init()
        self.engine.play(self.track("long.wav", [0] * 12))
        time.sleep(1.2)
        state, seconds = self.engine.state()
        self.assertEqual((state, seconds), (1, 1), "plays on its own clock meanwhile")
        self.assert_sound_once_the_server_is_up()

    def test_free_returns_while_the_server_hangs(self):
        self.play_on_a_server(6)
        self.server.freeze()
        time.sleep(0.3)
        for call in (lambda: self.engine.c.vbmp3_seek(1), self.engine.c.vbmp3_pause):
            began = time.monotonic()
            call()
            self.assertLess(time.monotonic() - began, 0.1)
        began = time.monotonic()
        self.engine.c.vbmp3_free()
        took = time.monotonic() - began
        print(f"vbmp3_free with the server frozen: {took:.3f} s", flush=True)
        self.assertLess(took, 1.0)
        self.server.thaw()


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
