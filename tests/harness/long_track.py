"""Tracks of many hours for the end-to-end tests and the benchmarks, made in seconds: short MP3
pieces of the stepped test tone (tools/make_test_tone.cpp) joined frame by frame under one length
header, as `ffmpeg -f concat -c copy` joins them."""
import os
import struct
import subprocess

from .audio import Track

PIECE_SECONDS = 20
KBPS = 32
BITRATES = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
RATES = [44100, 48000, 32000]


def frame_length(data, at):
    """Length of the MPEG-1 Layer III frame whose header starts at `at`."""
    b = data[at + 2]
    return 144000 * BITRATES[b >> 4] // RATES[(b >> 2) & 3] + ((b >> 1) & 1)


def split_piece(path):
    """(the length header's frame, the audio frames, their number) of a file the test tone wrote,
    without its ID3v2 tag."""
    with open(path, "rb") as f:
        data = f.read()
    start = 10 + (data[6] << 21 | data[7] << 14 | data[8] << 7 | data[9]) if data[:3] == b"ID3" else 0
    header_end = start + frame_length(data, start)
    count, at = 0, header_end
    while at + 4 <= len(data) and data[at] == 0xFF:
        at += frame_length(data, at)
        count += 1
    return data[start:header_end], data[header_end:at], count


def with_totals(header, frames, size):
    """The length header (Xing/Info) rewritten for `frames` frames of `size` bytes in all."""
    out = bytearray(header)
    tag = max(out.find(b"Info"), out.find(b"Xing"))
    flags = struct.unpack(">I", out[tag + 4:tag + 8])[0]
    at = tag + 8
    if flags & 1:
        out[at:at + 4] = struct.pack(">I", frames)
        at += 4
    if flags & 2:
        out[at:at + 4] = struct.pack(">I", size)
    return bytes(out)


def make_long_track(folder, name, hours, bin_dir, changes=((0, 300), (5, 1500)), kbps=KBPS):
    """Writes a track of `hours` at `kbps` made of sections, each repeating one piece: `changes`
    gives the hour where each section begins and the pitch its piece steps up from. Returns one
    Track per section, which names the section heard, by its pitch, and the second within its
    piece."""
    pieces, sections = [], []
    for number, (begins, base) in enumerate(changes):
        path = os.path.join(folder, f".piece-{number}.mp3")
        subprocess.run([os.path.join(bin_dir, "make_test_tone"), path, "mp3", str(base),
                        str(PIECE_SECONDS), str(kbps)], check=True)
        pieces.append(split_piece(path))
        os.remove(path)
        ends = changes[number + 1][0] if number + 1 < len(changes) else hours
        repeats = int((ends - begins) * 3600 / PIECE_SECONDS)
        sections.append((pieces[-1], repeats))
        pieces[-1] = Track(f"{name} from hour {begins}", "mp3", base, PIECE_SECONDS)
    frames = sum(count * repeats for (_, _, count), repeats in sections)
    size = len(sections[0][0][0]) + sum(len(audio) * repeats for (_, audio, _), repeats in sections)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(with_totals(sections[0][0][0], frames, size))
        for (_, audio, _), repeats in sections:
            for _ in range(repeats):
                out.write(audio)
    return pieces
