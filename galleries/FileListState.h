// The look of the gallery dialog's file list that survives the dialog: the
// sort column and directions, the column order and widths ("Select Files
// View"), the thumbnail size ("View Image Size"), and how two texts of a
// column compare.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <vector>

constexpr int FileListColumns = 9;
constexpr UINT SmallestThumbnail = 24;
constexpr UINT LargestThumbnail = 256;

// The columns of the file list.
enum FileListColumn : int
{
    ColumnName = 0,
    ColumnStatus = 1,
    ColumnKind = 2,
    ColumnWidth = 3,
    ColumnHeight = 4,
    ColumnDuration = 5,
    ColumnType = 6,
    ColumnSize = 7,
    ColumnFolder = 8,
};

struct FileListState
{
    int sortColumn = ColumnName;
    // Per column: set = ascending.
    bool ascending[FileListColumns] = {true, true, true, true, true, true, true, true, true};
    int order[FileListColumns] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    int widths[FileListColumns] = {};
    bool hasLayout = false; // order and widths came from the stored value
};

// "Select Files View": 1 + columns 32-bit words. Decoding checks the size, the
// sort column and that the order is a permutation; false leaves state as it was.
std::vector<unsigned char> EncodeFileListView(const FileListState& state);
bool DecodeFileListView(const void* data, size_t size, FileListState& state);

// Stored widths are clamped to 3..2000 and to three quarters of the client width.
int ClampColumnWidth(int width, int clientWidth);

// "View Image Size": a REG_DWORD of 24 to 256; 0 when not valid.
UINT DecodeThumbnailSize(DWORD type, const void* data, DWORD size);

// Reading and writing the two values under the program's key; a bad value is
// deleted (then false / 0).
bool ReadFileListView(FileListState& state);
void WriteFileListView(const FileListState& state);
UINT ReadThumbnailSize();
void WriteThumbnailSize(UINT size);
// "Select Files Window": left, top, right, bottom, centre x and y.
bool ReadDialogRect(RECT& rect, POINT& centre);
void WriteDialogRect(const RECT& rect);
void DeleteDialogRect();

// How two texts of a column compare in ascending order: -1, 0 or 1. Name,
// status, kind, type and folder compare upper-cased, unit by unit; width,
// height and size as numbers (the "," separators removed), the duration as
// "h:mm:ss" in seconds. A text without a number sorts before every number.
int CompareColumnTexts(int column, const MString& a, const MString& b);
