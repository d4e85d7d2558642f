// Hostile files for the tests, made by the test itself: a PNG whose header
// declares a huge picture in a few kilobytes (its pixel data ends early, as
// a decoder only learns after it has made room for every pixel), a sparse
// file of gigabytes that takes no room on the disk, and a folder link.
#pragma once

#include <windows.h>

#include <psapi.h>
#include <winioctl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace HostileFiles
{
inline uint32_t Crc32(const unsigned char* bytes, size_t size, uint32_t crc = 0xFFFFFFFF)
{
    for (size_t i = 0; i < size; ++i)
    {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return crc;
}

inline void PutBe32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

inline void PutChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data)
{
    PutBe32(out, static_cast<uint32_t>(data.size()));
    std::vector<unsigned char> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBe32(out, Crc32(typed.data(), typed.size()) ^ 0xFFFFFFFF);
}

// A PNG of width x height pixels, 8-bit RGBA (4 bytes a pixel when
// decoded), whose compressed data holds only the first rows' worth of zeros.
inline std::vector<unsigned char> OversizedPng(uint32_t width, uint32_t height)
{
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    // zlib header, then one stored, not final, block of 4000 zero bytes.
    std::vector<unsigned char> data = {0x78, 0x01, 0x00, 0xA0, 0x0F, 0x5F, 0xF0};
    data.resize(data.size() + 4000, 0);
    PutChunk(png, "IDAT", data);
    PutChunk(png, "IEND", {});
    return png;
}

inline bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

// A file of size bytes that begins like a JPEG and is empty after: sparse
// where the file system allows, so it takes almost no room.
inline bool WriteHugeFile(const std::wstring& path, uint64_t size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    const unsigned char start[] = {0xFF, 0xD8, 0xFF, 0xE0};
    DWORD written = 0;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool ok = WriteFile(file, start, sizeof(start), &written, nullptr) &&
                    SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

// The most memory this process has had committed so far, in bytes.
inline uint64_t PeakCommittedBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return counters.PeakPagefileUsage;
}

// The path as a program outside Wine sees it (the stand-in server reads
// files by it): the Unix path under Wine, the path itself elsewhere.
inline std::string OutsidePath(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix =
        reinterpret_cast<ToUnix>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                                        "wine_get_unix_file_name")));
    if (char* unixPath = toUnix ? toUnix(path.c_str()) : nullptr)
    {
        std::string text(unixPath);
        HeapFree(GetProcessHeap(), 0, unixPath);
        return text;
    }
    return std::string(path.begin(), path.end());
}

// A folder link (a directory symbolic link) that is removed with its owner.
class FolderLink
{
public:
    FolderLink(const std::wstring& link, const std::wstring& target) : m_link(link)
    {
        m_made = CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                     SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
    }
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;
    ~FolderLink()
    {
        if (!m_made || RemoveDirectoryW(m_link.c_str()))
            return;
        // Wine makes the link a Unix symbolic link, which it cannot remove:
        // the Unix rm does.
        std::string command = "/bin/rm \"" + OutsidePath(m_link) + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (CreateProcessA("/bin/rm", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        {
            WaitForSingleObject(process.hProcess, 60000);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }
    bool Made() const { return m_made; }

private:
    std::wstring m_link;
    bool m_made = false;
};
}
