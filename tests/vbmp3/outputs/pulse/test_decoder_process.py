"""The engine's decoder process, through the engine's C functions in a process of their own
(engine_child.py, without a sound server: the silent clock). It runs before the first open and
stays the one; when it dies or a file turns it hostile (a preloaded shim, hostile_decoder.c, acts
inside it only), that file costs its own track only: a playing track ends as at its natural end,
one that was opening fails to open, the engine's process lives, a new decoder process takes over
and the next file plays. A kernel that refuses Landlock or seccomp (a filter in the engine's
process, which the decoder process inherits, answers ENOSYS) still plays, and the first decoder
process says so on stderr, once."""
import os
import shutil
import signal
import sys
import tempfile
import time
import types
import unittest

from test_faults import Child, end_run
from test_pulse_output import write_wav

PROGRAM = "vbmp3-decoder"
SECONDS = 6  # each track's length
PLAYS_WITHIN = 2.0  # from an open to one second played, with room for a busy machine
STARTS_WITHIN = 2.0  # from vbmp3_init to the decoder process running
# A playing track whose decoder overruns the engine's time budget for a read (10 s), with room.
ENDS_WITHIN = 16.0
# An open gives up on a file within its bound; the decoder process meets its own limit later,
# unless the next call finds it still busy with that file first and replaces it.
GIVEN_UP = "a call it still ran was given up"
# An open whose decoder sleeps fails at the bound on its stalls (50 ms), well before the cap on
# all of its time (1 s), even on a busy machine.
STALL_FAILS_WITHIN_MS = 800


def decoder_processes(pid):
    """The process ids of pid's children that run the decoder program."""
    found = []
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/children") as f:
                children = f.read().split()
        except FileNotFoundError:
            continue  # a thread that ended meanwhile
        for child in children:
            try:
                with open(f"/proc/{child}/comm") as f:
                    if f.read().strip() == PROGRAM:
                        found.append(int(child))
            except FileNotFoundError:
                continue
    return found


def demo_files():
    """The demonstration tracks built beside the player, by kind."""
    bin_dir = os.environ["TONALISK_BIN"]
    return {kind: os.path.join(bin_dir, f"Lantern Walk ({kind}") for kind in
            ("MIDI).mid", "MP3).mp3", "WMA).wma")}


def wait_for(condition, within):
    began = time.monotonic()
    while not condition():
        if time.monotonic() - began > within:
            return False
        time.sleep(0.05)
    return True


