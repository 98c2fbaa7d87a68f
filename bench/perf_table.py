#!/usr/bin/python3
"""The player's costs beside command-line players, printed as Markdown tables.

The player (with its default visualization, the spectrum), the engine alone (bench/engine/
play_file: the C functions polled as the player polls them, no window), `ffplay -nodisp` and
`mpg123 -o pulse` each play the same generated 128 kbit/s MP3 to the null sink of a private sound
server (PulseAudio, or PipeWire with pipewire-pulse and WirePlumber) under a private Xvfb.

Costs: each player alone, on a fresh sound server without any recorder (a recorder would keep the
sink waking every few milliseconds): CPU time (user + system) over --seconds of steady play, the
sound server's own CPU time over the same span, and Private_Dirty and Pss from
/proc/PID/smaps_rollup at its end. The player once more with 10,000 files listed.
Latencies, with a recorder on the sink's monitor: process start to the first non-silent sample,
and for the player a click on a list entry (while stopped) to its first sound and the volume
slider's Home key to silence. With --repeats the best run counts. The engine_bench and midi_bench
figures of the same build join the table.

    /usr/bin/python3 bench/perf_table.py --bin build-bench/bin [--server pipewire] [--seconds 30]
"""
import argparse
import collections
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
sys.dont_write_bytecode = True  # nothing written into the source tree

LIST_TOP = 96  # the file list's top in the main window's client area
ROW_HEIGHT = 14
CLICKS = 3
TRACK_BASE_HZ = 400


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default=os.path.join(REPO, "build-bench", "bin"),
                        help="the build's bin folder: tonalisk, make_test_tone, the benchmarks")
    parser.add_argument("--seconds", type=float, default=30, help="length of each measured run")
    parser.add_argument("--repeats", type=int, default=2, help="runs of each player; best counts")
    parser.add_argument("--server", choices=["pulseaudio", "pipewire"], default="pulseaudio")
    parser.add_argument("--listed", type=int, default=10000, help="files listed in the last run")
    parser.add_argument("--no-benches", action="store_true", help="leave out the C++ benchmarks")
    parser.add_argument("--library", action="store_true",
                        help="add the large-library rows (bench/large_library.py) beside Audacious")
    return parser.parse_args()


ARGS = parse_args()
SLIDER_KNOB = (232, 56)  # the volume slider's knob in the main window's client area
os.environ.setdefault("TONALISK_BIN", os.path.abspath(ARGS.bin))

import audio  # noqa: E402  (the e2e helpers, found through the path above)
from audio import Track  # noqa: E402
from desktop import RATE, Desktop  # noqa: E402
from sound_server import PipeWireServer, PulseServer  # noqa: E402
from screen import Screen  # noqa: E402
from test_player import install_player  # noqa: E402

SERVER = PipeWireServer if ARGS.server == "pipewire" else PulseServer
from Xlib import X  # noqa: E402
from Xlib.ext import xtest  # noqa: E402


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime + stime


def tree_cpu_seconds(pids):
    return sum(cpu_seconds(pid) for pid in pids)


def smaps_mb(pid):
    """Private_Dirty and Pss of the process, in MB."""
    figures = {}
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            name, _, rest = line.partition(":")
            if name in ("Private_Dirty", "Pss"):
                figures[name] = int(rest.split()[0]) / 1024
    return figures["Private_Dirty"], figures["Pss"]


def first_sample(rec, start):
    """Recording time of the first non-silent sample at or after start, or None."""
    samples = rec.samples()[int(start * RATE):]
    loud = np.nonzero(np.abs(samples).max(axis=1) > audio.SILENT_RMS)[0]
    return start + loud[0] / RATE if len(loud) else None


