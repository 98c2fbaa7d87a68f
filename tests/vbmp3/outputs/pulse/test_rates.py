"""Tracks at different sample rates one after another, through the engine's C functions, against
a real PulseAudio and a real PipeWire: the server's stream takes each file's own rate, and each
track sounds at its own pitch, from soon after it was opened by the capture's own clock."""
import os
import re
import shutil
import sys
import tempfile
import time
import types
import unittest

import numpy as np

from harness import audio
from harness.desktop import Recording
from harness.sound_server import PipeWireServer, PulseServer
from test_faults import pipewire_missing
from test_pulse_output import Engine, write_stereo_wav

# (rate, tone): a track played at any other rate than its own would sound 9 % or more off.
TRACKS = [(44100, 1000.0), (48000, 1500.0), (22050, 700.0), (44100, 1000.0)]
SOUNDS_WITHIN = 0.5  # seconds from the open until the new track is heard


def write_tone(path, rate, hz, seconds=6):
    t = np.arange(int(rate * seconds)) / rate
    return write_stereo_wav(path, rate, 0.5 * np.sin(2 * np.pi * hz * t))


class Rates:
    SERVER = None

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="tonalisk_rates_")
        self.server = self.SERVER(self.tmp)
        self.saved_env = dict(os.environ)
        self.procs = []
        self.recording = None
        self.engine = None

    def tearDown(self):
        if self.engine:
            self.engine.c.vbmp3_free()
        for p in self.procs:
            p.terminate()
            p.wait()
        if self.recording:
            self.recording.file.close()
        self.server.stop()
        os.environ.clear()
        os.environ.update(self.saved_env)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def stream_formats(self):
        """The sample specification of each of this process's streams on the server."""
        blocks = self.server.pactl("list", "sink-inputs").split("Sink Input #")
        ours = [b for b in blocks if f'application.process.id = "{os.getpid()}"' in b]
        return [re.search(r"Sample Specification: (.*)", b).group(1) for b in ours]

    def heard(self, start, end):
        """(rms, peak frequency) of each window between start and end of the capture."""
        return [(rms, hz) for _, rms, hz in audio.windows(self.recording.samples(), start, end)]

    def test_each_track_plays_at_its_own_rate_and_pitch(self):
        if pipewire_missing() and self.SERVER is PipeWireServer:
            self.skipTest(pipewire_missing())
        self.server.start()
        os.environ.update(self.server.env)
        os.environ.pop("SDL_AUDIODRIVER", None)
        client = types.SimpleNamespace(env=dict(os.environ), procs=self.procs)
        self.recording = Recording(client, os.path.join(self.tmp, "capture.raw"))
        self.engine = Engine()
        self.engine.c.vbmp3_init()
        self.engine.c.vbmp3_setVolume(100, 100)
        for i, (rate, hz) in enumerate(TRACKS):
            with self.subTest(track=i, rate=rate):
                path = write_tone(os.path.join(self.tmp, f"{i}_{rate}.wav"), rate, hz)
                opened = self.recording.now()
                self.engine.play(path)  # the player opens the next track while one plays
                time.sleep(1.0)
                self.assertEqual(self.stream_formats(), [f"float32le 2ch {rate}Hz"])
                heard = self.heard(opened + SOUNDS_WITHIN, opened + 0.95)
                self.assertGreater(len(heard), 5)
                for rms, peak in heard:
                    self.assertGreater(rms, audio.SILENT_RMS, "a gap")
                    self.assertAlmostEqual(peak, hz, delta=hz * 0.02)
                state, seconds = self.engine.state()
                self.assertEqual(state, 1)
                self.assertIn(seconds, (0, 1))


PulseAudioRates = type("PulseAudioRates", (Rates, unittest.TestCase), {"SERVER": PulseServer})
PipeWireRates = type("PipeWireRates", (Rates, unittest.TestCase), {"SERVER": PipeWireServer})

if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
