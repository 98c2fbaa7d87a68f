#!/usr/bin/python3
"""The player in a large library, beside Audacious, printed as Markdown tables.

Folders of 10,000 and 100,000 files (hard links to two short tracks; a file system allows some
65,000 links to one file), each with the player in it: process start to the window shown and to
the first sound on the null sink of a private sound server under Xvfb, an "Open Error" box if one
came, and Private_Dirty from /proc/PID/smaps_rollup two seconds after the first sound; the same
folders played by `audacious -H` (no window). Then the window's thread: bench/window/window_bench
drives the main window in the 100,000-file folder with a 10-hour track in it (clicks, keys, a drag
of the seek bar on the long track, its own ticks) and reports a 10 ms timer's longest lateness.
With --before, the same rows for another build's bin folder.

    /usr/bin/python3 bench/large_library.py --bin build-bench/bin [--before OLD/bin]
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests"))  # the tests' harness package
sys.dont_write_bytecode = True  # nothing written into the source tree

from harness import audio  # noqa: E402
from harness.desktop import RATE, Desktop  # noqa: E402
from harness.long_track import make_long_track  # noqa: E402
from harness.screen import Screen  # noqa: E402

import numpy as np  # noqa: E402

SIZES = (10000, 100000)
SHORT_SECONDS = 30


def private_dirty_mb(pid):
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith("Private_Dirty:"):
                return int(line.split()[1]) / 1024
    return None


def first_sound(rec, start, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        time.sleep(0.05)
        samples = rec.samples()[int(start * RATE):]
        loud = np.nonzero(np.abs(samples).max(axis=1) > audio.SILENT_RMS)[0] if len(samples) else []
        if len(loud):
            return loud[0] / RATE
    return None


def install(folder, bin_dir):
    for name in os.listdir(bin_dir):
        if name in ("tonalisk", "vbmp3-decoder") or name.startswith("libvbmp3"):
            shutil.copy2(os.path.join(bin_dir, name), folder, follow_symlinks=False)


def make_library(tmp, bin_dir, size):
    folder = os.path.join(tmp, f"library-{size}")
    os.makedirs(folder)
    tracks = []
    for name, base in (("a.mp3", 400), ("b.mp3", 900)):
        tracks.append(os.path.join(folder, name))
        subprocess.run([os.path.join(bin_dir, "make_test_tone"), tracks[-1], "mp3", str(base),
                        str(SHORT_SECONDS)], check=True)
    for i in range(size - 2):
        os.link(tracks[i % 2], os.path.join(folder, f"track {i:06d}.mp3"))
    return folder


def watch_start(tmp, args, cwd, env_extra=None, with_window=True):
    """Start to window shown and to first sound, the box if any, and the private dirty memory."""
    with Desktop(tmp) as desktop:
        desktop.env.update(env_extra or {})
        rec = desktop.record(os.path.join(tmp, "capture.raw"))
        screen = Screen(desktop.env)
        time.sleep(0.3)
        launched = rec.now()
        proc = subprocess.Popen(args, cwd=cwd, env=desktop.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        shown = None
        if with_window:
            win = screen.window("Tonalisk", timeout=20)
            shown = rec.now() - launched if win is not None else None
        sound = first_sound(rec, launched, 20)
        time.sleep(2.0)
        figures = {"shown": shown, "sound": sound, "box": bool(screen.boxes()),
                   "dirty": private_dirty_mb(proc.pid) if proc.poll() is None else None}
        proc.terminate()
        proc.wait(10)
    return figures


def window_thread(tmp, bench, folder):
    with Desktop(tmp) as desktop:
        try:
            out = subprocess.run([bench, folder], env=desktop.env, capture_output=True,
                                 text=True, timeout=180).stdout
        except subprocess.TimeoutExpired:  # held by a box that nobody answers
            return {"load_ms": "never", "entries": 0}
    return json.loads(out.strip().splitlines()[-1])


def measure(bin_dir, before=None):
    builds = [("after", os.path.abspath(bin_dir))]
    if before:
        builds.insert(0, ("before", os.path.abspath(before)))
    rows, threads = [], []
    with tempfile.TemporaryDirectory(prefix="tonalisk-library-") as tmp:
        libraries = {size: make_library(tmp, builds[-1][1], size) for size in SIZES}
        os.sync()  # pages of files not yet written back would count as dirty memory
        for label, bin_dir in builds:
            for size, folder in libraries.items():
                install(folder, bin_dir)
                figures = watch_start(tmp, [os.path.join(folder, "tonalisk")], folder)
                rows.append((f"Tonalisk {label}", size, figures))
                print(rows[-1], file=sys.stderr, flush=True)
        if shutil.which("audacious"):
            config = os.path.join(tmp, "audacious-home")
            env = {f"XDG_{kind}_HOME": os.path.join(config, kind.lower())
                   for kind in ("CONFIG", "DATA", "CACHE")}
            for size, folder in libraries.items():
                figures = watch_start(tmp, ["audacious", "-H", folder], folder, env, False)
                rows.append(("Audacious (no window)", size, figures))
                print(rows[-1], file=sys.stderr, flush=True)
        largest = libraries[SIZES[-1]]
        make_long_track(largest, "0 ten hours.mp3", 10, builds[-1][1])
        for label, bin_dir in builds:
            bench = os.path.join(bin_dir, "window_bench")
            if os.path.exists(bench):
                threads.append((label, window_thread(tmp, bench, largest)))
                print(threads[-1], file=sys.stderr, flush=True)
    return rows, threads


def seconds(value):
    return "none" if value is None else f"{value:.2f} s"


def report(rows, threads):
    print("| Player | Files | Window shown | First sound | Private dirty | Open Error |")
    print("|---|---|---|---|---|---|")
    for name, size, f in rows:
        dirty = "ended" if f["dirty"] is None else f"{f['dirty']:.1f} MB"
        print(f"| {name} | {size:,} | {seconds(f['shown'])} | {seconds(f['sound'])} | {dirty} "
              f"| {'yes' if f['box'] else 'no'} |")
    after = {size: f["dirty"] for name, size, f in rows if name == "Tonalisk after"}
    if all(after.get(size) for size in SIZES):
        per_entry = (after[SIZES[-1]] - after[SIZES[0]]) * 1024 * 1024 / (SIZES[-1] - SIZES[0])
        print(f"\nPrivate dirty per listed entry (after): {per_entry:.0f} bytes")
    if threads:
        print("\nThe window's thread, 100,000 files and a 10-hour track: a 10 ms timer's longest "
              "lateness")
        print("\n| Build | Listing and start-up | Tick | Click | Key | Seek-bar drag "
              "| Starting the 10-hour track |")
        print("|---|---|---|---|---|---|---|")
        for label, t in threads:
            kinds = ("tick", "click", "key", "seek", "long")
            load = "held by an Open Error box" if t["load_ms"] == "never" else \
                f"{t['load_ms']} ms ({t['entries']:,} entries)"
            print(f"| {label} | {load} | "
                  + " | ".join(f"{t.get(k + '_ms', '-')} ms" for k in kinds) + " |")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default=os.path.join(REPO, "build-bench", "bin"))
    parser.add_argument("--before", help="another build's bin folder, measured first")
    args = parser.parse_args()
    report(*measure(args.bin, args.before))


if __name__ == "__main__":
    main()
