// Hostile files for the tests, made by the test itself: a PNG whose header
// declares a huge picture in a few kilobytes (its pixel data ends early), a
// real PNG of a gigabyte decoded in a few megabytes, a sparse file of
// gigabytes that takes no room on the disk, and a folder link.
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

// Bits written the way deflate packs them: from the lowest bit of each byte.
class DeflateBits
{
public:
    explicit DeflateBits(std::vector<unsigned char>& out) : m_out(out) {}
    void Put(uint32_t value, int count) // value's low bits, lowest first
    {
        for (int i = 0; i < count; ++i)
        {
            if (m_used == 0)
                m_out.push_back(0);
            m_out.back() |= static_cast<unsigned char>(((value >> i) & 1) << m_used);
            m_used = (m_used + 1) % 8;
        }
    }
    void PutCode(uint32_t code, int count) // a Huffman code, highest bit first
    {
        for (int i = count - 1; i >= 0; --i)
            Put((code >> i) & 1, 1);
    }

private:
    std::vector<unsigned char>& m_out;
    int m_used = 0;
};

// A real PNG of width x height pixels, 8-bit RGBA, all transparent black:
// its zlib stream holds runs of 258 zero bytes in 13 bits each, so that a
// picture of a gigabyte takes a few megabytes, and it decodes whole.
inline std::vector<unsigned char> DecompressionBombPng(uint32_t width, uint32_t height)
{
    const uint64_t total = static_cast<uint64_t>(height) * (1 + static_cast<uint64_t>(width) * 4);
    std::vector<unsigned char> stream = {0x78, 0x01};
    {
        DeflateBits bits(stream);
        bits.Put(1, 1);              // the last block
        bits.Put(1, 2);              // of fixed Huffman codes
        bits.PutCode(0x30, 8);       // the literal 0
        uint64_t left = total - 1;
        for (; left >= 258; left -= 258)
        {
            bits.PutCode(0xC5, 8);   // length 258
            bits.PutCode(0, 5);      // at distance 1
        }
        for (; left > 0; --left)
            bits.PutCode(0x30, 8);
        bits.PutCode(0, 7);          // end of block
    }
    const uint32_t adler = static_cast<uint32_t>(total % 65521) << 16 | 1;
    PutBe32(stream, adler);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", stream);
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

// The most memory this process has had in use so far, in bytes (its peak
// working set: Wine reports no true peak of committed memory).
inline uint64_t PeakMemoryBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return counters.PeakWorkingSetSize;
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

// Starts a Unix program from a Windows program under Wine (the command line
// is the program's path, then its quoted arguments). Wine gives no handle to
// wait on for such a process: the caller waits for what it does.
inline bool StartUnixProgram(const char* program, const std::vector<std::string>& arguments)
{
    std::string command = program;
    for (const std::string& argument : arguments)
        command += " \"" + argument + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hProcess)
        CloseHandle(process.hProcess);
    if (process.hThread)
        CloseHandle(process.hThread);
    return true;
}

// Waits up to 30 s for path to exist (or, with exists false, to be gone).
inline bool WaitForPath(const std::wstring& path, bool exists)
{
    for (int i = 0; i < 1500; ++i)
    {
        if ((GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == exists)
            return true;
        Sleep(20);
    }
    return false;
}

// A folder link (a directory symbolic link) that is removed with its owner.
// Wine 8 answers CreateSymbolicLinkW with success and makes nothing; there
// the link is made as a Unix symbolic link, which Wine shows as a folder.
class FolderLink
{
public:
    FolderLink(const std::wstring& link, const std::wstring& target) : m_link(link)
    {
        CreateSymbolicLinkW(link.c_str(), target.c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
        if (GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        {
            const size_t slash = link.find_last_of(L'\\');
            const std::wstring name = link.substr(slash + 1);
            m_unix = StartUnixProgram("/bin/ln", {"-s", OutsidePath(target), OutsidePath(link.substr(0, slash)) + "/" +
                                                                                   std::string(name.begin(), name.end())});
        }
        m_made = WaitForPath(link, true);
    }
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;
    ~FolderLink()
    {
        if (!m_made)
            return;
        if (m_unix && StartUnixProgram("/bin/rm", {OutsidePath(m_link)}))
            WaitForPath(m_link, false);
        else if (!m_unix)
            RemoveDirectoryW(m_link.c_str());
    }
    bool Made() const { return m_made; }

private:
    std::wstring m_link;
    bool m_made = false;
    bool m_unix = false;
};
}
