"""The real player with the real engine, driven as a person would: a private X server and sound
server, clicks and keys, and what the null sink really played."""
import os
import sys
import tempfile
import time
import unittest

import numpy as np

from harness import audio, design
from harness.audio import Track
from harness.desktop import Desktop
from harness.player import (find_main_window, install_player, launch, log, shut_down, wait_heard,
                            wait_silent, wait_sound)
from harness.screen import Screen

# Client-area geometry of the main window's controls, in pixels, as designed.
PLAY_BTN = design.centre("PlayBtn")
STOP_BTN = design.centre("StopBtn")
PIC_WAVE = design.place("picWave")
SLIDER_KNOB = design.centre("Slider1")  # at its start-up value, the middle
LABEL = design.place("Label1")
LIST = design.place("File1")
STATUS = design.place("StatusBar1")


def region(shot, origin, box):
    x, y, w, h = box
    return shot[origin[1] + y: origin[1] + y + h, origin[0] + x: origin[0] + x + w]


def colour_share(pixels, rgb, tolerance=40):
    near = np.all(np.abs(pixels.astype(int) - np.array(rgb)) <= tolerance, axis=2)
    return float(near.mean())


def spectrum_share(pixels):
    """Share of red-to-yellow pixels (bars and markers)."""
    p = pixels.astype(int)
    return float(((p[..., 0] > 200) & (p[..., 2] < 80)).mean())


class Player(unittest.TestCase):
    """One player in a folder of four tracks, one of each kind, and a folder beside them."""

    # Pitch ranges that do not overlap (40 Hz or a semitone a second): a pitch names one moment.
    TRACKS = [Track("alpha.wav", "wav", 1600, 40), Track("bravo.mp3", "mp3", 3300, 40),
              Track("charlie.wma", "wma", 5000, 40), Track("delta.mid", "mid", 50, 40)]
    MORE = Track("echo.wav", "wav", 6700, 40)

    @classmethod
    def setUpClass(cls):
        launch(cls, cls.TRACKS, lambda app: install_player(os.path.join(app, "more"), [cls.MORE]))
        find_main_window(cls)

    @classmethod
    def tearDownClass(cls):
        shut_down(cls)

    # helpers
    def wait(self, seconds):
        time.sleep(seconds)

    def heard(self, start, end):
        track, second, level = audio.sounding(self.rec.samples(), self.TRACKS + [self.MORE], start, end)
        log(f"  {start:6.2f}-{end:6.2f} s: {track.name if track else 'nothing'}"
            f" second {second} level {level:.4f}")
        return track, second, level

    def click(self, point, button=1):
        self.screen.click(self.origin[0] + point[0], self.origin[1] + point[1], button)

    def row_height(self):
        """Height of the highlighted (selected) row of the list."""
        # Inside the list's frame, where only the highlight differs from the background.
        column = region(self.screen.shot(), self.origin, LIST)[3:-3, 280].astype(int)
        background = column[-1]
        rows = np.where(np.abs(column - background).sum(axis=1) > 60)[0]
        return int(rows.max() - rows.min() + 1) if len(rows) else 0

    def title(self):
        return self.screen.title(self.win)

    def play_entry(self, index, name):
        """Plays the list's entry by a click on it; waits until it is heard from its start."""
        t = self.rec.now()
        self.click((40, LIST[1] + int((index + 0.5) * (self.row_height() or 17))))
        wait_heard(self, self.TRACKS, name, 0, t)
        self.assertEqual(self.title(), name.rsplit(".", 1)[0])


