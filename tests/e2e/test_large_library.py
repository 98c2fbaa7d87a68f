"""A library as large as real ones: a folder of 100,000 files plays at start-up, and a ten-hour
track whose seek bar is dragged to three quarters is heard there, past 9 h 6 min (32,767 s)
times three quarters."""
import os
import sys
import time
import unittest

from harness import audio
from harness.audio import Track
from harness.long_track import make_long_track
from harness.player import BIN, find_main_window, launch, log, shut_down
from test_controls import SEEK_BAR, Session

FILES = 100000


def start(session, tracks, prepare, boxes_for=0.0):
    """Launches the player and finds its window; a set-up that fails leaves no desktop behind."""
    launch(session, tracks, prepare)
    try:
        session.dismissed = session.dismiss_boxes(boxes_for)
        find_main_window(session)
    except BaseException:
        shut_down(session)
        raise


class FolderOf100000Files(Session):
    TRACKS = [Track("a.mp3", "mp3", 500, 8), Track("b.mp3", "mp3", 1500, 8)]

    @classmethod
    def setUpClass(cls):
        def links(app):
            # A file system allows some 65,000 links to one file.
            for i in range(FILES - len(cls.TRACKS)):
                os.link(os.path.join(app, cls.TRACKS[i % 2].name),
                        os.path.join(app, f"track {i:06d}.mp3"))

        start(cls, cls.TRACKS, links, boxes_for=3.0)

    def test_start_up_plays_one_of_them(self):
        self.assertEqual(self.dismissed, 0, "an Open Error box")
        deadline = time.monotonic() + 10.0
        while audio.first_sound(self.rec.samples(), self.launched) is None \
                and time.monotonic() < deadline:
            time.sleep(0.2)
        first = audio.first_sound(self.rec.samples(), self.launched)
        self.assertIsNotNone(first, "no sound after start-up")
        log(f"{FILES} files: start to first sound {first - self.launched:.2f} s")
        # The target is a second; a loaded machine gets a wide margin.
        self.assertLess(first - self.launched, 6.0)
        time.sleep(max(0.0, first + 1.0 - self.rec.now()))
        self.assertIsNotNone(self.heard(first + 0.2, first + 0.9)[0])


class TenHourTrack(Session):
    @classmethod
    def setUpClass(cls):
        def long_track(app):
            # The pitch changes at 5 h and at 7 h: a bar that stopped at 32,767 s would
            # have played 6 h 50 min.
            cls.TRACKS = make_long_track(app, "ten hours.mp3", 10, BIN,
                                         ((0, 300), (5, 1500), (7, 2700)))

        start(cls, [], long_track)

    def test_dragged_to_three_quarters_it_plays_from_seven_and_a_half_hours(self):
        deadline = time.monotonic() + 10.0
        while audio.first_sound(self.rec.samples(), self.launched) is None \
                and time.monotonic() < deadline:
            time.sleep(0.2)
        first = audio.first_sound(self.rec.samples(), self.launched)
        self.assertIsNotNone(first, "no sound after start-up")
        time.sleep(max(0.0, first + 1.0 - self.rec.now()))
        self.assertEqual(self.heard(first + 0.2, first + 0.9)[0], self.TRACKS[0].name)

        left, right = self.thumb()
        groove_left, groove_right = SEEK_BAR[3] + 5, SEEK_BAR[2] - SEEK_BAR[3] - 5
        y = SEEK_BAR[1] + SEEK_BAR[3] // 2
        target = self.at((groove_left + (groove_right - groove_left) * 3 // 4, y))
        self.screen.press(*self.at(((left + right) // 2, y)))
        for x in (target[0] - 20, target[0]):
            time.sleep(0.05)
            self.screen.move(x, target[1])
        self.screen.release(*target)
        released = self.rec.now()
        time.sleep(0.5)
        self.screen.save(os.path.join(self.tmp, "three_quarters.png"))
        # The engine decodes its way to a point far into an MP3: on a loaded machine that takes
        # tens of seconds.
        heard, t = None, released
        while heard is None and t < released + 60.0:
            time.sleep(max(0.0, t + 0.7 - self.rec.now()))
            heard = audio.sounding(self.rec.samples(), self.TRACKS, t, t + 0.7)[0]
            heard = heard.name if heard else None
            t += 0.7
        log(f"release to the last section heard: {t - released:.1f} s")
        self.assertEqual(heard, self.TRACKS[2].name)

if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
