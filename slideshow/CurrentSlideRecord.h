// "Current Slide": the record of the slide now shown, stored after every
// slide step so that the next start goes on with the same slide: the same
// local file, when it is unchanged (SHA-512 of its content) and still belongs
// to the gallery, or an online slide. REG_BINARY, little-endian:
//   0  version 1 | 4 kind: 0x80000000 a local file, 0 an online slide
//   8  L, the byte length of the text | 16 the text: the path (UTF-16 with its
//      NUL) or "slide" for an online slide
//   local only: 16 + L  D, the digest's length (64) | 24 + L the digest
//   E  the record's total length | E + 8 PrimeTableHash of bytes 0 .. E + 7
// The value's name is CurrentSlideValueName of slideshow/MainWindowIds.h.
#pragma once

#include "foundation/StringEx.h"

#include <functional>
#include <vector>

// The SHA-512 digest of the file's content; false when the file cannot be
// read or hashed.
bool FileSha512(const MString& path, std::vector<unsigned char>& digest);

// The record's bytes; false when the local file cannot be hashed.
bool EncodeCurrentSlide(bool localFile, const MString& path, std::vector<unsigned char>& record);

// What a record's bytes hold, before the file they name is looked at.
struct DecodedCurrentSlide
{
    bool localFile = false;
    MString path;                       // "slide" for an online slide
    std::vector<unsigned char> digest;  // of a local file: its SHA-512
};

// Checks the record's every length, offset and check value against its size
// before it reads what they frame; false for a short or damaged record.
bool DecodeCurrentSlide(const unsigned char* record, size_t size, DecodedCurrentSlide& decoded);

// Stores the record of the slide now shown. False when a local file cannot
// be hashed: the caller forgets the current slide (DeleteCurrentSlideValue).
bool SaveCurrentSlide(bool localFile, const MString& path);

// The stored slide, read once at start. inWalk says whether a path belongs
// to the current local gallery. A local record while the media source is
// online leaves the record and answers online; an online record while it is
// local answers neither. A short, damaged or stale record is deleted and
// nothing is restored (empty path).
void RestoreCurrentSlide(const std::function<bool(const MString&)>& inWalk, MString& path, bool& online);

// The stored half of CLumivaneDlg::DeleteCurrentSlide, split from it: the
// window forgets the slide in memory itself (ResetReceivedSlide).
void DeleteCurrentSlideValue();
