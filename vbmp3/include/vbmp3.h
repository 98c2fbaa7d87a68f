/*
 * vbmp3: the playback engine's C interface.
 *
 * The engine opens one music file at a time (MP3, WAV, WMA, MIDI and whatever else its decoders
 * take; the kind comes from the content, not the name), plays it in the background on its own
 * threads and answers questions about it. Every function returns at once: none waits for the
 * decoder or the sound device, those that name a file wait no longer than about 50 ms for one
 * whose reads stall and a second at most for one that reads slowly (a busy machine), and all may
 * be called from any one thread while the engine plays.
 * The files' bytes are parsed in the engine's own decoder process (vbmp3-decoder, beside the
 * library), started by vbmp3_init and shut in: a file that crashes it or overruns its time or
 * memory costs that file only, and a new one takes over for the next.
 * Before vbmp3_init and after vbmp3_free every function does nothing and returns 0.
 *
 * Text crossing this interface is zero-terminated 8-bit text in the boundary code page: the
 * locale's character set (UTF-8 on a usual Linux desktop). Fixed text fields are slots of n bytes;
 * a text is cut at a character boundary to fit its slot and the rest of the slot is NUL.
 *
 * Results are 32-bit; where a result means success, it is non-zero on success and 0 on failure.
 * Times are whole seconds from the start of the track. All memory is the caller's.
 *
 * Engine state (vbmp3_getState):
 *   VBMP3_STOPPED 0  no file open, after vbmp3_stop, after a failed open (a file whose decoding
 *                    ended or overran its time while it opened too), after vbmp3_close, and
 *                    after the natural end of a track (the elapsed time then reads
 *                    totalSeconds - 1 until the next open, play, seek or stop); a track whose
 *                    decoding ends or overruns its time while it plays ends in the same way
 *                    once what was decoded of it has been heard.
 *   VBMP3_PLAYING 1  after vbmp3_play (from the start when stopped) and vbmp3_restart, until the
 *                    last sample has been heard, by the sound server's own account (a track of
 *                    a twentieth of a second too). A file whose reads hang once it has opened
 *                    (a stalled network share) stays here at 0 seconds and costs no other file:
 *                    the next open or close leaves it behind; left alone, it ends as above after
 *                    10 seconds. A lost sound server does not leave this state: the engine goes
 *                    on against its own clock, silently, until a server answers again (it retries
 *                    about once a second and at each call that changes playback).
 *   VBMP3_PAUSED  2  after vbmp3_pause while playing; the position is kept.
 */
#ifndef VBMP3_H
#define VBMP3_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define VBMP3_API __declspec(dllexport)
#else
#define VBMP3_API __attribute__((visibility("default")))
#endif

enum { VBMP3_STOPPED = 0, VBMP3_PLAYING = 1, VBMP3_PAUSED = 2 };

/* MpegInfo.fileKind */
enum {
    VBMP3_KIND_MPEG = 1,
    VBMP3_KIND_WAVE = 2,
    VBMP3_KIND_WMA = 3,
    VBMP3_KIND_MIDI = 4,
    VBMP3_KIND_OTHER = 5
};

enum { VBMP3_TEXT_SLOT = 128, VBMP3_YEAR_SLOT = 5, VBMP3_BUFFER_LENGTH = 256 };

/* The largest embedded picture that vbmp3_getFilePicture hands over, in bytes (16 MiB). */
enum { VBMP3_PICTURE_LIMIT = 16777216 };

/* What vbmp3_open reports about the file it opened. 272 bytes. */
typedef struct vbmp3_InputInfo {
    char formatName[VBMP3_TEXT_SLOT]; /* container, e.g. "MP2/3 (MPEG audio layer 2/3)" */
    char codecName[VBMP3_TEXT_SLOT];  /* decoder, e.g. "MP3 (MPEG audio layer 3)" */
    int32_t sampleRate;               /* of the source, Hz */
    int32_t channels;                 /* of the source */
    int32_t bitRate;                  /* kbit/s, the average for VBR; 0 for MIDI */
    int32_t totalSeconds;             /* as in vbmp3_MpegInfo */
} vbmp3_InputInfo;

