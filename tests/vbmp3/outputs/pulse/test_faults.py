"""The ways a desktop's sound server fails under a playing engine, one row each, against a real
server that the test starts: PulseAudio, and PipeWire where it runs. The engine runs in a process
of its own (engine_child.py). In every row that process lives, the state stays playing, the elapsed
time goes on, and sound is back within two seconds of a sink being there again."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import types
import unittest

import numpy as np

from harness import audio
from harness.desktop import Recording
from harness.sound_server import PipeWireServer, PulseServer
from test_pulse_output import write_wav

HERE = os.path.dirname(os.path.abspath(__file__))

LIBRARY = os.path.join(os.environ["TONALISK_BIN"], "libvbmp3.so")
SLOW_CONNECT = os.environ["SLOW_CONNECT"]  # the preloaded shim that delays each connect
WATCHED = 3.0  # seconds of the fault during which the elapsed time must go on
BACK_WITHIN = 2.0


class Child:
    """engine_child.py, answering one line per command."""

    def __init__(self, env, slow_connect=False):
        env = dict(env, LD_PRELOAD=SLOW_CONNECT) if slow_connect else env
        self.proc = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "engine_child.py"), LIBRARY], env=env,
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def ask(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        line = self.proc.stdout.readline()
        if not line:
            raise AssertionError(f"the engine's process died at {command!r}: "
                                 f"exit {self.proc.wait()}, {self.proc.stderr.read()}")
        return [int(v) if v.lstrip("-").isdigit() else v for v in line.split()]

    def end(self):
        """Closes its input; returns its exit status."""
        self.proc.stdin.close()
        status = self.proc.wait(10)
        self.proc.stdout.close()
        self.proc.stderr.close()
        return status


def end_run(children, procs, recordings):
    """Kills the engine's processes that still run and ends the recorders."""
    for child in children:
        if child.proc.poll() is None:
            child.proc.kill()
            child.end()
    for p in procs:
        p.terminate()
        p.wait()
    for r in recordings:
        r.file.close()


def row(fault=None, recover=None, sink=True, up=True, slow_connect=False):
    """fault and recover act on the server; the sink is back once recover has returned (at once
    without one)."""
    return types.SimpleNamespace(fault=fault, recover=recover, sink=sink, up=up,
                                 slow_connect=slow_connect)


ROWS = {
    "the stream killed by the server": row(lambda s: s.kill_stream(s.streams()[0])),
    "the only sink removed and another loaded": row(lambda s: s.unload_sink(),
                                                    lambda s: s.load_sink()),
    "a server with no sink": row(recover=lambda s: s.load_sink(), sink=False),
    "the server killed and restarted": row(lambda s: s.kill(), lambda s: s.start()),
    "the server stopped and resumed": row(lambda s: s.freeze(), lambda s: s.thaw()),
    "a server that appears late": row(recover=lambda s: s.start(), up=False),
    "a slow connect": row(slow_connect=True),
}


