#!/usr/bin/python3
"""The player's costs beside two command-line players, printed as one Markdown table.

The player, the engine alone (bench/engine/play_file: the C functions polled as the player polls
them, no window), `ffplay -nodisp -autoexit` and `mpg123` each play the same generated 128 kbit/s MP3 to
the null sink of a private PulseAudio under a private Xvfb (the end-to-end tests' desktop), the
player with its default visualization. Measured for each: CPU time (user + system) over the run,
process start to the first non-silent sample the sink played, and peak resident memory (VmHWM)
just before the end. For the player also: a left click on a list entry (sent through XTest while
the player is stopped) to the first non-silent sample. With --repeats the best run counts.
The engine_bench and midi_bench figures of the same build join the table.

    /usr/bin/python3 bench/perf_table.py --bin build-bench/bin [--seconds 60] [--repeats 3]
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
    parser.add_argument("--seconds", type=float, default=60, help="length of each playing run")
    parser.add_argument("--repeats", type=int, default=1, help="runs of each player; best counts")
    parser.add_argument("--no-benches", action="store_true", help="leave out the C++ benchmarks")
    return parser.parse_args()


ARGS = parse_args()
os.environ.setdefault("TONALISK_BIN", os.path.abspath(ARGS.bin))

import audio  # noqa: E402  (the e2e helpers, found through the path above)
from audio import Track  # noqa: E402
from desktop import RATE, Desktop  # noqa: E402
from screen import Screen  # noqa: E402
from test_player import install_player  # noqa: E402
from Xlib import X  # noqa: E402
from Xlib.ext import xtest  # noqa: E402


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime + stime


def peak_resident_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return float("nan")


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
        for w in screen.x.screen().root.query_tree().children:
            try:
                prop = w.get_full_property(net_wm_pid, X.AnyPropertyType)
                if prop and prop.value[0] == pid and w.get_attributes().map_state == X.IsViewable:
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


def run(desktop, rec, player, seconds, clicks=False):
    """One run of a player: its figures as a dict."""
    time.sleep(0.5)  # silence before the start
    launched = rec.now()
    proc = desktop.start(player.args, player.cwd)
    startup = wait_for_sound(rec, launched)
    time.sleep(max(0.0, launched + seconds - rec.now()))
    figures = {"cpu": cpu_seconds(proc.pid), "startup": startup}
    if clicks:
        screen = Screen(desktop.env)
        win = window_of(screen, proc.pid)
        figures["clicks"] = click_latencies(rec, screen, win)
        figures["memory"] = peak_resident_mb(proc.pid)
        screen.close(win)
        figures["exit"] = proc.wait(5)
    else:
        figures["memory"] = peak_resident_mb(proc.pid)
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
        length = ARGS.seconds + 15
        tracks = [Track("one.mp3", "mp3", TRACK_BASE_HZ, length),
                  Track("two.mp3", "mp3", TRACK_BASE_HZ, length)]
        install_player(app, tracks)
        mp3 = os.path.join(app, tracks[0].name)
        players = [Player("tonalisk", [os.path.join(app, "tonalisk")], app),
                   Player("engine alone", [os.path.join(bin_dir, "play_file"), mp3], tmp),
                   Player("ffplay", ["ffplay", "-nodisp", "-autoexit", "-loglevel", "quiet", mp3], tmp),
                   Player("mpg123", ["mpg123", "-q", "-o", "pulse", mp3], tmp)]
        results = {p.name: [] for p in players}
        with Desktop(tmp) as desktop:
            rec = desktop.record(os.path.join(tmp, "capture.raw"))
            for _ in range(ARGS.repeats):
                for p in players:
                    results[p.name].append(run(desktop, rec, p, ARGS.seconds,
                                               clicks=p.name == "tonalisk"))
                    print(p.name, results[p.name][-1], file=sys.stderr, flush=True)
    report(results)
    if not ARGS.no_benches:
        print()
        print("| Benchmark | Figure | Against |")
        print("|---|---|---|")
        for row in bench_rows(bin_dir):
            print("| " + " | ".join(row) + " |")


def report(results):
    cpu = {name: best(r["cpu"] for r in runs) for name, runs in results.items()}
    ours = results["tonalisk"]
    print(f"Playing a 128 kbit/s MP3 for {ARGS.seconds:g} s to a PulseAudio null sink "
          f"(best of {ARGS.repeats})")
    print()
    print("| Player | CPU time | Share of one core | tonalisk / this | Start to first sound | Peak RSS |")
    print("|---|---|---|---|---|---|")
    for name, runs in results.items():
        print(f"| {name} | {cpu[name]:.2f} s | {100 * cpu[name] / ARGS.seconds:.1f} % "
              f"| {cpu['tonalisk'] / cpu[name]:.2f} | {ms(best(r['startup'] for r in runs))} "
              f"| {best(r['memory'] for r in runs):.1f} MB |")
    clicks = [c for r in ours for c in r["clicks"]]
    print()
    print(f"Player: click on a list entry to first sound, best {ms(best(clicks))} "
          f"(all: {', '.join(ms(c) for c in clicks)}); exit status {[r['exit'] for r in ours]}")


if __name__ == "__main__":
    main()
