"""What the recording says: loudness and pitch over time, and which test track (and which second
of it) was sounding. Test tracks step their pitch once a second (tools/make_test_tone.cpp)."""
import numpy as np

from .desktop import RATE

WINDOW = 0.05  # seconds per analysis window
SILENT_RMS = 0.003


def windows(samples, start, end):
    """(time, rms, peak frequency) for each window between start and end seconds."""
    mono = samples.mean(axis=1)
    n = int(WINDOW * RATE)
    out = []
    first, last = int(start * RATE), min(int(end * RATE), len(mono))
    hann = np.hanning(n)
    for i in range(first, last - n + 1, n):
        chunk = mono[i:i + n]
        rms = float(np.sqrt(np.mean(chunk ** 2)))
        spectrum = np.abs(np.fft.rfft(chunk * hann, 8 * n))
        spectrum[: int(100 * 8 * n / RATE)] = 0  # below any test track
        peak = float(np.argmax(spectrum) * RATE / (8 * n))
        out.append((i / RATE, rms, peak))
    return out


class Track:
    """A test track: audio ones step 40 Hz a second from base_hz, MIDI ones a semitone from a key."""

    def __init__(self, name, kind, base, seconds):
        self.name, self.kind, self.base, self.seconds = name, kind, base, seconds

    def pitch(self, second):
        if self.kind == "mid":
            return 440.0 * 2 ** ((self.base + second - 69) / 12)
        return self.base + 40.0 * second

    def second_of(self, hz):
        """The second of this track that sounds at hz, or None if no second of it does."""
        best = min(range(int(self.seconds)), key=lambda s: abs(self.pitch(s) - hz))
        tolerance = 0.025 * self.pitch(best) if self.kind == "mid" else 12.0
        return best if abs(self.pitch(best) - hz) <= tolerance else None


def identify(tracks, hz):
    """(track, second) whose pitch is hz, or (None, None)."""
    for t in tracks:
        s = t.second_of(hz)
        if s is not None:
            return t, s
    return None, None


def first_sound(samples, start, end=None):
    """Time of the first non-silent window at or after start, or None."""
    for t, rms, _ in windows(samples, start, end or len(samples) / RATE):
        if rms > SILENT_RMS:
            return t
    return None


def sounding(samples, tracks, start, end):
    """The (track, second) heard most between start and end, with the rms level of the span."""
    seen = {}
    levels = []
    for _, rms, hz in windows(samples, start, end):
        levels.append(rms)
        if rms > SILENT_RMS:
            key = identify(tracks, hz)
            if key[0] is not None:
                seen[key] = seen.get(key, 0) + 1
    level = float(np.mean(levels)) if levels else 0.0
    if not seen:
        return None, None, level
    track, second = max(seen, key=seen.get)
    return track, second, level


def identified(samples, tracks, start, end):
    """(time, track, second) of each window between start and end in which a track sounds."""
    for t, rms, hz in windows(samples, start, end):
        if rms > SILENT_RMS:
            track, second = identify(tracks, hz)
            if track is not None:
                yield t, track, second


def segments(samples, tracks, start, end):
    """Runs of one playing of a track between start and end: [track, first time, end time]."""
    runs = []
    for t, track, second in identified(samples, tracks, start, end):
        last = runs[-1] if runs else None
        # A track that starts again (its pitch falls back) begins a run of its own.
        if last and last[0] is track and second >= last[3] and t - last[2] <= 2 * WINDOW:
            last[2], last[3] = t + WINDOW, second
        else:
            runs.append([track, t, t + WINDOW, second])
    # A lone window where one playing gives way to the next mixes both pitches: no run of its own.
    return [r[:3] for r in runs if r[2] - r[1] > WINDOW + 1e-9]


def last_start(samples, tracks, start, end):
    """(track, second, time) where the last unbroken playing between start and end began, by the
    capture's own clock: a seek or a new track breaks a playing, and the second it began at is
    what the seek asked for, however late the request arrived. (None, None, None) if nothing
    played."""
    runs = []
    for t, track, second in identified(samples, tracks, start, end):
        last = runs[-1] if runs else None
        if last and last[0] is track and second - last[-1][1] in (0, 1):
            last.append((t, second))
        else:
            runs.append([track, (t, second)])
    # A window where one playing gives way to the next mixes both pitches: too short to count.
    runs = [r for r in runs if len(r) > 4]
    if not runs:
        return None, None, None
    track, heard = runs[-1][0], runs[-1][1:]
    seconds = [second for _, second in heard[:6]]
    return track, max(set(seconds), key=seconds.count), heard[0][0]
