#!/usr/bin/python3
"""CPU time and wake-ups of each thread while playing an MP3, the player beside the engine alone and
mpg123, each alone on a fresh private sound server (PulseAudio, or PipeWire with pipewire-pulse)
under a private Xvfb.

A wake-up is a context switch of one thread (voluntary: it waited; involuntary: it was preempted),
from /proc/PID/task/TID/status. CPU is utime + stime from /proc/PID/stat, in the kernel's 10 ms
ticks as bench/perf_table.py counts it, and each thread's run time from /proc/PID/task/TID/schedstat
in nanoseconds, which short runs count finely too.

    /usr/bin/python3 bench/play_costs.py --bin build/bin [--server pipewire] [--seconds 30]
"""
import argparse
import collections
import os
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests"))  # the tests' harness package
sys.dont_write_bytecode = True  # nothing written into the source tree


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default=os.path.join(REPO, "build", "bin"))
    parser.add_argument("--seconds", type=float, default=30, help="length of each measured run")
    parser.add_argument("--repeats", type=int, default=1, help="runs of each player")
    parser.add_argument("--server", choices=["pulseaudio", "pipewire"], default="pulseaudio")
    parser.add_argument("--only", nargs="*", help="players to run: tonalisk, engine, mpg123")
    return parser.parse_args()


ARGS = parse_args()
ARGS.bin = os.path.abspath(ARGS.bin)
os.environ.setdefault("TONALISK_BIN", ARGS.bin)

from harness.audio import Track  # noqa: E402
from harness.desktop import Desktop  # noqa: E402
from harness.player import install_player  # noqa: E402
from harness.sound_server import PipeWireServer, PulseServer  # noqa: E402
from proc_stats import cpu_seconds  # noqa: E402

SERVER = PipeWireServer if ARGS.server == "pipewire" else PulseServer
Player = collections.namedtuple("Player", "name args cwd")


def threads(pid):
    """{thread name: [run time in seconds, context switches]} summed over the threads of that
    name."""
    found = collections.defaultdict(lambda: [0.0, 0])
    for tid in os.listdir(f"/proc/{pid}/task"):
        task = f"/proc/{pid}/task/{tid}"
        try:
            with open(f"{task}/comm") as f:
                name = f.read().strip()
            with open(f"{task}/schedstat") as f:
                run = int(f.read().split()[0]) / 1e9
            with open(f"{task}/status") as f:
                switches = sum(int(line.split()[-1]) for line in f
                               if line.split(":")[0].endswith("ctxt_switches"))
        except OSError:
            continue  # ended meanwhile
        found[name][0] += run
        found[name][1] += switches
    return found


def run(tmp, player):
    with Desktop(tmp, server=SERVER, prompt=False) as desktop:
        proc = desktop.start(player.args, player.cwd)
        time.sleep(3.0)  # past start-up
        cpu, before = cpu_seconds(proc.pid), threads(proc.pid)
        time.sleep(ARGS.seconds)
        cpu, after = cpu_seconds(proc.pid) - cpu, threads(proc.pid)
        proc.terminate()
        proc.wait(5)
    return cpu, {name: (after[name][0] - before.get(name, (0, 0))[0],
                        after[name][1] - before.get(name, (0, 0))[1]) for name in after}


def main():
    with tempfile.TemporaryDirectory(prefix="tonalisk-costs-") as tmp:
        app = os.path.join(tmp, "player")
        install_player(app, [Track("one.mp3", "mp3", 400, ARGS.seconds + 15)])
        mp3 = os.path.join(app, "one.mp3")
        players = [Player("tonalisk", [os.path.join(app, "tonalisk")], app),
                   Player("engine", [os.path.join(ARGS.bin, "play_file"), mp3], tmp),
                   Player("mpg123", ["mpg123", "-q", "-o", "pulse", mp3], tmp)]
        print(f"{ARGS.server}, {ARGS.seconds:g} s of play; CPU per 10 s, wake-ups per second")
        print()
        print("| Player | CPU (ticks) | CPU (run time) | Wake-ups | Threads (run time, wake-ups) |")
        print("|---|---|---|---|---|")
        for _ in range(ARGS.repeats):
            for player in players:
                if ARGS.only and player.name not in ARGS.only:
                    continue
                cpu, figures = run(tmp, player)
                per10 = 10 / ARGS.seconds
                run_time = sum(c for c, _ in figures.values()) * per10
                wakes = sum(w for _, w in figures.values()) / ARGS.seconds
                detail = ", ".join(f"{name} {c * per10:.4f} s {w / ARGS.seconds:.1f}"
                                   for name, (c, w) in sorted(figures.items(),
                                                              key=lambda kv: -kv[1][1]))
                print(f"| {player.name} | {cpu * per10:.3f} s | {run_time:.4f} s | {wakes:.1f} "
                      f"| {detail} |", flush=True)


if __name__ == "__main__":
    main()
