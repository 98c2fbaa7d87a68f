"""Short tracks (jingles, samples, sound effects) started one right after another through the
engine's C functions, on a real PulseAudio and a real PipeWire: every start is heard whole, and the
state reads stopped only once it has been. The engine runs in a process of its own
(engine_child.py); the next start follows each end at once, so an end taken too early cuts the
tail of what was playing. Starts alternate between two pitches, so the recording tells each start
from the next, whatever the gaps between them."""
import os
import shutil
import sys
import tempfile
import time
import types
import unittest

import numpy as np

from harness import audio
from harness.desktop import Recording
from harness.sound_server import RATE, PipeWireServer, PulseServer
from test_faults import Child, end_run, pipewire_missing
from test_pulse_output import write_stereo_wav

LENGTHS = (0.05, 0.2, 0.5, 0.8)  # seconds
STARTS = 50  # of each length
# Whole periods of both tones fit a block, so each block's power tells them apart cleanly.
TONES = (800.0, 2000.0)
BLOCK = 240  # samples: 5 ms
# A block holding only the first or last few samples of a tone is loud but nearly flat in spectrum:
# a tone is told only where its power is this many times the other's, else the block is an edge.
DOMINANT = 2.0
# From its first sound to its last, a start may lose no more than the block that its edges
# straddle, nor gain more than a few (see heard_per_start); the server's missed cycles may take
# a few blocks and a tenth of it.
SHORT_BY, LONG_BY = 1.5 * BLOCK / RATE, 4 * BLOCK / RATE
MISSED_BLOCKS, MISSED_SHARE = 4 * BLOCK / RATE, 0.1


def whole(length, pieces, edge_missed=0.0):
    """Whether the runs heard of a start of `length` seconds, (seconds, where) each, are all of it:
    a tail cut short or a start not heard shortens its span; sound heard twice lengthens its sum.
    The span may be short by `edge_missed` besides, where the server's missed cycles can fall on
    a start's edge."""
    if not pieces:
        return False
    heard = sum(seconds for seconds, _ in pieces)
    span = pieces[-1][1] + pieces[-1][0] - pieces[0][1]
    return (span >= length - SHORT_BY - edge_missed and heard <= length + LONG_BY
            and heard >= (1 - MISSED_SHARE) * length - MISSED_BLOCKS - SHORT_BY)
ENDS_WITHIN = 3.0  # seconds past a track's length for the state to read stopped


def write_tone(path, seconds, hz):
    t = np.arange(int(round(seconds * RATE))) / RATE
    return write_stereo_wav(path, RATE, 0.5 * np.sin(2 * np.pi * hz * t))


