"""The real player while the desktop's sound server fails under it: restarted on the same socket,
and frozen while the user closes the window."""
import os
import subprocess
import sys
import tempfile
import time
import unittest

import audio
from audio import Track
from desktop import Desktop
from screen import Screen
from test_player import install_player, log, wait_sound

sys.dont_write_bytecode = True


class SoundServerFaults(unittest.TestCase):
    TRACKS = [Track("alpha.wav", "wav", 1600, 30)]

    def setUp(self):
        self.tmp_dir = tempfile.TemporaryDirectory(prefix="tonalisk-e2e-")
        tmp = self.tmp_dir.name
        self.app = os.path.join(tmp, "player")
        install_player(self.app, self.TRACKS)
        self.desktop = Desktop(tmp).__enter__()
        self.proc = self.desktop.start([os.path.join(self.app, "tonalisk")], self.app)
        self.screen = Screen(self.desktop.env)
        self.win = self.screen.window("Tonalisk")
        self.assertIsNotNone(self.win, "the main window did not appear")

    def tearDown(self):
        self.desktop.pulse.thaw()
        self.desktop.__exit__(None, None, None)
        self.tmp_dir.cleanup()

    def test_sound_comes_back_after_the_server_restarts(self):
        time.sleep(1.0)
        self.desktop.pulse.kill()
        time.sleep(1.0)
        self.desktop.pulse.start()
        rec = self.desktop.record(os.path.join(self.tmp_dir.name, "after.raw"))
        # By the capture's clock, which a loaded machine's recorder may fill late.
        first = wait_sound(rec, 0.0)
        log(f"sound after the server came back: {first}")
        self.assertIsNotNone(first)
        self.assertLess(first, 2.0)
        time.sleep(max(0.0, first + 0.5 - rec.seconds()))
        track, _, _ = audio.sounding(rec.samples(), self.TRACKS, first + 0.1, first + 0.3)
        self.assertEqual(track, self.TRACKS[0])

    def test_closing_while_the_server_hangs(self):
        time.sleep(1.0)
        self.desktop.pulse.freeze()
        closed = time.monotonic()
        self.screen.close(self.win)
        try:
            # A hang never ends; a loaded machine may take a few seconds to close.
            self.assertEqual(self.proc.wait(5.0), 0)
        except subprocess.TimeoutExpired:
            self.fail("the window does not close while the server hangs")
        log(f"closed with the server frozen after {time.monotonic() - closed:.2f} s")


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