class DecoderProcess(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="tonalisk_decoder_")
        self.env = dict(os.environ, PULSE_SERVER="unix:" + os.path.join(self.tmp, "no-server"))
        self.env.pop("SDL_AUDIODRIVER", None)
        self.child = None
        self.tracks = [write_wav(os.path.join(self.tmp, f"track{n}.wav"), [n] * SECONDS)
                       for n in range(3)]

    def tearDown(self):
        end_run([self.child] if self.child else [], [], [])
        shutil.rmtree(self.tmp, ignore_errors=True)

    def decoders(self):
        return decoder_processes(self.child.proc.pid)

    def assert_plays(self, path, what):
        self.assertEqual(self.child.ask(f"play {path}"), [1, 1], f"{what}: it opens")
        played = wait_for(lambda: self.child.ask("state")[1] >= 1, PLAYS_WITHIN)
        self.assertTrue(played, f"{what}: the time stands still at {self.child.ask('state')}")
        self.assertEqual(self.child.ask("state")[0], 1, what)

    def end_child(self):
        self.assertEqual(self.child.ask("free"), [1])
        stderr = self.child.proc.stderr
        self.assertEqual(self.child.proc.poll(), None, "the engine's process lives")
        self.child.proc.stdin.close()
        self.assertEqual(self.child.proc.wait(10), 0, "the engine's process ends well")
        said = stderr.read()
        self.child.proc.stdout.close()
        stderr.close()
        self.child = None
        return said

    def test_one_process_runs_ahead_of_the_first_open_and_serves_every_file(self):
        self.child = Child(self.env)
        self.assertEqual(self.child.ask("init"), [1])
        self.assertTrue(wait_for(lambda: len(self.decoders()) == 1, STARTS_WITHIN),
                        "no decoder process before the first open")
        first = self.decoders()
        for n, track in enumerate(self.tracks):
            self.assert_plays(track, f"track {n}")
        self.assertEqual(self.decoders(), first, "one decoder process serves every file")
        self.end_child()
        self.assertFalse(os.path.exists(f"/proc/{first[0]}/comm") and
                         open(f"/proc/{first[0]}/comm").read().strip() == PROGRAM,
                         "the decoder process outlives vbmp3_free")

    def test_a_dead_decoder_process_costs_its_track_only(self):
        rows = {
            "killed while a track plays": types.SimpleNamespace(
                signal=signal.SIGKILL, playing=True, said=None),
            "crashed while a track plays": types.SimpleNamespace(
                signal=signal.SIGSEGV, playing=True, said="signal 11"),
            "killed between tracks": types.SimpleNamespace(
                signal=signal.SIGKILL, playing=False, said=None),
        }
        for name, row in rows.items():
            with self.subTest(name):
                self.child = Child(self.env)
                self.assert_plays(self.tracks[0], "the first track")
                if not row.playing:
                    self.assertEqual(self.child.ask("close"), [1])
                first = self.decoders()
                self.assertEqual(len(first), 1)
                os.kill(first[0], row.signal)
                if row.playing:
                    ended = wait_for(lambda: self.child.ask("state")[0] == 0, PLAYS_WITHIN)
                    self.assertTrue(ended, "the track goes on without its decoder")
                    self.assertEqual(self.child.ask("state"), [0, SECONDS],
                                     "it ends as at its natural end")
                self.assert_plays(self.tracks[1], "the next track")
                self.assertTrue(wait_for(lambda: len(self.decoders()) == 1, STARTS_WITHIN))
                self.assertNotEqual(self.decoders(), first, "a new decoder process serves it")
                said = self.end_child()
                if row.said:
                    self.assertIn(row.said, said)

    def test_a_hostile_file_costs_its_own_track_only(self):
        hostile = write_wav(os.path.join(self.tmp, "hostile.wav"), [2] * SECONDS)
        mid_track = str(SECONDS // 2 * 48000 * 4)  # a byte of the samples, halfway through
        rows = {
            "a decoder that crashes": types.SimpleNamespace(
                act="crash", start="0", opens=False, said=["signal 11"]),
            "a decoder that loops for ever": types.SimpleNamespace(
                act="loop", start="0", opens=False, said=[("overran its time", GIVEN_UP)]),
            "a decoder that allocates without end": types.SimpleNamespace(
                act="hog", start="0", opens=False, said=[("signal 6", GIVEN_UP)]),
            "a decoder that opens /etc/passwd": types.SimpleNamespace(
                act="passwd", start="0", opens=False, said=["exited with status 65"]),
            "a decoder that opens a network socket": types.SimpleNamespace(
                act="socket", start="0", opens=False,
                said=["signal 31", "refused system call 041"]),
            "a decoder that crashes halfway through": types.SimpleNamespace(
                act="crash", start=mid_track, opens=True, said=["signal 11"]),
            "a decoder that loops for ever halfway through": types.SimpleNamespace(
                act="loop", start=mid_track, opens=True, said=["overran its time"]),
        }
        for name, row in rows.items():
            with self.subTest(name):
                self.child = Child(dict(self.env, LD_PRELOAD=os.environ["HOSTILE_DECODER"],
                                        HOSTILE_NAME=os.sep + "hostile.wav", HOSTILE_ACT=row.act,
                                        HOSTILE_FROM=row.start))
                opened = self.child.ask(f"play {hostile}")[0]
                self.assertEqual(opened, 1 if row.opens else 0, "how far it opens")
                if row.opens:
                    ended = wait_for(lambda: self.child.ask("state")[0] == 0, ENDS_WITHIN)
                    self.assertTrue(ended, f"it plays on at {self.child.ask('state')}")
                    self.assertEqual(self.child.ask("state"), [0, SECONDS],
                                     "it ends as at its natural end")
                self.assert_plays(self.tracks[0], "the next track")
                said = self.end_child()
                for words in row.said:
                    alternatives = words if isinstance(words, tuple) else (words,)
                    self.assertTrue(any(w in said for w in alternatives), f"{words} in {said}")
                self.assertNotIn("status 66", said, "/etc/passwd was read")
                self.assertNotIn("status 67", said, "a socket was opened")

    def test_an_open_waits_for_a_decoder_that_runs_and_not_for_one_that_sleeps(self):
        hostile = write_wav(os.path.join(self.tmp, "hostile.wav"), [2] * SECONDS)
        demo = demo_files()
        # The engine's bound on an open counts only the time the decoder process's serving thread
        # is stalled, and a second at most in all.
        rows = {
            "a decoder that runs for five bounds first": types.SimpleNamespace(
                act="work", path=hostile, fresh=False, opens=True),
            "a decoder that sleeps for ever": types.SimpleNamespace(
                act="loop", path=hostile, fresh=False, opens=False),
            "the first MIDI file of a fresh engine": types.SimpleNamespace(
                act="", path=demo["MIDI).mid"], fresh=True, opens=True),
            "the first WMA file of a fresh engine": types.SimpleNamespace(
                act="", path=demo["WMA).wma"], fresh=True, opens=True),
        }
        for name, row in rows.items():
            with self.subTest(name):
                self.child = Child(dict(self.env, LD_PRELOAD=os.environ["HOSTILE_DECODER"],
                                        HOSTILE_NAME=os.sep + "hostile.wav", HOSTILE_ACT=row.act,
                                        HOSTILE_WORK_MS="250"))
                if not row.fresh:
                    self.assertEqual(self.child.ask("init"), [1])
                    self.assertTrue(wait_for(lambda: len(self.decoders()) == 1, STARTS_WITHIN))
                opened, took_ms = self.child.ask(f"open {row.path}")
                self.assertEqual(opened != 0, row.opens, f"opened in {took_ms} ms")
                if not row.opens:
                    self.assertLess(took_ms, STALL_FAILS_WITHIN_MS, "it failed at the cap")
                self.assert_plays(row.path if row.opens else self.tracks[0], "then a track")
                said = self.end_child()
                if not row.opens:
                    self.assertIn(GIVEN_UP, said, "the sleeping decoder process is replaced")

    def test_a_kernel_that_refuses_the_sandbox_still_plays(self):
        demo = demo_files()
        audio_files = [self.tracks[0], demo["MP3).mp3"], demo["WMA).wma"]]
        # Without Landlock nothing opens once the process is shut in, and FluidSynth opens its
        # SoundFont again as it plays: MIDI needs Landlock.
        rows = {
            "no Landlock": (["landlock_create_ruleset"], ["Landlock:"], audio_files),
            "no seccomp filter": (["seccomp", "prctl"], ["no new privileges:", "seccomp:"],
                                  audio_files + [demo["MIDI).mid"]]),
            "neither": (["landlock_create_ruleset", "seccomp", "prctl"],
                        ["Landlock:", "seccomp:"], audio_files),
        }
        for name, (calls, reasons, files) in rows.items():
            with self.subTest(name):
                self.child = Child(self.env)
                self.assertEqual(self.child.ask("refuse " + ",".join(calls)), [0])
                for path in files:
                    self.assert_plays(path, os.path.basename(path))
                os.kill(self.decoders()[0], signal.SIGKILL)  # its successor says nothing again
                self.assert_plays(files[0], "after a new decoder process took over")
                said = self.end_child()
                for reason in reasons:
                    self.assertEqual(said.count("runs less shut in (" + reason), 1, said)

if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
