#include "galleries/FileListState.h"

#include "foundation/FolderPath.h"
#include "foundation/Registry.h"

#include <algorithm>
#include <cstring>

namespace
{
const wchar_t ViewValueName[] = L"Select Files View";
const wchar_t ImageSizeValueName[] = L"View Image Size";
const wchar_t WindowValueName[] = L"Select Files Window";
constexpr DWORD ViewBytes = (1 + FileListColumns) * 4;
constexpr DWORD WindowBytes = 6 * 4;

DWORD WordAt(const unsigned char* data, size_t index)
{
    DWORD word;
    std::memcpy(&word, data + index * 4, 4);
    return word;
}

// The value of a text as a number: digits after removing ","; a duration's
// "h:mm:ss" parts give seconds. False when the text holds no number.
bool NumberOf(int column, const MString& text, unsigned __int64& value)
{
    value = 0;
    bool any = false;
    unsigned __int64 part = 0;
    for (unsigned __int64 i = 0; i < text.GetLength(); ++i)
    {
        const wchar_t c = text.GetText()[i];
        if (c == L',')
            continue;
        if (c >= L'0' && c <= L'9')
        {
            part = part * 10 + static_cast<unsigned>(c - L'0');
            any = true;
        }
        else if (c == L':' && column == ColumnDuration && any)
        {
            value = (value + part) * 60;
            part = 0;
        }
        else
            break;
    }
    value += part;
    return any;
}
}

std::vector<unsigned char> EncodeFileListView(const FileListState& state)
{
    std::vector<unsigned char> bytes(ViewBytes);
    DWORD first = static_cast<DWORD>(state.sortColumn) & 0x1F;
    for (int c = 0; c < FileListColumns; ++c)
        if (state.ascending[c])
            first |= 0x80000000u >> c;
    std::memcpy(bytes.data(), &first, 4);
    for (int c = 0; c < FileListColumns; ++c)
    {
        const DWORD word = (static_cast<DWORD>(state.order[c]) & 0xFFFF) |
                           (static_cast<DWORD>(std::max(0, state.widths[c]) & 0xFFFF) << 16);
        std::memcpy(bytes.data() + 4 * (c + 1), &word, 4);
    }
    return bytes;
}

bool DecodeFileListView(const void* data, size_t size, FileListState& state)
{
    if (!data || size != ViewBytes)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    FileListState decoded;
    const DWORD first = WordAt(bytes, 0);
    decoded.sortColumn = static_cast<int>(first & 0x1F);
    if (decoded.sortColumn >= FileListColumns)
        return false;
    bool seen[FileListColumns] = {};
    for (int c = 0; c < FileListColumns; ++c)
    {
        decoded.ascending[c] = (first & (0x80000000u >> c)) != 0;
        const DWORD word = WordAt(bytes, static_cast<size_t>(c) + 1);
        const DWORD order = word & 0xFFFF;
        if (order >= FileListColumns || seen[order])
            return false;
        seen[order] = true;
        decoded.order[c] = static_cast<int>(order);
        decoded.widths[c] = static_cast<int>(word >> 16);
    }
    decoded.hasLayout = true;
    state = decoded;
    return true;
}

int ClampColumnWidth(int width, int clientWidth)
{
    width = std::min(std::max(width, 3), 2000);
    return clientWidth > 0 ? std::min(width, clientWidth * 3 / 4) : width;
}

UINT DecodeThumbnailSize(DWORD type, const void* data, DWORD size)
{
    if (type != REG_DWORD || size != 4 || !data)
        return 0;
    DWORD value;
    std::memcpy(&value, data, 4);
    return value >= SmallestThumbnail && value <= LargestThumbnail ? value : 0;
}

namespace
{
// The value's type and bytes (up to limit); false when it is missing.
bool ReadRaw(const wchar_t* name, DWORD& type, std::vector<unsigned char>& bytes, DWORD limit)
{
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_READ))
        return false;
    bytes.resize(limit);
    DWORD size = limit;
    const LONG result = RegQueryValueExW(key.Get(), name, nullptr, &type, bytes.data(), &size);
    if (result == ERROR_FILE_NOT_FOUND)
        return false;
    if (result != ERROR_SUCCESS)
        size = limit + 1; // too large: wrong in any case
    bytes.resize(std::min(size, limit + 1));
    return true;
}

void Write(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    if (!WriteProductValue(name, type, data, size))
        DeleteProductValue(name);
}
}

bool ReadFileListView(FileListState& state)
{
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    if (!ReadRaw(ViewValueName, type, bytes, ViewBytes))
        return false;
    if (type == REG_BINARY && DecodeFileListView(bytes.data(), bytes.size(), state))
        return true;
    DeleteProductValue(ViewValueName);
    return false;
}

void WriteFileListView(const FileListState& state)
{
    const std::vector<unsigned char> bytes = EncodeFileListView(state);
    Write(ViewValueName, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

UINT ReadThumbnailSize()
{
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    if (!ReadRaw(ImageSizeValueName, type, bytes, 4))
        return SmallestThumbnail;
    const UINT size = DecodeThumbnailSize(type, bytes.data(), static_cast<DWORD>(bytes.size()));
    if (size)
        return size;
    DeleteProductValue(ImageSizeValueName);
    return SmallestThumbnail;
}

void WriteThumbnailSize(UINT size)
{
    const DWORD value = size;
    Write(ImageSizeValueName, REG_DWORD, &value, 4);
}

bool ReadDialogRect(RECT& rect, POINT& centre)
{
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    if (!ReadRaw(WindowValueName, type, bytes, WindowBytes))
        return false;
    if (type != REG_BINARY || bytes.size() != WindowBytes)
    {
        DeleteProductValue(WindowValueName);
        return false;
    }
    LONG words[6];
    std::memcpy(words, bytes.data(), WindowBytes);
    rect = {words[0], words[1], words[2], words[3]};
    centre = {words[4], words[5]};
    return true;
}

void WriteDialogRect(const RECT& rect)
{
    const LONG words[6] = {rect.left, rect.top, rect.right, rect.bottom, (rect.left + rect.right) / 2,
                           (rect.top + rect.bottom) / 2};
    Write(WindowValueName, REG_BINARY, words, WindowBytes);
}

void DeleteDialogRect() { DeleteProductValue(WindowValueName); }

int CompareColumnTexts(int column, const MString& a, const MString& b)
{
    switch (column)
    {
    case ColumnWidth:
    case ColumnHeight:
    case ColumnDuration:
    case ColumnSize:
    {
        unsigned __int64 x = 0, y = 0;
        const bool hasX = NumberOf(column, a, x), hasY = NumberOf(column, b, y);
        if (hasX != hasY)
            return hasX ? 1 : -1;
        return x < y ? -1 : x > y ? 1 : 0;
    }
    default:
    {
        const MString upperA = UpperCased(a), upperB = UpperCased(b);
        const wchar_t *p = upperA.GetText(), *q = upperB.GetText();
        for (;; ++p, ++q)
        {
            if (*p != *q)
                return static_cast<unsigned short>(*p) < static_cast<unsigned short>(*q) ? -1 : 1;
            if (!*p)
                return 0;
        }
    }
    }
}
