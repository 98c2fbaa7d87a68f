"""A file whose reads hang (a network share that stopped answering) costs that file only, through
the engine's C functions in a process of their own: a preloaded shim (stalled_read.c) has the
file's reads hang on the engine's threads, while it decodes or already while it opens and its tags
are read. Each call that names the file returns within a bound; a local file opened after it plays
and is heard, close and open again play it, vbmp3_free returns within a bound and the process ends;
without a sound server (the silent clock) and with PulseAudio, where the stream's name comes from
the tags read at the open."""
import os
import shutil
import sys
import tempfile
import time
import types
import unittest

from harness import audio
from harness.desktop import Recording
from harness.sound_server import PulseServer
from test_faults import Child, end_run
from test_pulse_output import write_wav

STALLED = "stalled.wav"
PLAYS_WITHIN = 1.5  # seconds from an open to one second played
# A call that names the file waits about 50 ms for it; the rest is room for a busy machine, far
# below the minute that the file's reads hang.
CALL_WITHIN_MS = 500

FUNCTIONS = {"open": "vbmp3_open", "tags": "vbmp3_getFileTagInfo"}
# Where the file's reads hang (the shim's STALLED_READ_THREAD; None: every thread of the engine),
# and what each call that names it then answers, in order: "play" (open and play) or a call that
# fails within the bound, "open" or "tags".
ROWS = {
    "its decoding": ("vbmp3-decoder", ["play"]),
    "its opening": (None, ["open", "tags"]),
    "its tag reading": (None, ["tags", "open"]),
}
# The output's own close (up to 1.5 s while a server hangs; here none does) and the wait for the
# decoders, with room for a busy machine.
FREE_WITHIN = 2.5


class StalledReads:
    SERVER = None  # None: no sound server

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="tonalisk_stalled_")
        self.server = self.SERVER(self.tmp) if self.SERVER else None
        server_env = (self.server.env if self.server else
                      {"PULSE_SERVER": "unix:" + os.path.join(self.tmp, "no-server")})
        self.env = dict(os.environ, **server_env, LD_PRELOAD=os.environ["STALLED_READ"],
                        STALLED_READ_NAME=os.sep + STALLED, STALLED_READ_SECONDS="60")
        self.env.pop("SDL_AUDIODRIVER", None)
        self.env.pop("STALLED_READ_THREAD", None)
        self.procs, self.child, self.recording = [], None, None

    def tearDown(self):
        end_run([self.child] if self.child else [], self.procs,
                [self.recording] if self.recording else [])
        if self.server:
            self.server.stop()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def assert_plays(self, what):
        began = time.monotonic()
        while time.monotonic() - began < PLAYS_WITHIN:
            time.sleep(0.1)
            if self.child.ask("state")[1] >= 1:
                break
        self.assertEqual(self.child.ask("state")[0], 1, what)
        self.assertGreaterEqual(self.child.ask("state")[1], 1, f"{what}: the time stands still")
        if self.recording:
            now = self.recording.now()
            heard = audio.first_sound(self.recording.samples(), now - 0.5)
            self.assertIsNotNone(heard, f"{what}: nothing heard")

    def test_a_hanging_file_costs_that_file_only(self):
        if self.server:
            self.server.start()
        stalled = write_wav(os.path.join(self.tmp, STALLED), [0] * 6)
        local = write_wav(os.path.join(self.tmp, "local.wav"), [1] * 6)
        if self.server:
            self.recording = Recording(types.SimpleNamespace(env=self.env, procs=self.procs),
                                       os.path.join(self.tmp, "heard.raw"))
        for where, (thread, calls) in ROWS.items():
            with self.subTest(hanging=where):
                self.run_row(dict(self.env, **({"STALLED_READ_THREAD": thread} if thread else {})),
                             stalled, local, calls)

    def run_row(self, env, stalled, local, calls):
        self.child = Child(env)
        try:
            for call in calls:
                if call == "play":
                    self.assertEqual(self.child.ask(f"play {stalled}"), [1, 1], "it opens")
                    time.sleep(0.5)
                    self.assertEqual(self.child.ask("state"), [1, 0], "it plays nothing")
                    continue
                result, took = self.child.ask(f"{call} {stalled}")
                print(f"{FUNCTIONS[call]} of the hanging file: {took} ms", flush=True)
                self.assertEqual(result, 0, f"{call}: as a file that cannot be read")
                self.assertLess(took, CALL_WITHIN_MS, f"{call} waited on the file")

            self.assertEqual(self.child.ask(f"play {local}"), [1, 1])
            self.assert_plays("the next file")
            self.assertEqual(self.child.ask("close"), [1])
            self.assertEqual(self.child.ask(f"play {local}"), [1, 1])
            self.assert_plays("the same file after close and open")

            began = time.monotonic()
            self.assertEqual(self.child.ask("free"), [1])
            took = time.monotonic() - began
            print(f"vbmp3_free with a file hanging: {took:.3f} s", flush=True)
            self.assertLess(took, FREE_WITHIN)
            self.assertEqual(self.child.end(), 0, "the process did not end well")
        finally:
            end_run([self.child], [], [])
            self.child = None


class WithoutSoundServer(StalledReads, unittest.TestCase):
    SERVER = None


class WithPulseAudio(StalledReads, unittest.TestCase):
    SERVER = PulseServer


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
