"""A private desktop for the end-to-end tests: an X server with a window manager, a sound server with
a null sink, and a recorder on the sink's monitor. Nothing outside the temporary folder is touched."""
import os
import signal
import subprocess
import time

from .sound_server import CHANNELS, RATE, SINK, PulseServer
from .sound_server import wait_for as _wait_for


class Desktop:
    def __init__(self, folder, with_sound=True, server=PulseServer, prompt=True, size=(1280, 800)):
        """server: the sound server's class; prompt: see PulseServer.start; size: the screen's."""
        self.folder = folder
        self.size = size
        self.with_sound = with_sound
        self.server, self.prompt = server, prompt
        self.pulse = None
        self.procs = []
        self.env = dict(os.environ)
        # No session bus unless a test starts one: the player never reaches the user's own.
        self.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(folder, "no-session-bus")

    def __enter__(self):
        try:
            self._start_x()
            self._start_window_manager()
            if self.with_sound:
                self._start_pulse()
            else:
                # No server at all: every audio back end must fail and the engine must carry on.
                self.env["PULSE_SERVER"] = "unix:" + os.path.join(self.folder, "no-such-socket")
                self.env["SDL_AUDIODRIVER"] = "pulseaudio"
        except BaseException:
            # What did start must not outlive the test: it would hold the runner's output open.
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(3)
                except subprocess.TimeoutExpired:
                    p.kill()
        if self.pulse:
            self.pulse.stop()

    def _start_x(self):
        r, w = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0",
                                 "%dx%dx24" % self.size,
                                 "-nolisten", "tcp"], pass_fds=[w], stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        self.procs.append(xvfb)
        self.env["DISPLAY"] = ":" + number
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.env.pop("WAYLAND_DISPLAY", None)

    def _start_window_manager(self):
        # Its own empty configuration folder: the stock settings, never the user's.
        config = os.path.join(self.folder, "wm-config")
        os.makedirs(config, exist_ok=True)
        def managed():
            return "window id" in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                                 env=self.env, capture_output=True,
                                                 text=True).stdout

        # On a loaded machine openbox now and then never takes the screen: it is started again.
        for attempt in range(3):
            wm = subprocess.Popen(["openbox", "--sm-disable"],
                                  env=dict(self.env, XDG_CONFIG_HOME=config),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.procs.append(wm)
            try:
                _wait_for(lambda: managed() or wm.poll() is not None, 10, "the window manager")
                if managed():
                    return
            except RuntimeError:
                pass
            wm.kill()
            wm.wait()
        raise RuntimeError("the window manager did not start")

    def _start_pulse(self):
        self.pulse = self.server(self.folder).start(self.prompt)
        self.socket = self.pulse.socket
        self.env.update(self.pulse.env, SDL_AUDIODRIVER="pulseaudio")

    def start_session_bus(self):
        """A private session bus, listening in the temporary folder, for what starts after it.
        What it starts (the accessibility bus) keeps its files in the desktop's runtime folder."""
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address",
                                f"--address=unix:dir={self.folder}"], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True, env=self.env)
        self.procs.append(bus)
        with bus.stdout:
            self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()

    def record(self, path):
        """Starts recording the null sink; returns the Recording."""
        return Recording(self, path)

    def start(self, args, cwd):
        p = subprocess.Popen(args, cwd=cwd, env=self.env, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT)
        self.procs.append(p)
        return p


class Recording:
    """Raw s16le stereo from the sink's monitor; sample k was played about `started + k / RATE`."""

    def __init__(self, desktop, path):
        self.path = path
        self.file = open(path, "wb")
        self.proc = subprocess.Popen(
            ["parec", "-d", SINK + ".monitor", "--format=s16le", f"--rate={RATE}",
             f"--channels={CHANNELS}", "--raw", "--latency-msec=20"],
            env=desktop.env, stdout=self.file)
        desktop.procs.append(self.proc)
        _wait_for(lambda: os.path.getsize(path) > 0, 5, "the recorder")
        # The recorder runs from here: its first byte came with its first fragment.
        self.started = time.monotonic() - os.path.getsize(path) / (RATE * CHANNELS * 2)

    def seconds(self):
        return os.path.getsize(self.path) / (RATE * CHANNELS * 2)

    def now(self):
        """Recording time of the present moment."""
        return time.monotonic() - self.started

    def samples(self):
        import numpy as np
        self.file.flush()
        data = np.fromfile(self.path, dtype="<i2")
        data = data[: len(data) // CHANNELS * CHANNELS]
        return data.reshape(-1, CHANNELS).astype(np.float64) / 32768.0
