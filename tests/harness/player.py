"""The player as the end-to-end tests and the benchmarks start it: installed with generated
tracks into a folder of its own, started on a private desktop, and waited on by what the null sink
played."""
import glob
import os
import shutil
import subprocess
import tempfile
import time

from . import audio
from .desktop import Desktop
from .screen import Screen

BIN = os.environ["TONALISK_BIN"]  # the build's bin folder: tonalisk, its engine, make_test_tone


def log(*what):
    print(*what, flush=True)


def install_player(folder, tracks):
    os.makedirs(folder, exist_ok=True)
    for f in ["tonalisk", "vbmp3-decoder"] + [os.path.basename(p) for p in glob.glob(os.path.join(BIN, "libvbmp3*.so*"))]:
        shutil.copy2(os.path.join(BIN, f), folder, follow_symlinks=False)
    for t in tracks:
        subprocess.run([os.path.join(BIN, "make_test_tone"), os.path.join(folder, t.name), t.kind,
                        str(t.base), str(t.seconds)], check=True)


def wait_until(predicate, timeout=3.0):
    """True once predicate() holds, polled for up to `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.05)
    return False


def wait_heard(case, tracks, name, second, after, within=6.0):
    """Waits until the last unbroken playing since `after` (a recording time, taken before the
    action) is the track `name` from about `second` (from any second if None); fails the test
    case after `within` seconds. Returns when that playing began, by the capture's own clock, so
    a loaded machine's slow actions and late ticks shift nothing."""
    deadline = time.monotonic() + within
    while True:
        time.sleep(0.3)
        track, began, at = audio.last_start(case.rec.samples(), tracks, after, case.rec.seconds())
        found = (track is not None and track.name == name
                 and (second is None or abs(began - second) <= 1))
        if found or time.monotonic() > deadline:
            log(f"  since {after:6.2f} s: {track.name if track else 'nothing'} from second "
                f"{began} at {at}")
            if not found:
                log("  heard: " + ", ".join(
                    f"{t.name} {start:.2f}-{end:.2f} s" for t, start, end in audio.segments(
                        case.rec.samples(), tracks, 0, case.rec.seconds())))
            case.assertTrue(found, f"{name} from second {second} was not heard")
            return at


def wait_sound(rec, after, within=8.0):
    """The recording time of the first sound after `after`, waiting up to `within` seconds for
    it (a loaded machine starts slowly); None if nothing sounds."""
    deadline = time.monotonic() + within
    while (first := audio.first_sound(rec.samples(), after)) is None:
        if time.monotonic() > deadline:
            return None
        time.sleep(0.2)
    return first


def wait_silent(case, after, within=6.0, span=0.5):
    """Waits for `span` seconds of silence in the recording after `after`; returns where it
    began, or fails the test case after `within` seconds."""
    deadline = time.monotonic() + within
    while True:
        time.sleep(0.2)
        samples, end = case.rec.samples(), case.rec.seconds()
        start = after
        while start + span <= end:
            sound = audio.first_sound(samples, start, start + span)
            if sound is None:
                return start
            start = sound + audio.WINDOW
        case.assertLess(time.monotonic(), deadline, f"no silence of {span} s after {after:.2f} s")


def launch(session, tracks, prepare=lambda app: None, before_start=lambda session: None):
    """Installs the player with the tracks in a fresh folder (`prepare` may add to it) and starts
    it on a private desktop (`before_start` may add to that); the session (a test class) keeps
    what a test needs to reach it."""
    session.tmp = tempfile.mkdtemp(prefix="tonalisk-e2e-")
    # Removed even when the launch fails, which skips tearDownClass.
    session.addClassCleanup(shutil.rmtree, session.tmp, ignore_errors=True)
    session.app = os.path.join(session.tmp, "player")
    install_player(session.app, tracks)
    prepare(session.app)
    session.desktop = Desktop(session.tmp).__enter__()
    before_start(session)
    session.rec = session.desktop.record(os.path.join(session.tmp, "capture.raw"))
    session.launched = session.rec.now()
    session.proc = session.desktop.start([os.path.join(session.app, "tonalisk")], session.app)
    session.screen = Screen(session.desktop.env)


def find_main_window(session):
    session.win = session.screen.window("Tonalisk")
    assert session.win is not None, "the main window did not appear"
    session.origin = session.screen.origin(session.win)


def shut_down(session):
    session.desktop.__exit__(None, None, None)
