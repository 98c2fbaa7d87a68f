#!/usr/bin/python3
"""The player's costs beside other players, printed as Markdown tables.

The player (with its default visualization, the spectrum), the engine alone (bench/engine/
play_file: the C functions polled as the player polls them, no window), `ffplay -nodisp`,
`mpg123 -o pulse` and Audacious with its window and without (-H) each play the same generated
2-hour 128 kbit/s MP3 to the null sink of a private sound server (PulseAudio, or PipeWire with
pipewire-pulse and WirePlumber; --server, or TONALISK_SOUND_SERVER) under a private Xvfb. A peer
that is not installed is left out (they are installed for this only: mpg123, ffmpeg, audacious,
audacious-plugins).

Costs: each player alone, on a fresh sound server without any recorder (a recorder would keep the
sink waking every few milliseconds): CPU time (user + system) over --seconds of steady play, the
sound server's own CPU time over the same span, and Private_Dirty and Pss from
/proc/PID/smaps_rollup at its end. The player once more with --listed files listed.
Latencies, with a recorder on the sink's monitor: process start to the first non-silent sample;
for the player a click on a list entry (while stopped) to its first sound on a 3-minute, a 2-hour
and a 10-hour MP3, with the bytes that the player read meanwhile (rchar of /proc/PID/io), a seek
to 1:50:00 in the 10-hour MP3 over the session bus until that place sounds, and the volume
slider's Home key to silence. With --repeats the best run counts. The engine_bench and midi_bench
figures of the same build join the table. A sound server that is slow to start is started again.

    /usr/bin/python3 bench/perf_table.py --bin build-bench/bin [--server pipewire] [--seconds 30]
"""
import argparse
import collections
import contextlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

import numpy as np

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests"))  # the tests' harness package
sys.dont_write_bytecode = True  # nothing written into the source tree

ROW_HEIGHT = 17
KBPS = 128
SEEK_TO = 6600  # 1:50:00
# The clicked entries, in the list's order: (name, length in hours, the hour where each section
# begins and the pitch its piece steps up from). Each sounds in pitches of its own; the 10-hour
# one changes at the first hour, so the place that the seek lands on is heard.
CLICKED = (("1 three minutes.mp3", 0.05, ((0, 2700),)), ("2 two hours.mp3", 2, ((0, 4000),)),
           ("3 ten hours.mp3", 10, ((0, 300), (1, 1500))))


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default=os.path.join(REPO, "build-bench", "bin"),
                        help="the build's bin folder: tonalisk, make_test_tone, the benchmarks")
    parser.add_argument("--seconds", type=float, default=30, help="length of each measured run")
    parser.add_argument("--repeats", type=int, default=2, help="runs of each player; best counts")
    parser.add_argument("--server", choices=["pulseaudio", "pipewire"],
                        default=os.environ.get("TONALISK_SOUND_SERVER", "pulseaudio"))
    parser.add_argument("--listed", type=int, default=10000, help="files listed in the last run")
    parser.add_argument("--no-benches", action="store_true", help="leave out the C++ benchmarks")
    parser.add_argument("--library", action="store_true",
                        help="add the large-library rows (bench/large_library.py) beside Audacious")
    return parser.parse_args()


ARGS = parse_args()
os.environ.setdefault("TONALISK_BIN", os.path.abspath(ARGS.bin))

from harness import audio, design  # noqa: E402  (the tests' harness, through the path above)
from harness.desktop import RATE, Desktop  # noqa: E402
from harness.long_track import make_long_track  # noqa: E402
from harness.player import install_player  # noqa: E402
from harness.screen import Screen  # noqa: E402
from harness.sound_server import PipeWireServer, PulseServer  # noqa: E402
from proc_stats import cpu_seconds, process_tree  # noqa: E402

# In the main window's client area: the file list's top, the stop button, the volume slider's knob.
LIST_TOP = design.place("File1")[1]
STOP_BUTTON = design.centre("StopBtn")
SLIDER_KNOB = design.centre("Slider1")

SERVER = PipeWireServer if ARGS.server == "pipewire" else PulseServer
from Xlib import X  # noqa: E402
from Xlib.ext import xtest  # noqa: E402