class PlayerSession(Player):
    """The player checked step by step; each step stands alone, starting what it needs and
    leaving the player as it found it."""

    def test_1_start_up_plays_a_track_of_the_folder(self):
        # Heard at all within a few seconds; how soon is a benchmark's business.
        first = wait_sound(self.rec, self.launched)
        self.assertIsNotNone(first, "no sound after start-up")
        log(f"start-up to first sound: {first - self.launched:.3f} s")
        self.wait(max(0.0, first + 1.0 - self.rec.now()))
        track, _, _ = self.heard(first + 0.2, first + 1.0)
        self.assertIsNotNone(track)

    def test_2_window_shows_label_surface_and_status(self):
        shot = self.screen.shot()
        self.screen.save(os.path.join(self.tmp, "start.png"))
        label = region(shot, self.origin, LABEL)
        black, yellow = colour_share(label, (0, 0, 0)), colour_share(label, (255, 255, 0), 60)
        log(f"Label1: black {black:.2f}, yellow {yellow:.3f}")
        self.assertGreater(black, 0.5)
        self.assertGreater(yellow, 0.01)
        surface = region(shot, self.origin, PIC_WAVE)
        cyan, bars = colour_share(surface, (192, 255, 255), 20), spectrum_share(surface)
        log(f"picWave in the start-up mode: light cyan {cyan:.2f}, spectrum pixels {bars:.3f}")
        self.assertGreater(cyan, 0.3)
        self.assertGreater(bars, 0.005)
        status = region(shot, self.origin, STATUS).astype(int)
        spread = float(status.std())
        log(f"status bar pixel spread {spread:.1f}")
        self.assertGreater(spread, 5)

    def test_3_click_on_an_entry_plays_it(self):
        self.click((40, LIST[1] + 5))
        self.wait(0.5)
        height = self.row_height()
        log(f"list row height {height} px")
        self.assertGreater(height, 5)
        self.play_entry(0, "alpha.wav")
        self.play_entry(2, "charlie.wma")

    def test_4_stop_silences_and_play_starts_again(self):
        self.play_entry(2, "charlie.wma")
        self.wait(1.0)
        t = self.rec.now()
        self.click(STOP_BTN)
        silent = wait_silent(self, t)
        self.wait(1.0)
        _, _, level = self.heard(silent, silent + 1.0)
        self.assertLess(level, audio.SILENT_RMS, "sound came back after the stop")
        t = self.rec.now()
        self.click(PLAY_BTN)
        wait_heard(self, self.TRACKS, "charlie.wma", 0, t)

    def test_5_pause_and_play_resume_where_it_halted(self):
        self.play_entry(2, "charlie.wma")
        self.wait(2.5)
        t = self.rec.now()
        self.click(PLAY_BTN)
        silent = wait_silent(self, t)
        # Where it halted, by the capture: a loaded machine may pause a while after the click.
        _, before, _ = self.heard(silent - 0.6, silent - 0.1)
        self.wait(1.0)
        _, _, level = self.heard(silent, silent + 1.0)
        self.assertLess(level, audio.SILENT_RMS, "sound came back during the pause")
        t = self.rec.now()
        self.click(PLAY_BTN)
        # From where it halted: the second heard before the pause, or the one after it.
        wait_heard(self, self.TRACKS, "charlie.wma", before, t)

    def test_6_volume_slider_at_zero_silences(self):
        self.play_entry(0, "alpha.wav")
        self.click(SLIDER_KNOB)
        t = self.rec.now()
        self.screen.key("Home")
        wait_silent(self, t)
        t = self.rec.now()
        self.screen.key("End")
        wait_heard(self, self.TRACKS, "alpha.wav", None, t)

    def wait_for_surface(self, check, within=5.0):
        """Waits until check(surface pixels) holds; returns its last result."""
        deadline = time.monotonic() + within
        while True:
            self.wait(0.3)
            result = check(region(self.screen.shot(), self.origin, PIC_WAVE))
            if result[0] or time.monotonic() > deadline:
                return result

    def test_7_surface_cycles_through_the_modes(self):
        for _ in range(4):  # 3 -> 4 -> 5 -> 6 -> 1
            self.click((PIC_WAVE[0] + 40, PIC_WAVE[1] + 10))
        ok, white, dark = self.wait_for_surface(lambda s: (
            colour_share(s, (255, 255, 255), 10) > 0.5 and colour_share(s, (0, 0, 0), 80) > 0.01,
            colour_share(s, (255, 255, 255), 10), colour_share(s, (0, 0, 0), 80)))
        self.screen.save(os.path.join(self.tmp, "mode1.png"))
        log(f"mode 1: white {white:.2f}, trace and centre line {dark:.3f}")
        self.assertTrue(ok)
        self.click((PIC_WAVE[0] + 40, PIC_WAVE[1] + 10))  # -> 2
        ok, black, bars = self.wait_for_surface(lambda s: (
            colour_share(s, (0, 0, 0), 10) > 0.3 and spectrum_share(s) > 0.01,
            colour_share(s, (0, 0, 0), 10), spectrum_share(s)))
        log(f"mode 2: black {black:.2f}, spectrum pixels {bars:.3f}")
        self.assertTrue(ok)
        self.click((PIC_WAVE[0] + 40, PIC_WAVE[1] + 10))  # back to 3, the start-up mode