def wait_for_sound(rec, start, timeout=3.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        time.sleep(0.1)
        heard = first_sample(rec, start)
        if heard is not None:
            return heard - start
    return None


def window_of(screen, pid, timeout=10):
    """The top-level window that process pid mapped (its title changes with the track)."""
    net_wm_pid = screen.x.intern_atom("_NET_WM_PID")
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        # The window manager's client list: the root's own children are its frames.
        for w in screen.clients():
            try:
                prop = w.get_full_property(net_wm_pid, X.AnyPropertyType)
                if prop and prop.value[0] == pid:
                    return w
            except Exception:
                pass
        time.sleep(0.05)
    return None


Player = collections.namedtuple("Player", "name args cwd")


def click_row(rec, screen, origin, row):
    """Presses on entry `row` of the list; returns the recording time of the press."""
    xtest.fake_input(screen.x, X.MotionNotify, x=origin[0] + 40,
                     y=origin[1] + LIST_TOP + int((row + 0.5) * ROW_HEIGHT))
    screen.x.sync()
    time.sleep(0.2)
    pressed = rec.now()
    xtest.fake_input(screen.x, X.ButtonPress, 1)
    screen.x.sync()
    xtest.fake_input(screen.x, X.ButtonRelease, 1)
    screen.x.sync()
    return pressed


def click_latencies(rec, screen, win):
    """Stops, then clicks an entry of the two: click to first sound, CLICKS times. Only a click
    that changes the selection plays, so a click that stays silent is followed by one on the
    other entry."""
    origin = screen.origin(win)
    stop_button = (82, 21)
    took = []
    row = 0
    for _ in range(CLICKS):
        screen.click(origin[0] + stop_button[0], origin[1] + stop_button[1])
        time.sleep(0.8)
        latency = wait_for_sound(rec, click_row(rec, screen, origin, row), timeout=1.0)
        if latency is None:
            row = 1 - row
            latency = wait_for_sound(rec, click_row(rec, screen, origin, row))
        took.append(latency)
        row = 1 - row
    return took


def volume_to_silence(rec, screen, win):
    """The volume slider's Home key to the first 50 ms of silence; the volume goes back after."""
    origin = screen.origin(win)
    screen.click(origin[0] + SLIDER_KNOB[0], origin[1] + SLIDER_KNOB[1])
    time.sleep(1.0)
    pressed = rec.now()
    screen.key("Home")
    time.sleep(1.0)
    samples = np.abs(rec.samples()[int(pressed * RATE):]).max(axis=1)
    step = RATE // 100
    quiet = [samples[i:i + step].max() < audio.SILENT_RMS for i in range(0, len(samples) - step, step)]
    screen.key("End")
    for i in range(len(quiet) - 4):
        if all(quiet[i:i + 5]):
            return i / 100
    return None


def steady_costs(tmp, player, seconds):
    """One player alone on a fresh sound server: its CPU, the server's CPU and its memory."""
    with Desktop(tmp, server=SERVER, prompt=False) as desktop:
        proc = desktop.start(player.args, player.cwd)
        time.sleep(3.0)  # past start-up
        cpu, server_cpu = cpu_seconds(proc.pid), tree_cpu_seconds(desktop.pulse.pids())
        time.sleep(seconds)
        try:
            figures = {"cpu": cpu_seconds(proc.pid) - cpu,
                       "server": tree_cpu_seconds(desktop.pulse.pids()) - server_cpu}
            figures["dirty"], figures["pss"] = smaps_mb(proc.pid)
        except OSError:  # ended before its time: no figures from this run
            figures = {"cpu": None, "server": None, "dirty": None, "pss": None}
        proc.terminate()
        proc.wait(5)
    return figures


def latencies(desktop, rec, player):
    """Process start to first sound; for the player also clicks and the volume slider."""
    time.sleep(0.5)  # silence before the start
    launched = rec.now()
    proc = desktop.start(player.args, player.cwd)
    figures = {"startup": wait_for_sound(rec, launched)}
    if player.name == "tonalisk":
        time.sleep(1.0)
        screen = Screen(desktop.env)
        win = window_of(screen, proc.pid)
        figures["volume"] = volume_to_silence(rec, screen, win)
        figures["clicks"] = click_latencies(rec, screen, win)
        screen.close(win)
        figures["exit"] = proc.wait(5)
    else:
        proc.terminate()
        proc.wait(5)
    return figures


def best(values):
    values = [v for v in values if v is not None]
    return min(values) if values else None


def ms(value):
    return "none" if value is None else f"{value * 1000:.0f} ms"


def benchmark_json(path):
    out = subprocess.run([path, "--benchmark_format=json"], check=True,
                         capture_output=True, text=True).stdout
    return {b["name"].split("/iterations:")[0]: b for b in json.loads(out)["benchmarks"]}


def bench_rows(bin_dir):
    rows = []
    engine = os.path.join(bin_dir, "engine_bench")
    if os.path.exists(engine):
        for name, b in benchmark_json(engine).items():
            if "ratio" not in b:
                rows.append((name, b.get("error_message", "skipped"), ""))
                continue
            rows.append((f"engine decode {name.split('/', 1)[1]}",
                         f"{b['realtime_x']:.0f}x real time, {b['cpu_ms']:.0f} ms CPU",
                         f"{b['ratio']:.2f} of ffmpeg -f null; {b['ratio_resampling']:.2f} of "
                         "ffmpeg resampling to 48 kHz"))
    midi = os.path.join(bin_dir, "midi_bench")
    if os.path.exists(midi):
        for name, b in benchmark_json(midi).items():
            if "ratio" in b:
                rows.append(("MIDI render (TimGM6mb)", f"{b['realtime_x']:.0f}x real time",
                             f"{b['ratio']:.2f} of fluidsynth -F"))
            else:
                rows.append((name.replace("BM_", "MIDI "),
                             f"{b['real_time']:.0f} {b['time_unit']}", ""))
    return rows


def main():
    bin_dir = os.path.abspath(ARGS.bin)
    with tempfile.TemporaryDirectory(prefix="tonalisk-perf-") as tmp:
        app = os.path.join(tmp, "player")
        tracks = [Track("one.mp3", "mp3", TRACK_BASE_HZ, ARGS.seconds + 15),
                  Track("two.mp3", "mp3", TRACK_BASE_HZ, ARGS.seconds + 15)]
        install_player(app, tracks)
        mp3 = os.path.join(app, tracks[0].name)
        crowded = os.path.join(tmp, "crowded")
        install_player(crowded, [])
        for i in range(ARGS.listed):
            os.link(mp3, os.path.join(crowded, f"track {i:05d}.mp3"))
        os.sync()  # pages of files not yet written back would count as the player's dirty memory
        players = [Player("tonalisk", [os.path.join(app, "tonalisk")], app),
                   Player("engine alone", [os.path.join(bin_dir, "play_file"), mp3], tmp),
                   Player("ffplay", ["ffplay", "-nodisp", "-autoexit", "-loglevel", "quiet", mp3], tmp),
                   Player("mpg123", ["mpg123", "-q", "-o", "pulse", mp3], tmp)]
        costs = {p.name: [] for p in players}
        for _ in range(ARGS.repeats):
            for p in players:
                costs[p.name].append(steady_costs(tmp, p, ARGS.seconds))
                print(p.name, costs[p.name][-1], file=sys.stderr, flush=True)
        listed = steady_costs(tmp, Player("tonalisk", [os.path.join(crowded, "tonalisk")], crowded),
                              ARGS.seconds / 3)
        print("listed", listed, file=sys.stderr, flush=True)
        timing = {p.name: [] for p in players}
        with Desktop(tmp, server=SERVER) as desktop:
            rec = desktop.record(os.path.join(tmp, "capture.raw"))
            for _ in range(ARGS.repeats):
                for p in players:
                    timing[p.name].append(latencies(desktop, rec, p))
                    print(p.name, timing[p.name][-1], file=sys.stderr, flush=True)
    report(costs, listed, timing)
    if ARGS.library:
        import large_library
        print()
        large_library.report(*large_library.measure(bin_dir))
    if not ARGS.no_benches:
        print()
        print("| Benchmark | Figure | Against |")
        print("|---|---|---|")
        for row in bench_rows(bin_dir):
            print("| " + " | ".join(row) + " |")


def report(costs, listed, timing):
    def best_of(runs, key):
        return best(r[key] for r in runs)

    print(f"Playing a 128 kbit/s MP3 to a {ARGS.server} null sink; CPU over {ARGS.seconds:g} s "
          f"of steady play, best of {ARGS.repeats}")
    print()
    print("| Player | CPU per 10 s | tonalisk / this | Server CPU per 10 s | Private dirty | PSS "
          "| Start to first sound |")
    print("|---|---|---|---|---|---|---|")
    per10 = 10 / ARGS.seconds
    ours = best_of(costs["tonalisk"], "cpu")
    def figure(value, unit, scale=1.0, digits=1):
        return "ended early" if value is None else f"{value * scale:.{digits}f} {unit}"

    for name, runs in costs.items():
        cpu = best_of(runs, "cpu")
        ratio = f"{ours / cpu:.2f}" if cpu and ours is not None else "-"
        print(f"| {name} | {figure(cpu, 's', per10, 3)} | {ratio} "
              f"| {figure(best_of(runs, 'server'), 's', per10, 3)} "
              f"| {figure(best_of(runs, 'dirty'), 'MB')} | {figure(best_of(runs, 'pss'), 'MB')} "
              f"| {ms(best_of(timing[name], 'startup'))} |")
    mine = timing["tonalisk"]
    clicks = [c for r in mine for c in r["clicks"]]
    print()
    print(f"Player with {ARGS.listed} files listed: private dirty {figure(listed['dirty'], 'MB')}, "
          f"PSS {figure(listed['pss'], 'MB')}.")
    print(f"Player: click on a list entry to first sound, best {ms(best(clicks))} "
          f"(all: {', '.join(ms(c) for c in clicks)}); volume slider Home to silence, best "
          f"{ms(best_of(mine, 'volume'))}; exit status {[r['exit'] for r in mine]}")


if __name__ == "__main__":
    main()