@contextlib.contextmanager
def desktop_of(tmp, tries=3, **options):
    """A private desktop; one whose sound server (or window manager) is slow to start is started
    again, and whatever it started ends with it."""
    for attempt in range(tries):
        desktop = Desktop(tmp, server=SERVER, **options)
        try:
            desktop.__enter__()
            break
        except RuntimeError as e:
            desktop.__exit__(None, None, None)
            print(f"desktop, try {attempt + 1}: {e}", file=sys.stderr, flush=True)
            if attempt == tries - 1:
                raise
    try:
        yield desktop
    finally:
        desktop.__exit__(None, None, None)


def tree_cpu_seconds(pids):
    return sum(cpu_seconds(pid) for pid in pids)


def bytes_read(pid):
    """What the process and those below it (the engine's decoder process) have read so far
    through read calls, from the disk or the page cache."""
    total = 0
    for member in process_tree(pid):
        with open(f"/proc/{member}/io") as f:
            total += next(int(line.split()[1]) for line in f if line.startswith("rchar:"))
    return total


def smaps_mb(pid):
    """Private_Dirty and Pss of the process and those below it (the engine's decoder process),
    in MB."""
    figures = collections.Counter()
    for member in process_tree(pid):
        with open(f"/proc/{member}/smaps_rollup") as f:
            for line in f:
                name, _, rest = line.partition(":")
                if name in ("Private_Dirty", "Pss"):
                    figures[name] += int(rest.split()[0]) / 1024
    return figures["Private_Dirty"], figures["Pss"]


def first_sample(rec, start):
    """Recording time of the first non-silent sample at or after start, or None."""
    samples = rec.samples()[int(start * RATE):]
    loud = np.nonzero(np.abs(samples).max(axis=1) > audio.SILENT_RMS)[0]
    return start + loud[0] / RATE if len(loud) else None


def wait_for_sound(rec, start, timeout=10.0):
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


# home: a folder that the player keeps its settings in, emptied before each start (or None).
Player = collections.namedtuple("Player", "name args cwd home")


def start(desktop, player):
    if player.home:
        shutil.rmtree(player.home, ignore_errors=True)
    return desktop.start(player.args, player.cwd)


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


def click_to_sound(rec, screen, origin, pid, row, sections):
    """Stops, starts another entry and stops again (only a click that changes the selection
    plays), then clicks entry `row`: (click to its first sound, the bytes read meanwhile); None
    for both where another entry sounded."""
    stop = (origin[0] + STOP_BUTTON[0], origin[1] + STOP_BUTTON[1])
    screen.click(*stop)
    time.sleep(0.3)
    wait_for_sound(rec, click_row(rec, screen, origin, (row + 1) % len(CLICKED)), 5.0)
    screen.click(*stop)
    time.sleep(0.8)
    before = bytes_read(pid)
    pressed = click_row(rec, screen, origin, row)
    latency = wait_for_sound(rec, pressed)
    read = bytes_read(pid) - before
    if latency is None:
        return None, None
    time.sleep(0.6)
    heard = audio.sounding(rec.samples(), [t for s in sections for t in s], pressed + latency,
                           pressed + latency + 0.5)[0]
    if heard not in sections[row]:
        print(f"clicked {CLICKED[row][0]}, heard {heard and heard.name}", file=sys.stderr)
        return None, None
    return latency, read


def seek_to_sound(desktop, rec, sections):
    """While the 10-hour track plays: from the bus call that seeks to SEEK_TO to the first sound
    of the place it lands on (the call's time includes playerctl's own start)."""
    time.sleep(1.0)
    asked = rec.now()
    subprocess.run(["playerctl", "-p", "tonalisk", "position", str(SEEK_TO)], env=desktop.env,
                   capture_output=True, timeout=10)
    deadline = time.monotonic() + 10.0
    while time.monotonic() < deadline:
        time.sleep(0.1)
        for t, track, _ in audio.identified(rec.samples(), sections, asked, rec.seconds()):
            if track is sections[-1]:
                return max(t - asked, 0.0)
    return None


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
    with desktop_of(tmp, prompt=False) as desktop:
        proc = start(desktop, player)
        time.sleep(3.0)  # past start-up
        try:
            players = process_tree(proc.pid)  # with the engine's decoder process
            cpu, server_cpu = tree_cpu_seconds(players), tree_cpu_seconds(desktop.pulse.pids())
            time.sleep(seconds)
            figures = {"cpu": tree_cpu_seconds(players) - cpu,
                       "server": tree_cpu_seconds(desktop.pulse.pids()) - server_cpu}
            figures["dirty"], figures["pss"] = smaps_mb(proc.pid)
        except OSError:  # ended before its time: no figures from this run
            figures = {"cpu": None, "server": None, "dirty": None, "pss": None}
        proc.terminate()
        proc.wait(5)
    return figures


