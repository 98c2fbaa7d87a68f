"""A private PulseAudio (or PipeWire) with a null sink on a socket of its own, which a test can kill,
freeze and start again on the same socket, as a desktop's sound server restarts, and whose sink
it can take away and bring back, as a headset is pulled out and plugged in."""
import ctypes
import json
import os
import re
import signal
import subprocess
import tempfile
import time

RATE = 48000
CHANNELS = 2
SINK = "e2e"


def wait_for(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.05)
    raise RuntimeError(f"timed out waiting for {what}")


def kill_sink_input(server, index):
    """pa_context_kill_sink_input, through libpulse's own main loop."""
    pa = ctypes.CDLL("libpulse.so.0")
    p, u32 = ctypes.c_void_p, ctypes.c_uint32
    for name, result, args in (("pa_mainloop_new", p, []), ("pa_mainloop_get_api", p, [p]),
                               ("pa_mainloop_iterate", ctypes.c_int, [p, ctypes.c_int, p]),
                               ("pa_mainloop_free", None, [p]),
                               ("pa_context_new", p, [p, ctypes.c_char_p]),
                               ("pa_context_connect", ctypes.c_int,
                                [p, ctypes.c_char_p, ctypes.c_int, p]),
                               ("pa_context_get_state", ctypes.c_int, [p]),
                               ("pa_context_kill_sink_input", p, [p, u32, p, p]),
                               ("pa_operation_get_state", ctypes.c_int, [p]),
                               ("pa_operation_unref", None, [p]),
                               ("pa_context_disconnect", None, [p]),
                               ("pa_context_unref", None, [p])):
        getattr(pa, name).restype, getattr(pa, name).argtypes = result, args
    ready, failed, running = 4, 5, 0
    loop = pa.pa_mainloop_new()
    context = pa.pa_context_new(pa.pa_mainloop_get_api(loop), b"fault")
    try:
        assert pa.pa_context_connect(context, server.encode(), 0, None) == 0
        while pa.pa_context_get_state(context) not in (ready, failed):
            pa.pa_mainloop_iterate(loop, 1, None)
        assert pa.pa_context_get_state(context) == ready, "cannot reach the server"
        operation = pa.pa_context_kill_sink_input(context, index, None, None)
        while pa.pa_operation_get_state(operation) == running:
            pa.pa_mainloop_iterate(loop, 1, None)
        pa.pa_operation_unref(operation)
    finally:
        pa.pa_context_disconnect(context)
        pa.pa_context_unref(context)
        pa.pa_mainloop_free(loop)


class Sinks:
    """The server's one null sink, through pactl (for either server)."""

    def pactl(self, *args):
        return subprocess.run(["pactl", *args], env=dict(os.environ, **self.env), check=True,
                              capture_output=True, text=True).stdout

    def unload_sink(self):
        for line in self.pactl("list", "short", "modules").splitlines():
            if f"sink_name={SINK}" in line:
                self.pactl("unload-module", line.split()[0])

    def load_sink(self):
        self.pactl("load-module", "module-null-sink", f"sink_name={SINK}", f"rate={RATE}",
                   f"channels={CHANNELS}")
        # The sink's node may appear a moment after the module is loaded.
        wait_for(lambda: subprocess.run(["pactl", "set-default-sink", SINK],
                                        env=dict(os.environ, **self.env),
                                        capture_output=True).returncode == 0, 10, "the null sink")
        self.prompt_sink()

    def prompt_sink(self):
        pass

    def streams(self):
        """Indexes of the playback streams of clients."""
        return [int(line.split()[0]) for line in self.pactl("list", "short", "sink-inputs")
                .splitlines() if "protocol-native" in line or "PipeWire" in line]

    def stream_volumes(self):
        """The volume of each client's playback stream on the server, its loudest channel's
        (0 is silence, 65536 full)."""
        return [max(channel["value"] for channel in stream["volume"].values())
                for stream in json.loads(self.pactl("-f", "json", "list", "sink-inputs"))
                if stream["driver"] in ("protocol-native.c", "PipeWire")]

    def kill_stream(self, index):
        """Ends a client's stream as a volume panel does (pactl cannot)."""
        kill_sink_input(self.env["PULSE_SERVER"], index)


