/* Compiled as C: the public header must stay plain C and keep the records' byte layouts. */
#include "vbmp3.h"

#include <stddef.h>

_Static_assert(sizeof(vbmp3_InputInfo) == 272, "InputInfo is 272 bytes");
_Static_assert(sizeof(vbmp3_TagInfo) == 652, "TagInfo is 652 bytes");
_Static_assert(offsetof(vbmp3_TagInfo, year) == 384, "year at 384");
_Static_assert(offsetof(vbmp3_TagInfo, comment) == 389, "comment at 389");
_Static_assert(offsetof(vbmp3_TagInfo, genreCode) == 520, "genreCode at 520");
_Static_assert(offsetof(vbmp3_TagInfo, genreName) == 524, "genreName at 524");
_Static_assert(sizeof(vbmp3_MpegInfo) == 56, "MpegInfo is 56 bytes");
_Static_assert(offsetof(vbmp3_MpegInfo, bitRate) == 36, "bitRate at 36");
_Static_assert(offsetof(vbmp3_MpegInfo, totalSeconds) == 52, "totalSeconds at 52");
