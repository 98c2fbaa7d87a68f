"""The player with Orca, the screen reader, as a blind user drives it: keys only (xdotool key, no
mouse event at all), what Orca spoke (its debug log), what the window then shows and what the null
sink played."""
import os
import re
import sys
import time
import unittest

from harness.accessible import PAUSED, PLAYING, STOPPED, status_bar_says
from harness.audio import Track
from harness.player import find_main_window, install_player, launch, log, shut_down, wait_heard
from harness.screen_reader import Orca


class OrcaSession(unittest.TestCase):
    """One player on one track (which the random button therefore plays from its start) and a
    folder beside it; each step goes on from where the last left the focus."""

    TRACKS = [Track("alpha.wav", "wav", 1600, 60)]
    MORE = Track("charlie.wav", "wav", 5000, 30)

    @classmethod
    def setUpClass(cls):
        def with_reader(session):
            session.desktop.start_session_bus()
            session.orca = Orca(session.desktop, session.tmp).start()

        try:
            launch(cls, cls.TRACKS,
                   lambda app: install_player(os.path.join(app, "more"), [cls.MORE]),
                   before_start=with_reader)
            find_main_window(cls)
            # This process reads the accessibility bus of the desktop's own session bus.
            os.environ["DBUS_SESSION_BUS_ADDRESS"] = cls.desktop.env["DBUS_SESSION_BUS_ADDRESS"]
            # The list holds the focus when the window opens, and Orca says so.
            said = cls.orca.said(0, 30, lambda spoken: any("Music files" in s for s in spoken))
            assert any("Music files" in s for s in said), f"Orca did not find the window: {said}"
        except BaseException:
            # tearDownClass is not run after a failed setUpClass; nothing may outlive the test.
            if hasattr(cls, "desktop"):
                shut_down(cls)
            raise

    @classmethod
    def tearDownClass(cls):
        shut_down(cls)

    def key(self, *keys, within=6.0, until=lambda spoken: spoken):
        """Presses keys; returns what Orca then spoke."""
        since = self.orca.mark()
        self.screen.key(*keys)
        said = self.orca.said(since, within, until)
        log(f"  {' '.join(keys)}: {said}")
        return said

    def tab_to(self, name):
        """Tabs until Orca names the control that took the focus; returns what it spoke there.
        Each Tab waits for Orca to finish speaking, and is judged by all that was spoken since the
        Tab before it (a busy Orca says a stop's description late)."""
        before = self.orca.mark()
        for _ in range(9):
            since = self.orca.mark()
            self.screen.key("Tab")
            log(f"  Tab: {self.orca.settled(since)}")
            said = self.orca.spoken(before)
            if any(s.startswith(name) for s in said):
                return said
            before = since
        self.fail(f"Tab never reached {name!r}")

    def test_1_each_tab_stop_is_spoken_by_its_name(self):
        stops = ["Position slider", "現在の状況：再生中", "Volume slider 50", "Visualization image",
                 "Pause push button", "Stop push button", "Random track push button",
                 "Music files"]
        for name in stops:
            said = self.key("Tab", until=lambda spoken: any(s.startswith(name) for s in spoken))
            self.assertTrue(any(s.startswith(name) for s in said), (name, said))

    def test_2_title_and_status_bar_commands(self):
        said = self.key("Insert+KP_Enter", until=lambda spoken: "Tonalisk" in spoken)
        self.assertIn("Tonalisk", said)
        status = "現在の状況：再生中"
        # Orca speaks the panels one after the other, the elapsed time last: wait for both, or a
        # slow reader's time is heard only under the next test.
        def state_and_time(spoken):
            return (any(s.startswith(status) for s in spoken) and
                    any(re.fullmatch(r"\d+:\d\d\.?", s) for s in spoken))
        said = self.key("Insert+KP_Enter", "Insert+KP_Enter", until=state_and_time)
        self.assertTrue(any(s.startswith(status) for s in said), said)
        self.assertTrue(any(re.fullmatch(r"\d+:\d\d\.?", s) for s in said), said)
        # Its Japanese text says so over the accessibility bus, so that a reader can switch voices
        # (Orca 43 does not for a status bar's labels yet).
        import pyatspi
        app = next(a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "tonalisk")
        bar = pyatspi.findDescendant(app, lambda node: node.getRole() == pyatspi.ROLE_STATUS_BAR)
        runs = [bar[i].queryText().getAttributeRun(0, False) for i in range(bar.childCount)]
        log(f"  status bar panels' first runs: {runs}")
        self.assertEqual(list(runs[0]), [["language:ja"], 0, len(status)])
        self.assertEqual(runs[1][0], [])

    def test_3_seek_bar_says_nothing_while_it_follows_and_its_keys_seek(self):
        said = self.tab_to("Position slider")
        before = int(re.search(r"(\d+)", next(s for s in said if s.startswith("Position slider")))
                     .group(1))
        since = self.orca.mark()
        time.sleep(3.5)
        # A busy Orca may still say the stop's description now: only a value would be the bar's.
        told = [s for s in self.orca.spoken(since) if s.strip().isdigit()]
        self.assertEqual(told, [], "the bar told the seconds of playback")
        t = self.rec.now()
        said = self.key("Page_Up", until=lambda spoken: any(s.isdigit() for s in spoken))
        target = int(next(s for s in said if s.isdigit()))
        self.assertGreater(target, before + 3)
        wait_heard(self, self.TRACKS, "alpha.wav", target, t)
        t = self.rec.now()
        said = self.key("Home", until=lambda spoken: "0" in spoken)
        self.assertIn("0", said)
        wait_heard(self, self.TRACKS, "alpha.wav", 0, t)

    # Pause and stop are heard where a hand clicks them (test_player.py); here the status bar
    # (the engine's state as the window polled it) shows that each key reached the same handler.
    def test_4_space_pauses_and_plays_where_the_keys_are(self):
        self.key("space")
        self.assertTrue(status_bar_says(PAUSED))
        self.key("space")
        self.assertTrue(status_bar_says(PLAYING))

    def test_5_the_picture_buttons_by_their_keys(self):
        self.tab_to("Pause push button")
        self.key("Return")
        self.assertTrue(status_bar_says(PAUSED))
        self.key("space")
        self.assertTrue(status_bar_says(PLAYING))
        self.tab_to("Stop push button")
        self.key("space")
        self.assertTrue(status_bar_says(STOPPED))
        self.tab_to("Random track push button")
        t = self.rec.now()
        self.key("Return")
        wait_heard(self, self.TRACKS, "alpha.wav", 0, t)

    def test_6_the_folder_window_by_its_keys(self):
        self.tab_to("Music files")
        said = self.key("Menu", until=lambda spoken: any("FolderSelect" in s for s in spoken))
        self.assertIsNotNone(self.screen.window("FolderSelect", timeout=5))
        said = self.key("Tab", until=lambda spoken: any(s.startswith("Folders") for s in spoken))
        self.assertTrue(any(s.startswith("Folders") for s in said), said)
        said = self.key("End", until=lambda spoken: any("more" in s for s in spoken))
        self.key("Return")  # opens "more"
        said = self.key("Tab", until=lambda spoken: any(s.startswith("OK") for s in spoken))
        self.assertTrue(any(s.startswith("OK") for s in said), said)
        self.key("space")
        deadline = time.monotonic() + 5
        while self.screen.window("FolderSelect", timeout=0) and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertIsNone(self.screen.window("FolderSelect", timeout=0))
        # Back in the main window's list, now of the chosen folder: the first entry plays.
        t = self.rec.now()
        self.key("Down")
        wait_heard(self, self.TRACKS + [self.MORE], "charlie.wav", 0, t)


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