class PulseServer(Sinks):
    def __init__(self, folder):
        self.runtime = os.path.join(folder, "pulse")
        os.makedirs(self.runtime, exist_ok=True)
        self.socket = os.path.join(self.runtime, "native")
        # What a client of this server needs in its environment.
        self.env = {"PULSE_SERVER": "unix:" + self.socket, "XDG_RUNTIME_DIR": self.runtime,
                    "HOME": self.runtime, "PULSE_RUNTIME_PATH": self.runtime}
        self.proc = None

    def start(self, prompt=True, sink=True):
        """prompt: a silent loopback into the sink keeps the null sink's latency short, as a
        sound card's is; left alone it renders up to two seconds ahead, and its monitor hears a
        stream that joins late only that much later. sink: False starts a server without any."""
        env = dict(os.environ, **self.env)
        env.pop("PULSE_SERVER")
        self.prompt = prompt
        self.proc = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
             "--use-pid-file=no", "--system=no",
             "-L", f"module-null-source source_name=quiet rate={RATE} channels={CHANNELS}",
             "-L", f"module-native-protocol-unix auth-anonymous=1 socket={self.socket}"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        client = dict(os.environ, **self.env)
        try:
            wait_for(lambda: subprocess.run(["pactl", "info"], env=client,
                                            capture_output=True).returncode == 0, 10, "pulseaudio")
            if sink:
                self.load_sink()
        except RuntimeError:
            self.stop()  # a server that came up too slowly is not left behind
            raise
        return self

    def prompt_sink(self):
        if self.prompt:
            self.pactl("load-module", "module-loopback", "source=quiet", f"sink={SINK}",
                       "latency_msec=20")

    def pids(self):
        return [self.proc.pid]

    def kill(self):
        """Ends the server at once, as a crash does."""
        self.proc.kill()
        self.proc.wait()

    def freeze(self):
        self.proc.send_signal(signal.SIGSTOP)

    def thaw(self):
        self.proc.send_signal(signal.SIGCONT)

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.thaw()
            self.proc.terminate()
            try:
                self.proc.wait(3)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class PipeWireServer(Sinks):
    """PipeWire with its PulseAudio front end and session manager, on a private D-Bus session and
    runtime folder, with the same null sink as PulseServer."""

    def __init__(self, folder):
        # A fresh folder each time: WirePlumber keeps state there that a new server would inherit.
        self.runtime = tempfile.mkdtemp(prefix="pipewire-", dir=folder)
        self.socket = os.path.join(self.runtime, "pulse", "native")
        self.env = {"PULSE_SERVER": "unix:" + self.socket, "XDG_RUNTIME_DIR": self.runtime,
                    "HOME": self.runtime}
        self.procs = []
        self.proc = None

    def start(self, prompt=True, sink=True, tries=3):
        """A session manager that starts on a busy machine sometimes never offers the default
        sink's setting (pactl: "Not supported"): then the whole server starts again."""
        for attempt in range(tries):
            try:
                return self._start(sink)
            except RuntimeError:
                self.stop()
                if attempt == tries - 1:
                    raise

    def _start(self, sink):
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, text=True)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        self.procs = [bus]
        env = dict(os.environ, **self.env)
        env.pop("PULSE_SERVER")
        for program in ("pipewire", "wireplumber", "pipewire-pulse"):
            self.procs.append(subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL))
        self.proc = self.procs[1]
        client = dict(os.environ, **self.env)
        wait_for(lambda: subprocess.run(["pactl", "info"], env=client,
                                        capture_output=True).returncode == 0, 10, "pipewire-pulse")
        if sink:
            self.load_sink()
        return self

    def kill_stream(self, index):
        """Destroys the stream's node, as PipeWire's own tools do. pactl's index is the node's
        serial number, not its id."""
        env = dict(os.environ, **self.env)
        nodes = subprocess.run(["pw-cli", "ls", "Node"], env=env, check=True, capture_output=True,
                               text=True).stdout
        node = re.search(r"id (\d+),[^\n]*\n\s*object\.serial = \"%d\"" % index, nodes).group(1)
        subprocess.run(["pw-cli", "destroy", node], env=env, check=True, capture_output=True)

    def kill(self):
        for p in self.procs[1:]:
            p.kill()
            p.wait()
        self.procs[0].terminate()
        self.procs[0].wait()
        # Its socket stays behind, as after a crash; a new server takes it over.

    def freeze(self):
        for pid in self.pids():
            os.kill(pid, signal.SIGSTOP)

    def thaw(self):
        for pid in self.pids():
            os.kill(pid, signal.SIGCONT)

    def pids(self):
        """The processes that make up the server (the bus left out)."""
        return [p.pid for p in self.procs[1:]]

    def stop(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                os.kill(p.pid, signal.SIGCONT)
                p.terminate()
                try:
                    p.wait(3)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
