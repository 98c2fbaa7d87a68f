"""The controls as a person drives them, under a window manager: the seek bar's thumb heard through
the sound server, a drag across the list, the keys from start-up, what the window manager is told
about the two windows, and a folder with a file that will not open."""
import os
import sys
import time
import unittest

import numpy as np

from harness import audio, design
from harness.audio import Track
from harness.player import find_main_window, launch, log, shut_down, wait_heard

LIST = design.place("File1")  # client-area pixels
SEEK_BAR = design.place("scSeek")
MWM_DECOR_MINIMIZE, MWM_DECOR_MAXIMIZE = 0x20, 0x40


class Session(unittest.TestCase):
    """One player on the tracks of the class; the tests run in order on it."""

    TRACKS = []
    BAD = []

    @classmethod
    def setUpClass(cls):
        launch(cls, cls.TRACKS, cls.write_bad_files)
        cls.dismissed = cls.dismiss_boxes(3.0)
        find_main_window(cls)

    @classmethod
    def tearDownClass(cls):
        shut_down(cls)

    @classmethod
    def write_bad_files(cls, app):
        for name in cls.BAD:
            with open(os.path.join(app, name), "wb") as f:
                f.write(b"ID3\x04\x00\x00\x00\x00\x00\x10" + b"\x00" * 40)  # a header, then nothing

    @classmethod
    def dismiss_boxes(cls, seconds):
        """Answers each "Open Error" box that comes up within `seconds`; returns how many did."""
        count, deadline = 0, time.monotonic() + seconds
        while time.monotonic() < deadline:
            if cls.screen.boxes():
                count += 1
                time.sleep(0.2)
                cls.screen.key("Return")
                while cls.screen.boxes() and time.monotonic() < deadline + 2:
                    time.sleep(0.05)
            time.sleep(0.05)
        return count

    def at(self, point):
        return self.origin[0] + point[0], self.origin[1] + point[1]

    def heard(self, start, end):
        track, second, level = audio.sounding(self.rec.samples(), self.TRACKS, start, end)
        log(f"  {start:6.2f}-{end:6.2f} s: {track.name if track else 'nothing'} second {second}")
        return (track.name if track else None), second

    def row(self, index, height=17):
        return LIST[0] + 40, LIST[1] + index * height + height // 2

    def thumb(self):
        """(left, right) of the light inside of the seek bar's thumb, in the bar's pixels."""
        x, y, w, h = SEEK_BAR
        shot = self.screen.shot()
        row = shot[self.origin[1] + y + h // 2, self.origin[0] + x: self.origin[0] + x + w, 0]
        groove = int(np.bincount(row).argmax())  # the groove is most of the bar
        inside = [i for i in range(h + 5, w - h - 5) if row[i] > groove + 8]
        return min(inside), max(inside)


class SeekBarAndList(Session):
    # Second s of the staircase sounds at 300 + 40 s Hz: the pitch tells where playback is.
    TRACKS = [Track("a_stair.wav", "wav", 300, 60), Track("b.wav", "wav", 3500, 20),
              Track("c.wav", "wav", 4500, 20)]

    def play_staircase(self):
        """Starts the staircase from its first second, by a click on its entry."""
        t = self.rec.now()
        self.screen.click(*self.at(self.row(0)))
        self.heard_at_last("a_stair.wav", 0, t)

    def heard_at_last(self, name, second, after):
        return wait_heard(self, self.TRACKS, name, second, after)

    def drag(self, seconds, pause=0.05, hold=0.0):
        """Drags the thumb through the given seconds, one reported move each; returns the
        recording times of the last move and of the release."""
        left, right = self.thumb()
        x0, y = self.at((SEEK_BAR[0] + (left + right) // 2, SEEK_BAR[1] + SEEK_BAR[3] // 2))
        self.screen.press(x0, y)
        # Held, the thumb no longer follows playback, so where it is now is where the moves count
        # from (before the press it may have moved on since the picture).
        time.sleep(0.1)
        left, right = self.thumb()
        # The groove's inside runs from after the left arrow to before the right one; the thumb
        # has a one-pixel border.
        groove_left, groove_right = SEEK_BAR[3] + 5, SEEK_BAR[2] - SEEK_BAR[3] - 5
        per_second = (groove_right - groove_left + 1 - (right - left + 3)) / 60
        shown = (left - groove_left) / per_second
        for s in seconds:
            time.sleep(pause)
            moved = self.rec.now()
            self.screen.move(int(round(x0 + (s - shown) * per_second)), y)
        time.sleep(hold)
        held = self.rec.now()
        self.screen.release(int(round(x0 + (seconds[-1] - shown) * per_second)), y)
        log(f"drag from {shown:.1f} s through {seconds}")
        return moved, held

    def test_1_keys_move_in_the_list_from_start_up(self):
        time.sleep(0.5)
        # Each action's time is taken before it: a loaded machine may be slow to return from it.
        t = self.rec.now()
        self.screen.key("End")
        # Start-up may have drawn the last entry itself, which End then leaves playing.
        self.heard_at_last("c.wav", None, t)
        t = self.rec.now()
        self.screen.key("Home")
        self.heard_at_last("a_stair.wav", 0, t)
        self.assertEqual(self.screen.title(self.win), "a_stair")

    def test_2_thumb_dragged_in_one_move_plays_from_there(self):
        self.play_staircase()
        moved, _ = self.drag([30])
        self.heard_at_last("a_stair.wav", 30, moved)

    def test_3_thumb_dragged_in_many_moves_plays_from_the_last(self):
        self.play_staircase()
        moved, _ = self.drag([10, 22, 48, 35])
        self.heard_at_last("a_stair.wav", 35, moved)

    def test_4_thumb_held_still_is_not_pulled_back(self):
        self.play_staircase()
        moved, held = self.drag([45], hold=1.5)
        time.sleep(1.0)
        began = self.heard_at_last("a_stair.wav", 45, moved)
        self.assertLess(began, held, "playback went back to the thumb when it was let go")

    def test_5_drag_across_the_list_plays_where_the_button_goes_up(self):
        self.screen.press(*self.at(self.row(1)))
        self.screen.move(*self.at((self.row(1)[0], self.row(1)[1] + 8)))
        t = self.rec.now()
        self.screen.release(*self.at(self.row(2)))
        self.heard_at_last("c.wav", 0, t)
        self.assertEqual(self.screen.title(self.win), "c")

    def test_6_what_the_window_manager_is_told(self):
        self.screen.click(*self.at((40, LIST[1] + 300)), button=3)
        form2 = self.screen.window("FolderSelect")
        self.assertIsNotNone(form2)
        time.sleep(0.3)
        self.screen.save(os.path.join(self.tmp, "windows.png"))
        main_actions = self.screen.atoms(self.win, "_NET_WM_ALLOWED_ACTIONS")
        tool_actions = self.screen.atoms(form2, "_NET_WM_ALLOWED_ACTIONS")
        log(f"Tonalisk: {sorted(main_actions)}")
        log(f"FolderSelect: {sorted(tool_actions)}, state "
            f"{sorted(self.screen.atoms(form2, '_NET_WM_STATE'))}")
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", self.screen.atoms(form2, "_NET_WM_STATE"))
        self.assertNotIn("_NET_WM_STATE_SKIP_TASKBAR", self.screen.atoms(self.win, "_NET_WM_STATE"))
        self.assertTrue({"_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_CLOSE"} <= main_actions)
        self.assertTrue({"_NET_WM_ACTION_CLOSE"} <= tool_actions)
        for actions in (main_actions, tool_actions):
            self.assertFalse(actions & {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT",
                                        "_NET_WM_ACTION_RESIZE"})
        # What the program asks for; openbox keeps a minimise button on every window.
        main_decor = self.screen.numbers(self.win, "_MOTIF_WM_HINTS")[2]
        tool_decor = self.screen.numbers(form2, "_MOTIF_WM_HINTS")[2]
        self.assertEqual(main_decor & (MWM_DECOR_MINIMIZE | MWM_DECOR_MAXIMIZE), MWM_DECOR_MINIMIZE)
        self.assertEqual(tool_decor & (MWM_DECOR_MINIMIZE | MWM_DECOR_MAXIMIZE), 0)
        self.screen.close(form2)


class FolderWithABadFile(Session):
    """A file that will not open is passed over: one box, then another track plays."""

    TRACKS = [Track("b.wav", "wav", 700, 6), Track("c.wav", "wav", 1500, 6),
              Track("d.wav", "wav", 2300, 6), Track("e.wav", "wav", 3100, 6)]
    BAD = ["a_truncated.mp3"]

    def test_the_player_plays_on_past_it(self):
        self.screen.click(*self.at(self.row(0)))
        boxes = self.dismiss_boxes(2.0)
        log(f"boxes after picking the bad file: {boxes} (at start-up {self.dismissed})")
        self.assertGreaterEqual(boxes, 1)
        # The next track starts at a tick after the box; a loaded machine may take a while, and
        # the random pick may land on the bad file once more, with a box of its own.
        t = self.rec.now()
        deadline = time.monotonic() + 8.0
        while audio.first_sound(self.rec.samples(), t) is None and time.monotonic() < deadline:
            self.dismiss_boxes(0.3)
        start = audio.first_sound(self.rec.samples(), t)
        self.assertIsNotNone(start, "nothing plays after the bad file")
        time.sleep(max(0.0, start + 1.0 - self.rec.now()))
        track, _ = self.heard(start + 0.1, start + 0.9)
        self.assertIsNotNone(track, "nothing plays after the bad file")


class EmptyFolder(Session):
    """The random-track button with nothing to play: one box, then an empty title bar."""

    RANDOM_BUTTON = (148, 22)  # client-area pixels

    def test_the_title_is_emptied_as_set(self):
        self.assertEqual(self.screen.title(self.win), "Tonalisk")
        self.screen.click(*self.at(self.RANDOM_BUTTON))
        self.assertEqual(self.dismiss_boxes(2.0), 1)
        self.screen.save(os.path.join(self.tmp, "empty_title.png"))
        self.assertEqual(self.screen.title(self.win), "")


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
