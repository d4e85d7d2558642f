// Real files and folders for the gallery and slide-show tests: a temporary
// folder tree removed with everything in it, plain files, and pictures that
// GDI+ encodes.
#pragma once

#include "foundation/GdiplusSession.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include <string>
#include <vector>

namespace GalleryTest
{
class TempTree
{
public:
    TempTree()
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        wchar_t name[MAX_PATH];
        GetTempFileNameW(base, L"qg", 0, name);
        DeleteFileW(name);
        CreateDirectoryW(name, nullptr);
        m_path = name;
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    ~TempTree()
    {
        std::wstring from = m_path + L'\0';
        SHFILEOPSTRUCTW operation = {};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NO_UI;
        SHFileOperationW(&operation);
    }

    const std::wstring& Path() const { return m_path; }
    std::wstring At(const std::wstring& relative) const { return m_path + L"\\" + relative; }

    std::wstring Folder(const std::wstring& relative) const
    {
        const std::wstring path = At(relative);
        CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }
    std::wstring File(const std::wstring& relative, const std::string& bytes = "x") const
    {
        const std::wstring path = At(relative);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return path;
    }

private:
    std::wstring m_path;
};

// A file-descriptor block (FileGroupDescriptorW) that declares count files
// and holds room for entries of them, each named "fileN.png".
inline std::vector<unsigned char> FileDescriptorBlock(UINT count, UINT entries)
{
    std::vector<unsigned char> block(sizeof(UINT) + entries * sizeof(FILEDESCRIPTORW));
    std::memcpy(block.data(), &count, sizeof(count));
    for (UINT i = 0; i < entries; ++i)
    {
        FILEDESCRIPTORW entry = {};
        entry.dwFlags = FD_FILESIZE;
        entry.nFileSizeLow = 4;
        const std::wstring name = L"file" + std::to_wstring(i) + L".png";
        name.copy(entry.cFileName, MAX_PATH - 1);
        std::memcpy(block.data() + sizeof(UINT) + i * sizeof(entry), &entry, sizeof(entry));
    }
    return block;
}

inline bool EncoderOf(const wchar_t* mime, CLSID& clsid)
{
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<unsigned char> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i)
        if (wcscmp(codecs[i].MimeType, mime) == 0)
        {
            clsid = codecs[i].Clsid;
            return true;
        }
    return false;
}

// A width x height picture, red on its left half and blue on its right,
// encoded as mime ("image/png", "image/tiff", "image/bmp").
inline bool WritePicture(const std::wstring& path, int width, int height, const wchar_t* mime = L"image/png")
{
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    Gdiplus::Graphics graphics(&bitmap);
    Gdiplus::SolidBrush red(Gdiplus::Color(255, 255, 0, 0)), blue(Gdiplus::Color(255, 0, 0, 255));
    graphics.FillRectangle(&red, 0, 0, width / 2, height);
    graphics.FillRectangle(&blue, width / 2, 0, width - width / 2, height);
    CLSID encoder;
    return EncoderOf(mime, encoder) && bitmap.Save(path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

// GDI+ for the scope of a test.
using GdiplusScope = GdiplusSession;
}
