// The stored online filter: its plain byte form, which every online slide
// request carries to the server unchanged, and its encrypted registry value
// "Online Filter Data".
//
// Plain blob, all integers big-endian, texts UTF-16LE without a NUL:
//   version 1 (4), line count N (4), N x (record length L (4), record),
//   digest length 64 (4), SHA-512 of everything before (64),
//   total length (4), checksum of everything before (8).
// Record: version 1 (4), open parenthesis (1), property id (8),
//   operator (2), from value list (1), value block length V (4), value block,
//   language (4), close parenthesis (1), conjunction (1), record length (4),
//   checksum (8).
// Value block: version 1 (4), type (4), text bytes t (4), text,
//   block length (4), checksum (8).
// A checksum is the 64-bit pattern of the double that AtomDetail::Checksum
// gives for the bytes it covers.
#pragma once

#include "crypto/AesCipher.h"
#include "filter/SearchLine.h"

#include <memory>

extern const wchar_t OnlineFilterDataValueName[];

// Most and fewest lines of a filter.
constexpr size_t MaximumSearchLines = 5;
constexpr size_t MinimumSearchLines = 1;

// Why a blob or one of its parts was refused; Accepted when it was not.
enum class FilterBlobCheck : unsigned
{
    Accepted = 0,
    ValueVersion,        // value block: version is not 1
    ValueType,           // value block: type above 14
    ValueTextOdd,        // value block: odd text length
    ValueSize,           // value block: too short, or its text does not fit it
    ValueLength,         // value block: block-length field differs
    ValueChecksum,       // value block: checksum differs
    RecordVersion,       // record: version is not 1
    RecordConjunction,   // record: conjunction is not '&', '=', '^' or '|'
    RecordLength,        // record: record-length field differs
    RecordChecksum,      // record: checksum differs
    RecordSize,          // record: too short, or its value block does not fit it
    BlobSize,            // blob: a length runs past its end, or bytes are left over
    BlobVersion,         // blob: version is not 1
    BlobLineCount,       // blob: not 1 to 5 lines
    BlobDigest,          // blob: the digest differs
    BlobTotalLength,     // blob: total-length field differs
    BlobChecksum,        // blob: checksum differs
    Undecryptable,       // the stored value is not REG_BINARY or does not decrypt
    Missing,             // no filter is stored
};

namespace Property_Manager
{
// The value block of a value.
std::vector<unsigned char> SerializeValue(const Value& value);
// Reads a value block of exactly size bytes; every length is checked
// against size before it is used.
FilterBlobCheck DeserializeValue(const unsigned char* bytes, size_t size, Value& value);
// The record of a line.
std::vector<unsigned char> SerializeSearchLine(const search_line_data& line);
// Reads a record of exactly size bytes.
FilterBlobCheck DeserializeSearchLine(const unsigned char* bytes, size_t size, search_line_data& line);
} // namespace Property_Manager

// The plain blob of the lines, digest and trailer included.
std::vector<unsigned char> BuildOnlineFilterBlob(const SearchLineList& lines);
// Checks the whole plain blob and reads its lines; on any failure the list
// is empty.
FilterBlobCheck ReadOnlineFilterBlob(const unsigned char* bytes, size_t size, SearchLineList& lines);

// The cipher of the stored value, derived from the password built at run
// time from the product name.
std::unique_ptr<AesCipher> DeriveOnlineFilterKey();

// Stores the lines (1 to 5) encrypted; on any failure the value is deleted
// and false returned.
bool SaveOnlineFilterData(const SearchLineList& lines);
// The plain blob for the slide request: empty while the filter switch is
// off, when no filter is stored, or when the stored value fails any check
// (it is then deleted).
MemoryPH<unsigned char> LoadOnlineFilterRequestData();
// The stored lines for the gallery dialog. A damaged value is deleted, the
// list is empty and, when problems is given, string 796 is added to it for
// the whole filter.
void LoadSearchLines(SearchLineList& lines, FilterProblemList* problems);
void DeleteOnlineFilterData();

