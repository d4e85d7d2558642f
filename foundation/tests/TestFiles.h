// Real files for the tests: a temporary folder that is removed with its files,
// whole-file reads and writes, and the test modules beside the test program.
#pragma once

#include <windows.h>

#include <string>

namespace TestFiles
{
class TempFolder
{
public:
    TempFolder()
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        GetTempFileNameW(base, L"qp", 0, m_path);
        DeleteFileW(m_path);
        CreateDirectoryW(m_path, nullptr);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder()
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(File(L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE)
        {
            do
                DeleteFileW(File(found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(m_path);
    }

    std::wstring Path() const { return m_path; }
    std::wstring File(const wchar_t* name) const { return std::wstring(m_path) + L"\\" + name; }

private:
    wchar_t m_path[MAX_PATH];
};

inline std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read)
        bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// A file of the test program's folder (the resource modules are built there).
inline std::wstring BesideProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

// The resource-only test module, loaded for the life of the object.
class TestModule
{
public:
    explicit TestModule(const wchar_t* name = L"FoundationTestModule.dll")
        : m_module(LoadLibraryW(BesideProgram(name).c_str()))
    {
    }
    TestModule(const TestModule&) = delete;
    TestModule& operator=(const TestModule&) = delete;
    ~TestModule()
    {
        if (m_module)
            FreeLibrary(m_module);
    }

    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module;
};
}
