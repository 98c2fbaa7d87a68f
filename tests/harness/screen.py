"""The player's windows as a person sees and handles them: screenshots, clicks, keys, titles."""
import subprocess
import time

import numpy as np
from Xlib import X, display, protocol


class Screen:
    def __init__(self, env):
        self.env = env
        self.x = display.Display(env["DISPLAY"])

    def clients(self):
        """The managed top-level windows (the window manager's list), mapped ones only."""
        listed = self.x.screen().root.get_full_property(self.x.intern_atom("_NET_CLIENT_LIST"),
                                                        X.AnyPropertyType)
        out = []
        for wid in (listed.value if listed else []):
            w = self.x.create_resource_object("window", wid)
            try:
                if w.get_attributes().map_state == X.IsViewable:
                    out.append(w)
            except Exception:
                pass
        return out

    def window(self, title, timeout=10):
        """The top-level window, not a message box, whose title is `title` (waits for it)."""
        deadline = time.monotonic() + timeout
        while True:
            for w in self.clients():
                if self.title(w) == title and w not in self.boxes():
                    return w
            if time.monotonic() >= deadline:
                return None
            time.sleep(0.1)

    def title(self, window):
        """The title as the window manager shows it (UTF-8 _NET_WM_NAME, else WM_NAME)."""
        try:
            name = window.get_full_property(self.x.intern_atom("_NET_WM_NAME"),
                                            self.x.intern_atom("UTF8_STRING"))
            if name is not None:
                return name.value.decode("utf-8") if isinstance(name.value, bytes) else name.value
            return window.get_wm_name()
        except Exception:
            return None

    def boxes(self):
        """The message boxes that are up."""
        return [w for w in self.clients()
                if "_NET_WM_WINDOW_TYPE_DIALOG" in self.atoms(w, "_NET_WM_WINDOW_TYPE")]

    def titles(self):
        return [self.title(w) for w in self.clients()]

    def atoms(self, window, prop):
        """The names of the atoms in a window's property (_NET_WM_STATE, _NET_WM_ALLOWED_ACTIONS)."""
        try:
            value = window.get_full_property(self.x.intern_atom(prop), X.AnyPropertyType)
            return {self.x.get_atom_name(a) for a in (value.value if value else [])}
        except Exception:  # the window went meanwhile
            return set()

    def numbers(self, window, prop):
        """A window's property as a list of numbers (_MOTIF_WM_HINTS)."""
        value = window.get_full_property(self.x.intern_atom(prop), X.AnyPropertyType)
        return list(value.value) if value else []

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

    def press(self, x, y):
        self._xdotool("mousemove", x, y, "mousedown", 1)

    def move(self, x, y):
        self._xdotool("mousemove", x, y)

    def release(self, x, y):
        self._xdotool("mousemove", x, y, "mouseup", 1)

    def key(self, *names):
        self._xdotool("key", *names)
        time.sleep(0.05)

    def shot(self):
        """The whole screen as an array of rows of RGB pixels."""
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=self.env,
                             check=True, capture_output=True).stdout
        root = self.x.screen()
        return np.frombuffer(raw, dtype=np.uint8).reshape(root.height_in_pixels,
                                                          root.width_in_pixels, 3)

    def save(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