class FolderWindow(Player):
    """The folder window, on a player of its own, as it leaves the list at another folder."""

    def test_folder_window_changes_the_list_not_the_track(self):
        self.play_entry(2, "charlie.wma")
        self.click((40, LIST[1] + 300), button=3)
        form2 = self.screen.window("FolderSelect")
        log(f"windows after the right click: {self.screen.titles()}")
        self.assertIsNotNone(form2)
        self.screen.save(os.path.join(self.tmp, "folder.png"))
        self.click((40, LIST[1] + 300), button=3)
        self.wait(0.5)
        self.assertEqual(self.screen.titles().count("FolderSelect"), 1)
        origin = self.screen.origin(form2)
        self.screen.key("Tab", "End", "Return")  # to the folder list, its last folder, open it
        t = self.rec.now()
        self.screen.click(origin[0] + 40, origin[1] + 272)  # OK
        self.wait(1.5)
        self.assertIsNone(self.screen.window("FolderSelect", timeout=0.5))
        track, _, _ = self.heard(t + 0.3, t + 1.4)
        self.assertEqual(track.name, "charlie.wma")


class Closing(unittest.TestCase):
    """Closing the window ends the process and the sound."""

    TRACKS = [Track("alpha.wav", "wav", 1600, 40)]

    @classmethod
    def setUpClass(cls):
        launch(cls, cls.TRACKS)
        find_main_window(cls)

    @classmethod
    def tearDownClass(cls):
        shut_down(cls)

    def test_closing_ends_the_process_and_the_sound(self):
        wait_heard(self, self.TRACKS, "alpha.wav", None, self.launched)
        t = self.rec.now()
        self.screen.close(self.win)
        start = time.monotonic()
        code = self.proc.wait(10)
        took = time.monotonic() - start
        log(f"exit status {code} after {took:.2f} s")
        self.assertEqual(code, 0)
        self.assertLess(took, 5.0)
        wait_silent(self, t)


class TrackEnd(unittest.TestCase):
    """Two short tracks: each plays to its very end and the next follows at once."""

    def test_tracks_follow_each_other_without_cut_or_gap(self):
        tracks = [Track("one.wav", "wav", 700, 3), Track("two.wav", "wav", 1500, 4)]
        with tempfile.TemporaryDirectory(prefix="tonalisk-e2e-") as tmp:
            app = os.path.join(tmp, "player")
            install_player(app, tracks)
            with Desktop(tmp) as desktop:
                rec = desktop.record(os.path.join(tmp, "capture.raw"))
                proc = desktop.start([os.path.join(app, "tonalisk")], app)
                time.sleep(13)
                runs = audio.segments(rec.samples(), tracks, 0, rec.seconds())
                proc.terminate()
        for track, start, end in runs:
            log(f"  {track.name}: {start:6.2f}-{end:6.2f} s, {end - start:.2f} s long")
        self.assertGreaterEqual(len(runs), 3)
        for (track, start, end), nxt in zip(runs, runs[1:]):
            self.assertGreater(end - start, track.seconds - 0.1, f"{track.name} was cut")
            gap = nxt[1] - end
            log(f"  gap after {track.name}: {gap:.3f} s")
            # A wait for a later tick shows as a second; a starved machine adds a few hundred ms.
            self.assertLessEqual(gap, 0.6)


