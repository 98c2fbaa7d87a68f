"""The real player with a track whose decoding turns hostile halfway through, as a crafted file
would make it (a preloaded shim, tests/vbmp3/outputs/pulse/hostile_decoder.c, acts inside the engine's
first decoder process only): the track stops where its decoder was lost, the player's process
lives, and the next track, the same file in the decoder process that took over, is heard whole.
One row per hostile act."""
import os
import sys
import tempfile
import time
import types
import unittest

from harness import audio
from harness.audio import Track
from harness.desktop import Desktop
from harness.player import install_player, log

TRACK = Track("hostile.wav", "wav", 1500, 6)
HEARD_FOR = 16.0  # seconds: the cut playing, the whole one after it, room for a busy machine


class HostileTrack(unittest.TestCase):
    def play_with(self, act):
        """What the sink played, and what the player said, over HEARD_FOR seconds."""
        with tempfile.TemporaryDirectory(prefix="tonalisk-e2e-") as tmp:
            app = os.path.join(tmp, "player")
            install_player(app, [TRACK])
            halfway = os.path.getsize(os.path.join(app, TRACK.name)) // 2
            with Desktop(tmp) as desktop:
                desktop.env.update(LD_PRELOAD=os.environ["HOSTILE_DECODER"],
                                   HOSTILE_NAME=os.sep + TRACK.name, HOSTILE_ACT=act,
                                   HOSTILE_FROM=str(halfway), HOSTILE_FIRST_ONLY="1")
                rec = desktop.record(os.path.join(tmp, "capture.raw"))
                proc = desktop.start([os.path.join(app, "tonalisk")], app)
                time.sleep(HEARD_FOR)
                lives = proc.poll() is None
                runs = audio.segments(rec.samples(), [TRACK], 0, rec.seconds())
                proc.terminate()
                said = proc.communicate(timeout=10)[0].decode(errors="replace")
        for track, start, end in runs:
            log(f"  {act}: {track.name} {start:6.2f}-{end:6.2f} s, {end - start:.2f} s long")
        return types.SimpleNamespace(lives=lives, runs=runs, said=said)

    def test_a_hostile_track_ends_and_the_next_plays(self):
        rows = {
            "a decoder that crashes": types.SimpleNamespace(act="crash", said="signal 11"),
            "a decoder that allocates without end": types.SimpleNamespace(act="hog",
                                                                          said="signal 6"),
            "a decoder that opens a network socket": types.SimpleNamespace(act="socket",
                                                                           said="signal 31"),
        }
        for name, row in rows.items():
            with self.subTest(name):
                heard = self.play_with(row.act)
                self.assertTrue(heard.lives, "the player's process died")
                self.assertGreaterEqual(len(heard.runs), 2, "the track did not play again")
                first, again = heard.runs[0], heard.runs[1]
                self.assertLess(first[2] - first[1], TRACK.seconds - 1, "it was not cut")
                self.assertGreater(again[2] - again[1], TRACK.seconds - 0.2, "the next was cut")
                self.assertIn(row.said, heard.said)


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
