#!/usr/bin/env python3
"""What one click costs in reads of the clicked file: the window's start of a track (vbmp3_open,
vbmp3_getFileTagInfo, vbmp3_getMpegInfo) and what the engine reads for the stream's name and its
first decoding ahead, counted by strace on the file's own descriptors, on the caller's thread and
on all threads. Without a sound server (the silent clock), so that nothing else reads.

    bench/engine/click_reads.py BIN [LIBRARY]
BIN is the build's bin folder (its demo tracks are clicked); LIBRARY the engine to measure
(BIN/libvbmp3.so unless given)."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

CLICK = r"""
import ctypes, sys, time
lib = ctypes.CDLL(sys.argv[1])
lib.vbmp3_init()
path = sys.argv[2].encode()
lib.vbmp3_open(path, ctypes.create_string_buffer(272))
lib.vbmp3_getFileTagInfo(path, ctypes.create_string_buffer(652))
lib.vbmp3_getMpegInfo(ctypes.create_string_buffer(56))
time.sleep(1.0)  # the decoder's first filling of its ring, then the stream's name
lib.vbmp3_close()
lib.vbmp3_free()
"""
KINDS = ["MP3", "WAV", "MIDI", "WMA"]
CALL = re.compile(r"^(openat|read|pread64)\((?:\d+<(.*?)>|AT_FDCWD<[^>]*>, \"(.*?)\")"
                  r".*\) = (-?\d+)")


def count(traces, track):
    """{"caller": [opens, reads, bytes], "all": [...]} for the track's descriptors, from one trace
    per thread (the caller's is the one that ran the program)."""
    totals = {"caller": [0, 0, 0], "all": [0, 0, 0]}
    for trace in traces:
        lines = open(trace, encoding="utf-8", errors="replace").read().splitlines()
        groups = ["all"] + (["caller"] if lines and lines[0].startswith("execve(") else [])
        for line in lines:
            m = CALL.match(line)
            if not m or (m.group(2) or m.group(3)) != track:
                continue
            call, result = m.group(1), int(m.group(4))
            for group in groups:
                if call == "openat":
                    totals[group][0] += 1
                elif result > 0:
                    totals[group][1] += 1
                    totals[group][2] += result
    return totals


def main():
    bin_dir = sys.argv[1]
    library = sys.argv[2] if len(sys.argv) > 2 else os.path.join(bin_dir, "libvbmp3.so")
    env = dict(os.environ, PULSE_SERVER="unix:/nonexistent", SDL_AUDIODRIVER="dummy")
    with tempfile.TemporaryDirectory(prefix="tonalisk_click_reads_") as tmp:
        print(f"{'file':6} {'thread':7} {'opens':>5} {'reads':>6} {'bytes':>9}")
        for kind in KINDS:
            source = [f for f in os.listdir(bin_dir) if f.endswith(f"({kind})" + f[f.rfind("."):])]
            track = os.path.join(tmp, "track" + os.path.splitext(source[0])[1])
            shutil.copy(os.path.join(bin_dir, source[0]), track)
            traces = os.path.join(tmp, kind)
            os.mkdir(traces)
            proc = subprocess.run(["strace", "-ff", "-y", "-qq", "-e",
                                   "trace=execve,openat,read,pread64", "-o",
                                   os.path.join(traces, "trace"), sys.executable, "-c", CLICK,
                                   library, track], env=env, capture_output=True, text=True)
            if proc.returncode != 0:
                sys.exit(proc.stderr)
            found = [os.path.join(traces, name) for name in os.listdir(traces)]
            for group, (opens, reads, size) in count(found, track).items():
                print(f"{kind:6} {group:7} {opens:5} {reads:6} {size:9}")


if __name__ == "__main__":
    main()
