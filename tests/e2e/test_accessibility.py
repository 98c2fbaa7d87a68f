"""The player as a screen reader user drives it: each control found by its name on the
accessibility bus (AT-SPI), pressed or set there, and what the window then shows, the engine's
stream and what the null sink played."""
import os
import sys
import time
import unittest

from harness import audio
from harness.accessible import PAUSED, PLAYING, STOPPED, status_bar_says
from harness.audio import Track
from harness.player import find_main_window, launch, log, shut_down, wait_until


class ScreenReaderSession(unittest.TestCase):
    """One player on one staircase track: the pitch tells the second that plays."""

    TRACKS = [Track("stair.wav", "wav", 300, 60)]

    @classmethod
    def setUpClass(cls):
        def with_accessibility_bus(session):
            session.desktop.start_session_bus()
            session.desktop.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

        launch(cls, cls.TRACKS, before_start=with_accessibility_bus)
        find_main_window(cls)
        # The reader in this process talks to the desktop's own session bus.
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = cls.desktop.env["DBUS_SESSION_BUS_ADDRESS"]
        import pyatspi
        cls.atspi = pyatspi
        cls.app = None
        wait_until(cls.find_application, 15)
        assert cls.app is not None, "the player is not on the accessibility bus"

    @classmethod
    def tearDownClass(cls):
        shut_down(cls)

    @classmethod
    def find_application(cls):
        for app in cls.atspi.Registry.getDesktop(0):
            if app is not None and app.name == "tonalisk":
                # Asked afresh each time: the player changes names as it plays.
                app.set_cache_mask(0)
                cls.app = app
                return True
        return False

    def controls(self):
        """Every control of the main window: (role name, name, states, accessible)."""
        found = []

        def walk(node):
            for child in node:
                if child is None:
                    continue
                states = child.getState()
                found.append((child.getRoleName(), child.name,
                              {"showing": states.contains(self.atspi.STATE_SHOWING),
                               "visible": states.contains(self.atspi.STATE_VISIBLE)}, child))
                walk(child)
        walk(self.app)
        return found

    def control(self, role, name, timeout=5.0):
        """The showing control of this role and name (waits for it)."""
        hit = []

        def look():
            hit[:] = [c[3] for c in self.controls()
                      if c[0] == role and c[1] == name and c[2]["showing"]]
            return bool(hit)
        self.assertTrue(wait_until(look, timeout), f"no {role} named {name!r}")
        return hit[0]

    def press(self, accessible):
        action = accessible.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        action.doAction(names.index("Press"))
        return self.rec.now()

    def heard(self, start, end):
        track, second, level = audio.sounding(self.rec.samples(), self.TRACKS, start, end)
        log(f"  {start:6.2f}-{end:6.2f} s: {track.name if track else 'nothing'} second {second}"
            f" level {level:.4f}")
        return second, level

    def listen(self, after, settle=0.4, span=0.5):
        """What played from `settle` after `after` for `span` seconds, once it has played."""
        time.sleep(max(0.0, after + settle + span + 0.2 - self.rec.now()))
        return self.heard(after + settle, after + settle + span)

    def test_1_every_control_has_a_name_and_the_holders_are_hidden(self):
        self.control("push button", "Pause", timeout=10)  # playing from start-up
        tree = self.controls()
        for role, name, states, _ in tree:
            log(f"  [{role}] {name!r} {states}")
        shown = {(role, name) for role, name, states, _ in tree if states["showing"]}
        for expected in [("push button", "Pause"), ("push button", "Stop"),
                         ("push button", "Random track"), ("slider", "Position"),
                         ("slider", "Volume"), ("image", "Visualization")]:
            self.assertIn(expected, shown)
        holders = [(name, states) for role, name, states, _ in tree if role == "image"
                   and name in ("Play", "Pause")]
        self.assertEqual(sorted(name for name, _ in holders), ["Pause", "Play"])
        self.assertFalse(any(s["showing"] or s["visible"] for _, s in holders))
        status = next(a for role, _, _, a in tree if role == "status bar")
        self.assertIn("現在の状況：再生中", status.queryText().getText(0, -1))

    # Pause, stop and the volume are heard where a hand drives them (test_player.py); here the
    # status bar (the engine's state as the window polled it) and the engine's stream show that
    # the bus reached the same handler.
    def test_2_pause_and_play_reach_the_engine(self):
        self.press(self.control("push button", "Pause"))
        play = self.control("push button", "Play")  # the button now says what a press does
        self.assertTrue(status_bar_says(PAUSED))
        self.press(play)
        self.control("push button", "Pause")
        self.assertTrue(status_bar_says(PLAYING))

    def test_3_position_set_is_heard_at_its_second(self):
        position = self.control("slider", "Position").queryValue()
        self.assertGreaterEqual(position.maximumValue, 59)
        for target in (40, 12):
            position.currentValue = target
            t = self.rec.now()
            second, _ = self.listen(t, settle=0.3, span=0.5)
            self.assertIsNotNone(second)
            self.assertLessEqual(abs(second - target), 1)
            # The bar stays where it was set: it follows playback from there.
            self.assertLessEqual(abs(position.currentValue - target), 2)

    def test_4_volume_set_to_nothing_reaches_the_stream(self):
        volume = self.control("slider", "Volume").queryValue()
        volumes = self.desktop.pulse.stream_volumes
        volume.currentValue = 0
        self.assertTrue(wait_until(lambda: volumes() == [0], 5.0), volumes())
        volume.currentValue = 80
        self.assertTrue(wait_until(lambda: len(volumes()) == 1 and volumes()[0] > 0, 5.0),
                        volumes())
        self.assertEqual(volume.currentValue, 80)

    def test_5_visualization_press_steps_its_mode(self):
        surface = self.control("image", "Visualization")
        before = surface.description
        self.press(surface)
        self.assertTrue(wait_until(lambda: surface.description != before, 5.0))
        log(f"  visualization: {before!r} -> {surface.description!r}")
        self.assertEqual((before, surface.description),
                         ("Spectrum, bars 2 pixels wide", "Spectrum, bars 2 pixels wide, 1 apart"))

    def test_6_stop_reaches_the_engine(self):
        self.press(self.control("push button", "Stop"))
        self.control("push button", "Play")
        self.assertTrue(status_bar_says(STOPPED))


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