def block_tones(samples):
    """For each block of the recording: the index into TONES of the tone that sounds, or -1 where
    it is silent or only the edge of a tone."""
    mono = samples.mean(axis=1)
    blocks = mono[: len(mono) // BLOCK * BLOCK].reshape(-1, BLOCK)
    t = np.arange(BLOCK) / RATE
    power = np.stack([np.abs(blocks @ np.exp(-2j * np.pi * hz * t)) for hz in TONES])
    loud = np.sqrt(np.mean(blocks ** 2, axis=1)) > audio.SILENT_RMS
    ranked = np.sort(power, axis=0)
    clear = ranked[-1] >= DOMINANT * ranked[-2]
    return np.where(loud & clear, np.argmax(power, axis=0), -1)


def heard_runs(samples):
    """(tone, seconds, where) of each unbroken run of one tone in the recording, in order."""
    runs = []
    for i, tone in enumerate(block_tones(samples)):
        if tone < 0:
            continue
        if runs and runs[-1][0] == tone and runs[-1][1] + runs[-1][2] == i:
            runs[-1][2] += 1
        else:
            runs.append([int(tone), i, 1])
    return [(tone, count * BLOCK / RATE, first * BLOCK / RATE) for tone, first, count in runs]


def heard_per_start(tones, runs):
    """(seconds, where) of each run heard of each start, given the tone of each start in order:
    the runs of that tone that come next are the start's; a start whose tone does not come next was
    not heard. Also the runs left over. A start may come in more than one run: a busy machine can
    leave the server without frames for a moment (silence comes between, nothing is lost), a
    starved server graph misses a cycle now and then (silence in place of a few milliseconds: the
    timeline is kept), and a sink that renders ahead and winds back for a stream that begins gives
    its monitor the first few milliseconds twice now and then."""
    runs = list(runs)
    heard = []
    for tone in tones:
        mine = []
        while runs and runs[0][0] == tone:
            mine.append(runs.pop(0)[1:])
        heard.append(mine)
    return heard, runs


class ShortTracks:
    SERVER = None
    EDGE_MISSED = 0.0  # seconds of a start's edge that the server's missed cycles may take

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="tonalisk_short_")
        self.server = self.SERVER(self.tmp)
        self.env = dict(os.environ, **self.server.env)
        self.env.pop("SDL_AUDIODRIVER", None)
        self.procs, self.child, self.recording = [], None, None

    def tearDown(self):
        end_run([self.child] if self.child else [], self.procs,
                [self.recording] if self.recording else [])
        self.server.stop()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def play_through(self, path, length):
        """Starts the track and polls until it has ended; (state, seconds) then, or None."""
        self.assertEqual(self.child.ask(f"play {path}"), [1, 1])
        deadline = time.monotonic() + length + ENDS_WITHIN
        while time.monotonic() < deadline:
            state, seconds = self.child.ask("state")
            if state != 1:
                return state, seconds
            time.sleep(0.005)
        return None

    def test_every_start_is_heard_whole(self):
        self.server.start()
        tracks = {(length, tone): write_tone(os.path.join(self.tmp, f"{length}-{tone}.wav"),
                                             length, hz)
                  for length in LENGTHS for tone, hz in enumerate(TONES)}
        self.child = Child(self.env)
        self.recording = Recording(types.SimpleNamespace(env=self.env, procs=self.procs),
                                   os.path.join(self.tmp, "heard.raw"))
        starts = []  # (length, tone, recording time of the start, state after its end)
        for n in range(STARTS * len(LENGTHS)):
            length, tone = LENGTHS[n % len(LENGTHS)], n % 2
            opened = self.recording.now()
            ended = self.play_through(tracks[length, tone], length)
            starts.append((length, tone, opened, ended))
        time.sleep(0.5)  # the last start's sound reaches the recording
        self.assertEqual(self.child.ask("free"), [1])
        self.child.proc.stdin.close()
        said = self.child.proc.stderr.read()  # what the engine said of the server meanwhile
        self.child.end()
        self.child = None

        heard, left = heard_per_start([tone for _, tone, _, _ in starts],
                                      heard_runs(self.recording.samples()))
        failures = {length: [] for length in LENGTHS}
        for (length, _, opened, ended), pieces in zip(starts, heard):
            if ended != (0, 0) or not whole(length, pieces, self.EDGE_MISSED):
                got = sum(seconds for seconds, _ in pieces)
                where = ", ".join(f"{seconds:.3f} s at {at:.3f} s" for seconds, at in pieces)
                failures[length].append(
                    f"opened at {opened:.2f} s: heard {got:.3f} s ({where}), then {ended}")
        summary = ", ".join(f"{length} s whole in {STARTS - len(failures[length])} of {STARTS}"
                            for length in LENGTHS)
        print(f"{self.SERVER.__name__}: {summary}", flush=True)
        self.assertTrue(not any(failures.values()),
                        f"{summary}; " + "; ".join(f"{length} s: {failures[length][:5]}"
                                                   for length in LENGTHS if failures[length])
                        + f"; the engine said: {said!r}")
        self.assertEqual(left, [], "sound that no start explains (tone, seconds, at)")


class PulseAudioShortTracks(ShortTracks, unittest.TestCase):
    SERVER = PulseServer


@unittest.skipIf(pipewire_missing(), pipewire_missing())
class PipeWireShortTracks(ShortTracks, unittest.TestCase):
    SERVER = PipeWireServer
    # A starved graph (a loaded machine) drops the cycles it misses, also at a start's first or
    # last moment; PulseAudio keeps every frame, and its starts are held to the edge.
    EDGE_MISSED = MISSED_BLOCKS


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