def launch_latencies(desktop, rec, player):
    """Process start to first sound; for the player also the volume slider."""
    time.sleep(0.5)  # silence before the start
    launched = rec.now()
    proc = start(desktop, player)
    figures = {"startup": wait_for_sound(rec, launched)}
    if player.name == "Tonalisk":
        time.sleep(1.0)
        screen = Screen(desktop.env)
        win = window_of(screen, proc.pid)
        figures["volume"] = volume_to_silence(rec, screen, win)
        screen.close(win)
        figures["exit"] = proc.wait(5)
    else:
        proc.terminate()
        proc.wait(5)
    return figures


def track_latencies(desktop, rec, folder, sections):
    """The player in the folder of the clicked entries, on the session bus: clicks and seeks."""
    desktop.start_session_bus()
    proc = desktop.start([os.path.join(folder, "tonalisk")], folder)
    screen = Screen(desktop.env)
    win = window_of(screen, proc.pid)
    time.sleep(1.0)
    origin = screen.origin(win)
    figures = {"clicks": {c[0]: [] for c in CLICKED}, "read": {c[0]: [] for c in CLICKED},
               "seek": []}
    for _ in range(ARGS.repeats):
        for row, (name, *_) in enumerate(CLICKED):
            latency, read = click_to_sound(rec, screen, origin, proc.pid, row, sections)
            figures["clicks"][name].append(latency)
            figures["read"][name].append(read)
        figures["seek"].append(seek_to_sound(desktop, rec, sections[-1]))  # the 10-hour one plays
        print(figures, file=sys.stderr, flush=True)
    screen.close(win)
    proc.wait(5)
    return figures


def best(values):
    values = [v for v in values if v is not None]
    return min(values) if values else None


def ms(value):
    return "none" if value is None else f"{value * 1000:.0f} ms"


def within_window(value):
    """A time found by the recording's analysis windows: one inside the first window is only
    known to be that short."""
    return f"≤ {audio.WINDOW * 1000:.0f} ms" if value is not None and value < audio.WINDOW \
        else ms(value)


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


def make_tracks(tmp, bin_dir):
    """The player in a folder with the 2-hour MP3 alone (it starts with it) and in one with the
    clicked entries, and a crowded folder; returns (players, the player in the crowded folder,
    the clicks folder, the sections of each clicked entry)."""
    clicks = os.path.join(tmp, "clicks")
    install_player(clicks, [])
    sections = [make_long_track(clicks, name, hours, bin_dir, changes, KBPS)
                for name, hours, changes in CLICKED]
    launch = os.path.join(tmp, "launch")
    install_player(launch, [])
    two_hours = os.path.join(launch, CLICKED[1][0])
    os.link(os.path.join(clicks, CLICKED[1][0]), two_hours)
    crowded = os.path.join(tmp, "crowded")
    install_player(crowded, [])
    for i in range(ARGS.listed):
        os.link(two_hours, os.path.join(crowded, f"track {i:05d}.mp3"))
    os.sync()  # pages of files not yet written back would count as the player's dirty memory
    audacious = os.path.join(tmp, "audacious")
    home = {f"XDG_{kind}_HOME": os.path.join(audacious, kind.lower())
            for kind in ("CONFIG", "DATA", "CACHE")}
    os.environ.update(home)  # the desktops pass it on; the others keep nothing there
    players = [Player("Tonalisk", [os.path.join(launch, "tonalisk")], launch, None),
               Player("engine alone", [os.path.join(bin_dir, "play_file"), two_hours], tmp, None),
               Player("mpg123", ["mpg123", "-q", "-o", "pulse", two_hours], tmp, None),
               Player("Audacious", ["audacious", two_hours], tmp, audacious),
               Player("Audacious -H", ["audacious", "-H", two_hours], tmp, audacious),
               Player("ffplay", ["ffplay", "-nodisp", "-autoexit", "-loglevel", "quiet", two_hours],
                      tmp, None)]
    missing = [p.name for p in players if not shutil.which(p.args[0])]
    if missing:
        print(f"not installed, left out: {', '.join(missing)}", file=sys.stderr, flush=True)
    players = [p for p in players if p.name not in missing]
    return players, Player("Tonalisk", [os.path.join(crowded, "tonalisk")], crowded, None), \
        clicks, sections


