// What the bus says about the window: the MPRIS names and units for the player's state, free of
// the bus and of the window's controls.
#pragma once

#include <QByteArray>
#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>
#include <cstdint>

#include "player/playback.h"

namespace mpris {

inline constexpr int64_t kMicrosecondsPerSecond = 1'000'000;

// The track id the standard reserves for "no track".
QDBusObjectPath noTrackId();
// The id of the n-th track that the window has started since it opened.
QDBusObjectPath trackId(uint64_t n);

// "Playing", "Paused" or "Stopped".
QString playbackStatus(player::PlayStatus status);

// A tag slot's text without the NUL fill and blanks that pad it.
QString slotText(const QString& slot);

// Whether the window names a file to play: the empty list at start-up leaves only a folder.
bool hasTrack(const player::PlayerState& state);

// The track's metadata as MPRIS clients read it: id, title (else the file name without its
// extension), artist and genre as lists, album, exact length in microseconds, file:// URL.
QVariantMap metadata(const player::PlayerState& state, const QDBusObjectPath& id);

// The file name suffix for a picture's bytes by their signature: "png" or "jpg"; empty for
// anything else (another format, or bytes that are no image), which panels are not shown.
QString pictureSuffix(const QByteArray& bytes);

// The volume slider's position (0 to 100) for a bus volume; below 0 is 0 and above 1 is 1.
int sliderPosition(double volume);

// Where a relative seek by offset microseconds from second `now` aims, in microseconds; never
// before the start, and saturated rather than overflowed for absurd offsets.
int64_t seekTarget(int32_t now, int64_t offset);

// The whole second nearest to a position in microseconds (a tie to the even one), within 0 and
// the largest 32-bit second.
int32_t wholeSeconds(int64_t microseconds);

// Whether the elapsed time moved between two ticks in a way that playing does not explain (a seek,
// a restart): backwards, or forwards by more than the second or two that pass between two ticks
// while playing; any move when not playing.
bool positionJumped(int32_t before, int32_t after, bool playing);

} // namespace mpris
