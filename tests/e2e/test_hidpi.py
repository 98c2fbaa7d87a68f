"""The player on a screen at twice the usual pixel density (Qt's scale factor 2): the window opens
on the screen, and the buttons show the pictures drawn at twice the size, pixel for pixel, not
the usual ones enlarged."""
import os
import subprocess
import sys
import tempfile
import time
import unittest

import numpy as np

from harness import design
from harness.audio import Track
from harness.desktop import Desktop
from harness.player import install_player, log
from harness.screen import Screen

PICTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "ui", "pictures")
SCALE = 2
SCREEN = (1920, 1600)  # 960 x 800 logical pixels: too narrow for the designed place (731, 26)
PLAY_BTN = design.place("PlayBtn")[:2]  # client-area pixels at scale 1


def picture(name):
    """A picture as rows of RGBA pixels."""
    path = os.path.join(PICTURES, name)
    size = subprocess.run(["identify", "-format", "%w %h", path], check=True,
                          capture_output=True, text=True).stdout.split()
    raw = subprocess.run(["convert", path, "rgba:-"], check=True, capture_output=True).stdout
    return np.frombuffer(raw, dtype=np.uint8).reshape(int(size[1]), int(size[0]), 4)


class DoubleDensity(unittest.TestCase):
    def test_window_on_the_screen_and_the_play_button_sharp(self):
        with tempfile.TemporaryDirectory(prefix="tonalisk-e2e-") as tmp:
            app = os.path.join(tmp, "player")
            install_player(app, [Track("alpha.wav", "wav", 1600, 20)])
            with Desktop(tmp, with_sound=False, size=SCREEN) as desktop:
                desktop.env["QT_SCALE_FACTOR"] = str(SCALE)
                desktop.start([os.path.join(app, "tonalisk")], app)
                screen = Screen(desktop.env)
                win = screen.window("Tonalisk")
                self.assertIsNotNone(win, "the main window did not appear")
                time.sleep(1.0)  # the first paint
                x, y = screen.origin(win)
                geometry = win.get_geometry()
                log(f"client area at ({x}, {y}), {geometry.width} x {geometry.height}")
                self.assertEqual((geometry.width, geometry.height),
                                 tuple(n * SCALE for n in design.size("Form1")))
                self.assertTrue(0 <= x and x + geometry.width <= SCREEN[0], x)
                self.assertTrue(0 <= y and y + geometry.height <= SCREEN[1], y)

                # The track plays: the play button shows the pause picture.
                pause = picture("pause@2x.gif")
                height, width = pause.shape[:2]
                self.assertEqual((width, height), tuple(n * SCALE for n in design.size("PauseImg")))
                left, top = x + PLAY_BTN[0] * SCALE, y + PLAY_BTN[1] * SCALE
                shown = screen.shot()[top:top + height, left:left + width]
                opaque = pause[..., 3] == 255
                if os.environ.get("TONALISK_KEEP_SHOT"):
                    screen.save(os.environ["TONALISK_KEEP_SHOT"])
                differing = np.any(shown[opaque] != pause[..., :3][opaque], axis=1).sum()
                self.assertEqual(differing, 0, f"{differing} of {opaque.sum()} pixels differ")


if __name__ == "__main__":
    unittest.main(verbosity=2, argv=[sys.argv[0]])
