"""Orca, the screen reader, on a private desktop: its own home and settings, its own speech
server (speech-dispatcher with its dummy voice, on ALSA's null device), and a debug log that says
what it spoke. The desktop's session bus carries the accessibility bus that Orca and the player
meet on."""
import os
import re
import subprocess
import time

from .sound_server import wait_for

# What Orca says, as its debug log writes it; a key's echo ("tab ") is written "'tab ' {" and left
# out.
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*)'(?: voice=\w+)?\{")
# What the log shows once Orca listens to the desktop.
READY = "ORCA: Starting registry"
# Orca runs its user's customizations at start-up: there its log is written line by line, so that
# what it speaks is in the log when it speaks it, not when a buffer fills.
CUSTOMIZATIONS = """from orca import debug
if debug.debugFile:
    debug.debugFile.reconfigure(line_buffering=True)
"""


class Orca:
    def __init__(self, desktop, folder):
        self.desktop = desktop
        self.home = os.path.join(folder, "reader-home")
        self.log = os.path.join(folder, "orca.log")

    def start(self, within=30):
        config = os.path.join(self.home, ".config")
        speech = os.path.join(self.home, "speech")
        runtime = os.path.join(self.home, "runtime")
        prefs = os.path.join(self.home, "orca")
        for path in (config, speech, runtime, prefs):
            os.makedirs(path, exist_ok=True)
        with open(os.path.join(prefs, "orca-customizations.py"), "w") as customizations:
            customizations.write(CUSTOMIZATIONS)
        os.chmod(runtime, 0o700)
        with open(os.path.join(speech, "speechd.conf"), "w") as conf:
            # ALSA's null device: the voice sounds nowhere, whatever sound server there is.
            conf.write('AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\n'
                       'DisableAutoSpawn\nAudioOutputMethod "alsa"\nAudioALSADevice "null"\n')
        socket = os.path.join(runtime, "speechd.sock")
        env = dict(self.desktop.env, HOME=self.home, XDG_CONFIG_HOME=config,
                   XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
                   XDG_CACHE_HOME=os.path.join(self.home, ".cache"),
                   SPEECHD_ADDRESS="unix_socket:" + socket,
                   # Nothing of the reader's may sound into the player's sink.
                   PULSE_SERVER="unix:" + os.path.join(runtime, "no-sound-server"))
        self._start(["speech-dispatcher", "--run-single", "--timeout", "0",
                     "--communication-method", "unix_socket", "--socket-path", socket,
                     "--config-dir", speech, "--pid-file", os.path.join(speech, "pid"),
                     "--log-dir", speech], env)
        wait_for(lambda: os.path.exists(socket), within, "the speech server")
        # Orca runs once per user: one left over from elsewhere would make this one quit.
        wait_for(lambda: subprocess.run(["pgrep", "-u", str(os.getuid()), "-x", "orca"],
                                        capture_output=True).returncode != 0, within,
                 "another Orca of this user to end")
        self.proc = self._start(["orca", "--debug-file", self.log, "--user-prefs", prefs], env)
        wait_for(lambda: READY in self.text() or self.proc.poll() is not None, within, "Orca")
        if self.proc.poll() is not None:
            raise RuntimeError("Orca ended at start: " + self.text()[-2000:])
        return self

    def _start(self, args, env):
        proc = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        self.desktop.procs.append(proc)
        return proc

    def text(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def mark(self):
        """Where the log is now: what is spoken from here on is `spoken(mark)`."""
        return len(self.text())

    def spoken(self, since=0):
        return [m.group(1) for line in self.text()[since:].splitlines()
                if (m := SPOKEN.search(line))]

    def settled(self, since, within=6.0, quiet=0.6):
        """What Orca spoke since `since`, once it has spoken and then been quiet for `quiet`
        seconds, or `within` seconds pass: a busy Orca says one stop's last words after the next
        key, and drops what it had still to say of a stop that the focus has already left."""
        deadline = time.monotonic() + within
        said, changed = [], time.monotonic()
        while time.monotonic() < deadline:
            now = self.spoken(since)
            if now != said:
                said, changed = now, time.monotonic()
            elif said and time.monotonic() - changed >= quiet:
                break
            time.sleep(0.05)
        return said

    def said(self, since, within=6.0, until=lambda spoken: spoken):
        """What Orca spoke since `since`, once `until(spoken)` holds or `within` seconds pass."""
        deadline = time.monotonic() + within
        while not until(self.spoken(since)) and time.monotonic() < deadline:
            time.sleep(0.1)
        return self.spoken(since)
