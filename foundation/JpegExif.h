// Carrying a JPEG file's EXIF block over into a re-encoded copy of its
// picture. An encoder that writes the turned pixels keeps no EXIF block of
// its own (or writes one from what its decoder read); the block of the
// original is put back, with its orientation set to 1 because the pixels
// are upright now. Both byte strings come from files on the disk: every
// length and offset is checked against the bytes before anything is read.
#pragma once

#include <cstddef>
#include <vector>

// The APP1 "Exif" segment of a JPEG (marker and length included) as found
// before the first SOS; false when there is none or the segments up to it
// are malformed.
bool FindExifSegment(const unsigned char* jpeg, size_t size, std::vector<unsigned char>& segment);

// Sets the orientation tag (0x0112) of IFD0 in an APP1 "Exif" segment to 1
// (upright); a segment without the tag is left as it was. False when the
// segment's TIFF header or IFD0 is malformed.
bool SetExifOrientationUpright(std::vector<unsigned char>& segment);

// Puts the original's EXIF segment, orientation upright, right after the
// rewritten JPEG's SOI, in place of any EXIF segment the encoder wrote.
// True when the rewritten bytes now hold it, or when the original has none
// (nothing to carry). False, with rewritten left as it was, when either
// is malformed.
bool CarryExifSegment(const std::vector<unsigned char>& original, std::vector<unsigned char>& rewritten);
