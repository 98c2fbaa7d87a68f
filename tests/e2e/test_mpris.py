"""The real player on a private session bus, driven by playerctl as media keys and desktop panels
drive it, checked by what the null sink played; and the player under a headless Wayland compositor."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

from harness.audio import Track
from harness.desktop import Desktop
from harness.player import install_player, log, wait_heard, wait_sound, wait_until

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
        cls.prepare_tracks()
        cls.desktop = Desktop(cls.tmp).__enter__()
        cls.desktop.start_session_bus()
        cls.rec = cls.desktop.record(os.path.join(cls.tmp, "capture.raw"))
        cls.proc = cls.desktop.start([os.path.join(cls.app, "tonalisk")], cls.app)

    @classmethod
    def prepare_tracks(cls):
        """What a class does to its tracks once they are written, before the player starts."""

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

    def position(self):
        return float(self.playerctl("position"))


class PlayerctlSession(BusPlayer):
    """The player commanded through the bus; each step stands alone."""

    def test_1_status_title_and_length_are_those_of_the_track_heard(self):
        self.status_becomes("Playing")
        title = self.playerctl("metadata", "xesam:title")
        self.assertIn(title, ("alpha", "bravo"))
        self.assertEqual(self.playerctl("metadata", "mpris:length"), "20000000")
        self.assertTrue(self.playerctl("metadata", "xesam:url").endswith(f"/player/{title}.wav"))
        wait_heard(self, self.TRACKS, f"{title}.wav", None, 0.0)

    # Pause, stop and the volume are heard where a hand drives them (test_player.py); here the
    # engine's state, its place and its stream's volume show that the bus reached the same handler.
    def test_2_pause_holds_the_place_and_play_goes_on(self):
        self.command("pause")
        self.status_becomes("Paused")
        held = self.position()
        time.sleep(0.5)
        self.assertAlmostEqual(self.position(), held, delta=0.2)
        self.command("play")
        self.status_becomes("Playing")
        self.assertTrue(wait_until(lambda: self.position() > held + 0.3, 5.0))

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

    def test_5_volume_zero_reaches_the_stream(self):
        volumes = self.desktop.pulse.stream_volumes
        self.status_becomes("Playing")
        self.assertEqual(self.playerctl("volume"), "0.500000")
        self.command("volume", "0")
        self.assertTrue(wait_until(lambda: volumes() == [0], 5.0), volumes())
        self.assertEqual(self.playerctl("volume"), "0.000000")
        self.command("volume", "0.8")
        self.assertTrue(wait_until(lambda: len(volumes()) == 1 and volumes()[0] > 0, 5.0),
                        volumes())
        self.assertEqual(self.playerctl("volume"), "0.800000")
        self.command("volume", "0.5")


class StopAndQuit(BusPlayer):
    """Stop, then Quit, on a player of its own: Quit ends it."""

    def test_stop_then_quit_ends_the_player(self):
        self.status_becomes("Playing")
        self.command("stop")
        self.status_becomes("Stopped")
        subprocess.run(["dbus-send", "--session", "--print-reply", f"--dest={SERVICE}",
                        "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Quit"],
                       env=self.desktop.env, check=True, capture_output=True, timeout=10)
        self.assertEqual(self.proc.wait(10), 0)
        self.assertEqual(self.playerctl("-l"), "")


def png_image(width, height):
    """A PNG image of a colour gradient, as a tagger would embed a cover."""
    rows = b"".join(b"\0" + bytes(value for x in range(width)
                                   for value in (x * 255 // width, y * 255 // height, (x ^ y) & 0xFF))
                    for y in range(height))

    def chunk(kind, body):
        return (len(body).to_bytes(4, "big") + kind + body
                + zlib.crc32(kind + body).to_bytes(4, "big"))
    header = width.to_bytes(4, "big") + height.to_bytes(4, "big") + bytes((8, 2, 0, 0, 0))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


def embed_cover(path, picture):
    """Puts an ID3v2.3 tag with `picture` as the front cover (an APIC frame) in front of the MP3
    at path, in place of the tag it has."""
    with open(path, "rb") as f:
        audio = f.read()
    if audio.startswith(b"ID3"):
        audio = audio[10 + sum((audio[6 + i] & 0x7F) << (7 * (3 - i)) for i in range(4)):]
    body = b"\0image/png\0\x03\0" + picture
    frames = b"APIC" + len(body).to_bytes(4, "big") + b"\0\0" + body
    size = bytes((len(frames) >> shift) & 0x7F for shift in (21, 14, 7, 0))
    with open(path, "wb") as f:
        f.write(b"ID3\x03\0\0" + size + frames + audio)


class EmbeddedCover(BusPlayer):
    """One track with an embedded cover and one without: the bus's art is the cover's bytes from a
    file of their own for the one, the player's icon for the other, and the cover's file goes with
    its track."""

    TRACKS = [Track("cover.mp3", "mp3", 1600, 20), Track("plain.wav", "wav", 3300, 20)]
    COVER = png_image(200, 200)

    @classmethod
    def prepare_tracks(cls):
        embed_cover(os.path.join(cls.app, "cover.mp3"), cls.COVER)

    def art(self):
        """The title playing, and the path and bytes of its art's file."""
        def art_file():
            url = self.playerctl("metadata", "mpris:artUrl")
            return url[len("file://"):] if url.startswith("file://") else ""
        self.assertTrue(wait_until(lambda: os.path.isfile(art_file()), 10.0))
        path = art_file()
        self.assertEqual(os.path.dirname(path), self.desktop.env["XDG_RUNTIME_DIR"])
        with open(path, "rb") as f:
            return self.playerctl("metadata", "xesam:title"), path, f.read()

    def test_the_cover_while_its_track_plays_the_icon_after(self):
        self.status_becomes("Playing")
        seen, last = {}, None
        for _ in range(60):  # random picks, until the cover's track has given way to the other
            title, path, picture = self.art()
            seen[title] = picture
            if last and last[0] == "cover" and title == "plain":
                self.assertFalse(os.path.exists(last[1]), "the cover's file goes with its track")
                break
            last = (title, path)
            before = self.playerctl("metadata", "mpris:trackid")
            self.playerctl("next")
            self.assertTrue(wait_until(
                lambda: self.playerctl("metadata", "mpris:trackid") != before, 10.0))
        self.assertEqual(seen.get("cover"), self.COVER)
        self.assertEqual(seen.get("plain", b"")[:8], b"\x89PNG\r\n\x1a\n", "the icon")
        self.assertNotEqual(seen["plain"], self.COVER, "the icon, not the cover")


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
