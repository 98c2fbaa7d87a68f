"""The player's windows as a person sees and handles them: screenshots, clicks, keys, titles."""
import subprocess
import time

import numpy as np
from Xlib import X, display, protocol


class Screen:
    def __init__(self, env):
        self.env = env
        self.x = display.Display(env["DISPLAY"])

    def window(self, title, timeout=10):
        """The top-level window whose title is `title` (waits for it)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for w in self.x.screen().root.query_tree().children:
                try:
                    if w.get_wm_name() == title and w.get_attributes().map_state == X.IsViewable:
                        return w
                except Exception:
                    pass
            time.sleep(0.1)
        return None

    def titles(self):
        out = []
        for w in self.x.screen().root.query_tree().children:
            try:
                if w.get_attributes().map_state == X.IsViewable and w.get_wm_name():
                    out.append(w.get_wm_name())
            except Exception:
                pass
        return out

    def origin(self, window):
        """Screen position of the window's client area."""
        pos = window.translate_coords(self.x.screen().root, 0, 0)
        return -pos.x, -pos.y

    def close(self, window):
        """What a window manager sends when the user clicks the close box."""
        wm_protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=wm_protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event)
        self.x.flush()

    def _xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True)

    def click(self, x, y, button=1):
        self._xdotool("mousemove", x, y, "click", button)
        time.sleep(0.05)

    def key(self, *names):
        self._xdotool("key", *names)
        time.sleep(0.05)

    def shot(self):
        """The whole screen as an array of rows of RGB pixels."""
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=self.env,
                             check=True, capture_output=True).stdout
        return np.frombuffer(raw, dtype=np.uint8).reshape(800, 1280, 3)

    def save(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