/* A file's tags. 652 bytes. Every field is written on each read; what the file lacks is empty. */
typedef struct vbmp3_TagInfo {
    char title[VBMP3_TEXT_SLOT];
    char artist[VBMP3_TEXT_SLOT];
    char album[VBMP3_TEXT_SLOT];
    char year[VBMP3_YEAR_SLOT];
    char comment[VBMP3_TEXT_SLOT];
    int32_t genreCode; /* the ID3v1 genre number, or -1 where the file has none */
    char genreName[VBMP3_TEXT_SLOT];
} vbmp3_TagInfo;

/* The current stream's facts. 56 bytes, fourteen 32-bit fields. */
typedef struct vbmp3_MpegInfo {
    int32_t sampleRate;        /* of the source, Hz */
    int32_t channels;          /* of the source */
    int32_t bitsPerSample;     /* of the source's samples; 0 where it has none (compressed, MIDI) */
    int32_t fileKind;          /* VBMP3_KIND_* */
    int32_t variableBitRate;   /* 1 for a variable bit rate, else 0 */
    int32_t totalMilliseconds; /* exact length */
    int32_t outputRate;        /* the engine's output rate, Hz */
    int32_t fileSizeKiB;       /* size of the file on disk, KiB, rounded up */
    int32_t trackCount;        /* MIDI: tracks in the file; audio: 1 */
    int32_t bitRate;           /* kbit/s, the average for VBR; 0 for MIDI */
    int32_t hasTag;            /* 1 if the file carries any tag text */
    int32_t hasPicture;        /* 1 if the file embeds a picture */
    int32_t seekable;          /* 1 if vbmp3_seek can land in this stream */
    int32_t totalSeconds;      /* whole seconds that playback enters: the exact length rounded
                                  down, plus one (a track of 2.5 s has 3, one of 0.4 s has 1) */
} vbmp3_MpegInfo;

/* Starts the engine (output device or silent clock, threads). Once, first. 0 if it cannot. */
VBMP3_API int32_t vbmp3_init(void);
/* Stops and releases everything; no vbmp3_stop or vbmp3_close is needed before it. Returns within
 * about two seconds whatever the sound server and the files do: the reading of a file that hangs
 * is abandoned, and the library then stays loaded for the rest of the process. */
VBMP3_API int32_t vbmp3_free(void);

/* Opens fileName as the current file, replacing (and closing) any current one, even while it
 * plays; fills info. Non-zero only when the file really decodes. After a failure no file is
 * current: the state reads 0 with 0 seconds, play does nothing, getMpegInfo returns 0.
 * The file is read on a thread of the engine's, never the caller's: the call returns once that
 * reading has been stalled for about 50 ms (its reads hang: a stalled network share, a disc
 * spinning up), or has run for a second (a hostile file, a very busy machine), whatever the file
 * does. A file still opening then fails as one that cannot be opened, and so does every call
 * that names it until its reading returns; a FIFO, a device or a folder fails at once. The file's
 * tags are read right after it opens, for the stream's name and for vbmp3_getFileTagInfo. */
VBMP3_API int32_t vbmp3_open(const char* fileName, vbmp3_InputInfo* info);
/* Closes the current file; its playback ends. */
VBMP3_API int32_t vbmp3_close(void);

/* Reads the tags of the named file (not necessarily the current one) into tag. Non-zero when the
 * file could be read. The file opened last, unchanged since (same path, size and modification
 * time), answers with the tags read at its open, without reading it again. It waits as vbmp3_open
 * does: a file whose reads hang fails as one without a tag, at once while an
 * earlier call's reading of it still hangs. */