def main():
    bin_dir = os.path.abspath(ARGS.bin)
    with tempfile.TemporaryDirectory(prefix="tonalisk-perf-") as tmp:
        players, crowded, clicks, sections = make_tracks(tmp, bin_dir)
        costs = {p.name: [] for p in players}
        for _ in range(ARGS.repeats):
            for p in players:
                costs[p.name].append(steady_costs(tmp, p, ARGS.seconds))
                print(p.name, costs[p.name][-1], file=sys.stderr, flush=True)
        listed = steady_costs(tmp, crowded, ARGS.seconds / 3)
        print("listed", listed, file=sys.stderr, flush=True)
        timing = {p.name: [] for p in players}
        with desktop_of(tmp) as desktop:
            rec = desktop.record(os.path.join(tmp, "capture.raw"))
            for _ in range(ARGS.repeats):
                for p in players:
                    timing[p.name].append(launch_latencies(desktop, rec, p))
                    print(p.name, timing[p.name][-1], file=sys.stderr, flush=True)
            tracks = track_latencies(desktop, rec, clicks, sections)
    report(costs, listed, timing, tracks)
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


def report(costs, listed, timing, tracks):
    """The issue's table: one row per measure, one column per player."""
    per10 = 10 / ARGS.seconds
    names = list(costs)

    def figure(value, unit, scale=1.0, digits=1):
        return "ended early" if value is None else f"{value * scale:.{digits}f} {unit}"

    cpu = {n: best(r["cpu"] for r in costs[n]) for n in names}
    startup = {n: best(r["startup"] for r in timing[n]) for n in names}

    def ratio(values, name="Tonalisk"):
        mine, theirs = values.get(name), values.get("mpg123")
        return f" ({mine / theirs:.1f}× mpg123)" if mine and theirs else ""

    clicks = [best(tracks["clicks"][c[0]]) for c in CLICKED]
    reads = [best(tracks["read"][c[0]]) for c in CLICKED]
    rows = [
        ("bytes read, click → first sound, 3-minute / 2-hour / 10-hour MP3",
         {"Tonalisk": " / ".join("none" if r is None else f"{r / 1024:.0f} KB" for r in reads)}),
        ("click → first sound, 3-minute / 2-hour / 10-hour MP3",
         {"Tonalisk": " / ".join(ms(c) for c in clicks)
          + (f" ({clicks[2] / clicks[0]:.2f}× the 3-minute)" if clicks[0] and clicks[2] else "")}),
        ("launch → first sound, 2-hour MP3",
         {n: ms(startup[n]) + (ratio(startup, n) if n != "mpg123" else "") for n in names}),
        ("seek to 1:50:00 in a 10-hour MP3 (over the bus), until the new place sounds",
         {"Tonalisk": within_window(best(tracks["seek"])) + " (all: "
          + ", ".join(within_window(s) for s in tracks["seek"]) + ")"}),
        ("CPU per 10 s of MP3, player alone",
         {n: figure(cpu[n], "s", per10, 3) + (ratio(cpu, n) if n != "mpg123" else "")
          for n in names}),
        ("sound server's CPU per 10 s",
         {n: figure(best(r["server"] for r in costs[n]), "s", per10, 3) for n in names}),
        ("private dirty memory playing an MP3",
         {n: figure(best(r["dirty"] for r in costs[n]), "MB") for n in names}),
        ("PSS", {n: figure(best(r["pss"] for r in costs[n]), "MB") for n in names}),
    ]
    print(f"Playing a 2-hour {KBPS} kbit/s MP3 to a {ARGS.server} null sink; CPU over "
          f"{ARGS.seconds:g} s of steady play; best of {ARGS.repeats}")
    print()
    print("| | " + " | ".join(names) + " |")
    print("|---" * (len(names) + 1) + "|")
    for label, cells in rows:
        print(f"| {label} | " + " | ".join(cells.get(n, "—") for n in names) + " |")
    mine = timing["Tonalisk"]
    print()
    print(f"Player with {ARGS.listed} files listed: private dirty {figure(listed['dirty'], 'MB')}, "
          f"PSS {figure(listed['pss'], 'MB')}. Clicks, all: "
          + "; ".join(f"{n}: " + ", ".join(ms(c) for c in tracks["clicks"][n]) for n, *_ in CLICKED)
          + f". Volume slider Home to silence, best {ms(best(r['volume'] for r in mine))}; "
          f"exit status {[r['exit'] for r in mine]}")


if __name__ == "__main__":
    main()