class LegacyName(unittest.TestCase):
    """A file named and tagged in CP932, as unpacked from an old Japanese archive: it is listed
    and plays."""

    def test_a_name_that_is_no_utf8_is_listed_and_plays(self):
        track = Track("legacy.mp3", "mp3", 2200, 10)
        with tempfile.TemporaryDirectory(prefix="tonalisk-e2e-") as tmp:
            app = os.path.join(tmp, "player")
            install_player(app, [track])
            tag = bytearray(b"TAG" + bytes(125))
            artist = "山田太郎".encode("cp932")
            tag[33:33 + len(artist)] = artist
            tag[127] = 255
            legacy = os.path.join(app.encode(), "夜の歌.mp3".encode("cp932"))
            with open(os.path.join(app, track.name), "rb") as f:
                body = f.read()
            os.remove(os.path.join(app, track.name))
            with open(legacy, "wb") as f:
                f.write(body + bytes(tag))
            with Desktop(tmp) as desktop:
                desktop.env.update(LANG="ja_JP.UTF-8")
                desktop.env.pop("LC_ALL", None)
                rec = desktop.record(os.path.join(tmp, "capture.raw"))
                proc = desktop.start([os.path.join(app, "tonalisk")], app)
                screen = Screen(desktop.env)
                self.assertIsNotNone(screen.window("Tonalisk"))
                first = wait_sound(rec, 0.0) or 0.0
                time.sleep(max(0.0, first + 1.5 - rec.now()))
                heard, _, level = audio.sounding(rec.samples(), [track], first, rec.seconds())
                proc.terminate()
        log(f"  heard {heard.name if heard else 'nothing'} at level {level:.4f}")
        self.assertIs(heard, track, "the only file, named in CP932, did not play")


class LegacyFolder(unittest.TestCase):
    """A player installed in a folder named in Latin-1 lists and plays that folder, not the one
    beside it whose name is what the Latin-1 byte becomes when read as UTF-8."""

    def test_a_folder_named_in_latin1_plays_its_own_files(self):
        own, decoy = Track("own.wav", "wav", 600, 10), Track("decoy.wav", "wav", 3000, 10)
        with tempfile.TemporaryDirectory(prefix="tonalisk-e2e-") as tmp:
            install_player(os.path.join(tmp, "player"), [own])
            app = os.path.join(tmp.encode(), b"caf\xe9")
            os.rename(os.path.join(tmp, "player"), app)
            install_player(os.path.join(tmp, "caf\ufffd"), [decoy])
            with Desktop(tmp) as desktop:
                rec = desktop.record(os.path.join(tmp, "capture.raw"))
                proc = desktop.start([os.path.join(app, b"tonalisk")], app)
                self.assertIsNotNone(Screen(desktop.env).window("Tonalisk"))
                first = wait_sound(rec, 0.0) or 0.0
                time.sleep(max(0.0, first + 1.5 - rec.now()))
                heard, _, level = audio.sounding(rec.samples(), [own, decoy], first,
                                                 rec.seconds())
                proc.terminate()
        log(f"  heard {heard.name if heard else 'nothing'} at level {level:.4f}")
        self.assertIs(heard, own, "the player did not play the folder it was started from")


class NoSoundServer(unittest.TestCase):
    """Without any sound server the player still runs: the time advances and it exits cleanly."""

    def test_time_advances_and_exit_is_clean(self):
        with tempfile.TemporaryDirectory(prefix="tonalisk-e2e-") as tmp:
            app = os.path.join(tmp, "player")
            install_player(app, [Track("alpha.wav", "wav", 600, 20)])
            with Desktop(tmp, with_sound=False) as desktop:
                proc = desktop.start([os.path.join(app, "tonalisk")], app)
                screen = Screen(desktop.env)
                win = screen.window("Tonalisk")
                self.assertIsNotNone(win)
                origin = screen.origin(win)
                time.sleep(1.5)
                first = region(screen.shot(), origin, STATUS).copy()
                time.sleep(2.0)
                second = region(screen.shot(), origin, STATUS)
                changed = float((np.abs(first.astype(int) - second.astype(int)).sum(axis=2) > 0).mean())
                log(f"status bar pixels changed over 2 s: {changed:.3f}")
                self.assertGreater(changed, 0.0)
                screen.close(win)
                code = proc.wait(5)
                log(f"exit status {code}")
                self.assertEqual(code, 0)


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