VBMP3_API int32_t vbmp3_getFileTagInfo(const char* fileName, vbmp3_TagInfo* tag);
/* Reads the picture embedded in the named file's tag (not necessarily the current one): an ID3v2
 * APIC frame of an MP3 or of a WAV's id3 chunk, a WMA's WM/Picture; the front cover where there
 * are several, else the first. The bytes are as the tag stores them, usually a JPEG or PNG image,
 * not checked. Writes the picture's size in bytes into *pictureSize (0 without a picture) and,
 * when `size` is at least that, the picture into buffer; otherwise buffer is left unwritten, so a
 * first call with buffer NULL and size 0 asks for the size, and a second one fetches it. Returns
 * non-zero when the file has a picture of 1 to VBMP3_PICTURE_LIMIT bytes, whether it fitted or
 * not; 0 without one (a larger one counts as none) and for an unreadable file; 0 and nothing
 * written if pictureSize is NULL or size negative. The file is read only where its tags are,
 * never the audio, so the call costs about what vbmp3_getFileTagInfo does plus the picture. */
VBMP3_API int32_t vbmp3_getFilePicture(const char* fileName, void* buffer, int32_t size,
                                       int32_t* pictureSize);
/* Fills mpeg with the current file's facts; returns 0 and writes nothing without a current file.
 * The length (totalMilliseconds, totalSeconds) can change after the open, where the frames of a
 * file without a header that fits are counted in the background: read again to follow it. */
VBMP3_API int32_t vbmp3_getMpegInfo(vbmp3_MpegInfo* mpeg);

/* Plays the current file: from the start when stopped (also after a natural end), from the
 * position when paused. Does nothing without a current file. */
VBMP3_API int32_t vbmp3_play(void);
/* Halts where it is; state 2. */
VBMP3_API int32_t vbmp3_pause(void);
/* Goes on from where vbmp3_pause halted; state 1. */
VBMP3_API int32_t vbmp3_restart(void);
/* Ends playback; state 0, elapsed 0. */
VBMP3_API int32_t vbmp3_stop(void);
/* Goes on from second `seconds` of the track, sample-exact (WMA: to its timestamps, whole
 * milliseconds); a target at or past the end ends the track as its natural end does. Keeps the
 * state (a paused track stays paused there). */
VBMP3_API int32_t vbmp3_seek(int32_t seconds);
/* Output volume, 0 (silence) to 100, on a perceptual curve; values outside are clamped. The first
 * argument is the left channel's, the second the right's. At start the engine plays as after
 * vbmp3_setVolume(50, 50). */
VBMP3_API int32_t vbmp3_setVolume(int32_t volume1, int32_t volume2);
/* Writes the output volume, 0 to 100 on vbmp3_setVolume's curve, left into *volume1 and right into
 * *volume2: what vbmp3_setVolume set last, or what the user has set since in the sound server's
 * own volume control (a desktop panel), which the engine takes as its volume. Returns 0 and writes
 * nothing if either pointer is NULL. Returns at once; any thread, as the other functions. */
VBMP3_API int32_t vbmp3_getVolume(int32_t* volume1, int32_t* volume2);

/* Returns the state (VBMP3_*) and writes the elapsed whole seconds that the output has played into
 * *seconds (left unwritten if seconds is NULL). */
VBMP3_API int32_t vbmp3_getState(int32_t* seconds);

/* The last 256 frames the output played: left channel into first, right into second, each of
 * VBMP3_BUFFER_LENGTH entries, full scale at +-100. Zeros while nothing plays. */
VBMP3_API int32_t vbmp3_getWave(int32_t* first, int32_t* second);
/* Per channel, 256 bins of a Hann-windowed 512-point FFT of the latest output, bin k at
 * k * outputRate / 512 Hz, in dB mapped so that silence reads 40 or less and a full-scale sine
 * about 110 at its bin. */
VBMP3_API int32_t vbmp3_getSpectrum(int32_t* first, int32_t* second);

#ifdef __cplusplus
}
#endif

#endif /* VBMP3_H */