class Faults:
    SERVER = None

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="tonalisk_faults_")
        self.server = self.SERVER(self.tmp)
        self.env = dict(os.environ, **self.server.env)
        self.env.pop("SDL_AUDIODRIVER", None)
        self.procs, self.recordings, self.children = [], [], []

    def tearDown(self):
        end_run(self.children, self.procs, self.recordings)
        self.server.stop()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def record(self):
        client = types.SimpleNamespace(env=self.env, procs=self.procs)
        self.recordings.append(Recording(client, os.path.join(self.tmp, "heard.raw")))
        return self.recordings[-1]

    def assert_plays_on(self, child, seconds):
        """Polls for `seconds`: always playing, and the elapsed time goes on."""
        polls = []
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            polls.append(child.ask("state"))
            time.sleep(0.2)
        self.assertEqual({state for state, _ in polls}, {1}, polls)
        self.assertGreaterEqual(polls[-1][1] - polls[0][1], 1, f"the time stood still: {polls}")

    def assert_sound_back(self, rec, sink_back):
        """Sound throughout the half second that begins BACK_WITHIN after the sink was back."""
        start = sink_back - rec.started + BACK_WITHIN
        while rec.now() < start + 0.6:
            time.sleep(0.1)
        heard = [rms > audio.SILENT_RMS for _, rms, _ in audio.windows(rec.samples(), start,
                                                                        start + 0.5)]
        self.assertGreaterEqual(np.mean(heard), 0.8, "no sound two seconds after the sink came")

    def run_row(self, name):
        r = ROWS[name]
        if r.up:
            self.server.start(sink=r.sink)
        track = write_wav(os.path.join(self.tmp, "steady.wav"), [0] * 20)
        child = Child(self.env, r.slow_connect)
        self.children.append(child)
        self.assertEqual(child.ask(f"play {track}"), [1, 1])
        started = time.monotonic()
        rec = self.record() if r.up and r.sink else None
        time.sleep(0.7)
        if r.fault:
            r.fault(self.server)
        sink_back = started if not (r.fault or r.recover) else time.monotonic()
        self.assert_plays_on(child, WATCHED)
        if r.recover:
            r.recover(self.server)
            sink_back = time.monotonic()
        if not rec or r.recover:
            for old in self.recordings:
                old.proc.terminate()
            rec = self.record()
        self.assert_sound_back(rec, sink_back)
        self.assertEqual(child.ask("state")[0], 1)
        self.assertEqual(child.ask("free"), [1])
        self.assertEqual(child.end(), 0, "the engine's process did not end well")


def table(server_class, skip_reason=None, skip_rows=None):
    """A test case with one test per row of ROWS; skip_rows: {row: why}."""
    methods = {"SERVER": server_class}
    for name in ROWS:
        def test(self, name=name):
            if skip_reason or name in (skip_rows or {}):
                self.skipTest(skip_reason or skip_rows[name])
            self.run_row(name)
        methods["test_" + name.replace(" ", "_")] = test
    return type(server_class.__name__ + "Faults", (Faults, unittest.TestCase), methods)


def pipewire_missing():
    programs = ("pipewire", "pipewire-pulse", "wireplumber", "pw-cli", "dbus-daemon")
    missing = [p for p in programs if not shutil.which(p)]
    return (f"PipeWire cannot run here: {', '.join(missing)} not installed "
            "(tools/install-deps.sh --ci installs it)") if missing else None


PulseAudioFaults = table(PulseServer)
PipeWireFaults = table(PipeWireServer, pipewire_missing(), {
    "a server with no sink": "WirePlumber puts a dummy sink in where there is none, at a moment "
                             "of its own choosing, so PipeWire has no lasting state without one"})


class UnloadAfterFree(unittest.TestCase):
    """A host may unload the library once vbmp3_free has returned: no thread of the engine may
    run on, even when the free comes while a connect to the server is slow. Here each connect
    takes a second and finds no server; the engine tries again a second later, so the free comes
    in the middle of the second try."""

    def test_free_ends_every_thread_and_the_library_unloads(self):
        tmp = tempfile.mkdtemp(prefix="tonalisk_unload_")
        env = dict(os.environ, PULSE_SERVER="unix:" + os.path.join(tmp, "no-server"),
                   SLOW_CONNECT_MS="1000")
        child = Child(env, slow_connect=True)
        try:
            track = write_wav(os.path.join(tmp, "steady.wav"), [0] * 8)
            threads = child.ask("threads")
            began = time.monotonic()
            child.ask(f"play {track}")
            time.sleep(max(0.0, 2.5 - (time.monotonic() - began)))
            self.assertEqual(child.ask("free"), [1])
            self.assertEqual(child.ask("threads"), threads, "threads outlive vbmp3_free")
            self.assertEqual(child.ask("unload"), ["unloaded"])
            time.sleep(1.0)  # what a thread left behind would run meanwhile
            self.assertEqual(child.ask("threads"), threads)
            self.assertEqual(child.end(), 0)
        finally:
            if child.proc.poll() is None:
                child.proc.kill()
                child.end()
            shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
