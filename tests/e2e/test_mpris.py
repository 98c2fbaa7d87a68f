"""The real player on a private session bus, driven by playerctl as media keys and desktop panels
drive it, checked by what the null sink played; and the player under a headless Wayland compositor."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from audio import Track
from desktop import Desktop
from test_player import install_player, log, wait_heard, wait_silent, wait_sound, wait_until

SERVICE = "org.mpris.MediaPlayer2.tonalisk"


class BusPlayer(unittest.TestCase):
    """One player in a folder of two tracks on a private session bus."""

    TRACKS = [Track("alpha.wav", "wav", 1600, 20), Track("bravo.wav", "wav", 3300, 20)]

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="tonalisk-e2e-")
        cls.addClassCleanup(shutil.rmtree, cls.tmp, ignore_errors=True)
        cls.app = os.path.join(cls.tmp, "player")
        install_player(cls.app, cls.TRACKS)
        cls.desktop = Desktop(cls.tmp).__enter__()
        cls.desktop.start_session_bus()
        cls.rec = cls.desktop.record(os.path.join(cls.tmp, "capture.raw"))
        cls.proc = cls.desktop.start([os.path.join(cls.app, "tonalisk")], cls.app)

    @classmethod
    def tearDownClass(cls):
        cls.desktop.__exit__(None, None, None)

    def playerctl(self, *args):
        out = subprocess.run(["playerctl", "-p", "tonalisk", *args], env=self.desktop.env,
                             capture_output=True, text=True, timeout=10).stdout.strip()
        log(f"$ playerctl -p tonalisk {' '.join(args)}" + (f"\n{out}" if out else ""))
        return out

    def status_becomes(self, status):
        self.assertTrue(wait_until(lambda: self.playerctl("status") == status, 10.0), status)

    def command(self, *args):
        """Runs a playerctl command; returns the recording time from just before it."""
        t = self.rec.now()
        self.playerctl(*args)
        return t

    def playing(self):
        """The track the bus says is playing, by its file name."""
        return self.playerctl("metadata", "xesam:title") + ".wav"


class PlayerctlSession(BusPlayer):
    """The player commanded through the bus; each step stands alone."""

    def test_1_status_title_and_length_are_those_of_the_track_heard(self):
        self.status_becomes("Playing")
        title = self.playerctl("metadata", "xesam:title")
        self.assertIn(title, ("alpha", "bravo"))
        self.assertEqual(self.playerctl("metadata", "mpris:length"), "20000000")
        self.assertTrue(self.playerctl("metadata", "xesam:url").endswith(f"/player/{title}.wav"))
        wait_heard(self, self.TRACKS, f"{title}.wav", None, 0.0)

    def test_2_pause_silences_and_play_brings_the_sound_back(self):
        t = self.command("pause")
        self.status_becomes("Paused")
        wait_silent(self, t)
        t = self.command("play")
        self.status_becomes("Playing")
        wait_heard(self, self.TRACKS, self.playing(), None, t)

    def test_3_set_position_is_heard_at_its_second(self):
        asked = time.monotonic()
        t = self.command("position", "12")
        wait_heard(self, self.TRACKS, self.playing(), 12, t)
        position = float(self.playerctl("position"))
        self.assertTrue(12 <= position <= 13 + time.monotonic() - asked, position)

    def test_4_next_changes_the_tone_to_the_start_of_a_track(self):
        before = self.playerctl("metadata", "mpris:trackid")
        t = self.command("next")
        # A track from its start, not the one going on at its second so and so. The bus answers
        # before the player moves on, so the track is the one after the id changed.
        self.assertTrue(wait_until(lambda: self.playerctl("metadata", "mpris:trackid") != before,
                                   10.0))
        self.assertTrue(wait_until(lambda: self.playerctl("status") == "Playing"))
        name = self.playing()
        wait_heard(self, self.TRACKS, name, 0, t)

    def test_5_volume_zero_silences(self):
        self.status_becomes("Playing")
        self.assertEqual(self.playerctl("volume"), "0.500000")
        t = self.command("volume", "0")
        wait_silent(self, t)
        t = self.command("volume", "0.8")
        wait_heard(self, self.TRACKS, self.playing(), None, t)
        self.assertEqual(self.playerctl("volume"), "0.800000")
        self.command("volume", "0.5")


class StopAndQuit(BusPlayer):
    """Stop, then Quit, on a player of its own: Quit ends it."""

    def test_stop_then_quit_ends_the_player(self):
        self.status_becomes("Playing")
        t = self.command("stop")
        self.status_becomes("Stopped")
        wait_silent(self, t)
        subprocess.run(["dbus-send", "--session", "--print-reply", f"--dest={SERVICE}",
                        "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Quit"],
                       env=self.desktop.env, check=True, capture_output=True, timeout=10)
        self.assertEqual(self.proc.wait(10), 0)
        self.assertEqual(self.playerctl("-l"), "")


class BusDuringOpenError(unittest.TestCase):
    """A track that no longer opens brings up the window's "Open Error" box; the bus still answers
    every call at once, and Quit ends the player."""

    def test_calls_answer_while_the_box_is_up_and_quit_ends_the_player(self):
        with tempfile.TemporaryDirectory(prefix="tonalisk-e2e-") as tmp:
            app = os.path.join(tmp, "player")
            install_player(app, [Track("alpha.wav", "wav", 1600, 20)])
            with Desktop(tmp) as desktop:
                desktop.start_session_bus()
                proc = desktop.start([os.path.join(app, "tonalisk")], app)

                def bus(*call, timeout_ms=2000):
                    started = time.monotonic()
                    done = subprocess.run(
                        ["dbus-send", "--session", "--print-reply", f"--reply-timeout={timeout_ms}",
                         f"--dest={SERVICE}", "/org/mpris/MediaPlayer2", *call],
                        env=desktop.env, capture_output=True, text=True, timeout=30)
                    took = time.monotonic() - started
                    log(f"$ dbus-send {call[0]}: rc {done.returncode} in {took:.2f} s")
                    return done.returncode

                player = "org.mpris.MediaPlayer2.Player"
                self.assertTrue(wait_until(lambda: bus(f"{player}.Stop") == 0, 10))
                with open(os.path.join(app, "alpha.wav"), "wb") as broken:
                    broken.write(b"not a sound file at all" * 8)
                self.assertEqual(bus(f"{player}.Next"), 0, "Next waited for the box")
                self.assertTrue(wait_until(lambda: subprocess.run(
                    ["xdotool", "search", "--onlyvisible", "--name", "^Tonalisk$"],
                    env=desktop.env, capture_output=True, text=True).stdout.split().__len__() >= 2,
                    5), "no Open Error box beside the window")
                for call in ([f"{player}.PlayPause"], [f"{player}.Next"],
                             ["org.freedesktop.DBus.Properties.Get", "string:" + player,
                              "string:PlaybackStatus"]):
                    self.assertEqual(bus(*call), 0, call[0])
                self.assertIsNone(proc.poll())
                self.assertEqual(bus("org.mpris.MediaPlayer2.Quit"), 0)
                self.assertEqual(proc.wait(10), 0)
                proc.stdout.close()


class BusDuringStartUpOpenError(unittest.TestCase):
    """The only file does not open, so the "Open Error" box comes up as the player starts: the
    player is on the bus already, answers while the box waits, and Quit ends it."""

    def test_the_bus_answers_while_the_start_up_box_is_up(self):
        with tempfile.TemporaryDirectory(prefix="tonalisk-e2e-") as tmp:
            app = os.path.join(tmp, "player")
            install_player(app, [])
            with open(os.path.join(app, "broken.mp3"), "wb") as broken:
                broken.write(b"not a sound file at all" * 8)
            with Desktop(tmp) as desktop:
                desktop.start_session_bus()
                proc = desktop.start([os.path.join(app, "tonalisk")], app)
                self.assertTrue(wait_until(lambda: subprocess.run(
                    ["xdotool", "search", "--onlyvisible", "--name", "^Tonalisk$"],
                    env=desktop.env, capture_output=True, text=True).stdout.strip() != "", 10),
                    "no Open Error box")
                status = subprocess.run(
                    ["dbus-send", "--session", "--print-reply", "--reply-timeout=2000",
                     f"--dest={SERVICE}", "/org/mpris/MediaPlayer2",
                     "org.freedesktop.DBus.Properties.Get",
                     "string:org.mpris.MediaPlayer2.Player", "string:PlaybackStatus"],
                    env=desktop.env, capture_output=True, text=True, timeout=30)
                log(f"PlaybackStatus during the box: {status.stdout.strip()} {status.stderr.strip()}")
                self.assertEqual(status.returncode, 0, status.stderr)
                subprocess.run(["dbus-send", "--session", "--print-reply", f"--dest={SERVICE}",
                                "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Quit"],
                               env=desktop.env, check=True, capture_output=True, timeout=10)
                self.assertEqual(proc.wait(10), 0)
                proc.stdout.close()


class WaylandHeadless(unittest.TestCase):
    """Under a Wayland compositor without a screen, on Qt's Wayland platform, the player plays."""

    def test_plays_under_weston(self):
        track = Track("alpha.wav", "wav", 1600, 20)
        with tempfile.TemporaryDirectory(prefix="tonalisk-e2e-") as tmp:
            app = os.path.join(tmp, "player")
            install_player(app, [track])
            with Desktop(tmp) as desktop:
                runtime = desktop.env["XDG_RUNTIME_DIR"]
                os.chmod(runtime, 0o700)
                weston = subprocess.Popen(
                    ["weston", "--backend=headless-backend.so", "--socket=wayland-e2e",
                     "--idle-time=0"], env=desktop.env, stdout=subprocess.DEVNULL,
                    stderr=subprocess.DEVNULL)
                desktop.procs.append(weston)
                self.assertTrue(wait_until(
                    lambda: os.path.exists(os.path.join(runtime, "wayland-e2e")), 10))
                desktop.env.pop("DISPLAY")
                desktop.env.update(QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY="wayland-e2e")
                rec = desktop.record(os.path.join(tmp, "capture.raw"))
                launched = rec.now()
                proc = desktop.start([os.path.join(app, "tonalisk")], app)
                first = wait_sound(rec, launched)
                alive = proc.poll() is None
                proc.terminate()
                output = proc.communicate(timeout=5)[0].decode(errors="replace")
        log(f"under weston: first sound {first and first - launched:.3} s after start, "
            f"still running {alive}; output {output.strip()!r}")
        self.assertTrue(alive, output)
        self.assertIsNotNone(first, "no sound under Wayland")


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
