// Resource, file and checksum operations of the atoms; included by Atom.h.
// They work on the raw bytes of the elements; sizes read from outside must be
// whole multiples of sizeof(T), otherwise the buffer ends empty.
#pragma once

// The language resource module of the user-interface language; set at start-up.
extern HMODULE LanguageModule;

namespace AtomDetail
{
// Largest byte count moved by one ReadFile or WriteFile call.
constexpr unsigned __int64 TransferChunk = 0x40000000;

// Writes bytes at the handle's position in chunks, stopping at the first
// failure. error receives 0, the system error, or ERROR_WRITE_FAULT for a
// short write.
bool WriteChunks(HANDLE file, const void* data, unsigned __int64 bytes, DWORD* error);
// Reads exactly bytes from the handle's position in chunks.
bool ReadChunks(HANDLE file, void* data, unsigned __int64 bytes);
bool IsFileHandle(HANDLE file);
// Finds and locks a resource; false when it is missing or cannot be loaded.
bool FindResourceBytes(HMODULE module, const wchar_t* type, unsigned id, const void** bytes, DWORD* size);
double Checksum(const void* data, unsigned __int64 bytes);

// A module loaded for its resources and freed at scope end, also when the
// load from it throws.
class LoadedModule
{
public:
    explicit LoadedModule(const wchar_t* path) : m_module(LoadLibraryW(path)) {}
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    ~LoadedModule()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module;
};
}

template <class T> MAtom<T>& MAtom<T>::LoadFromResource(HMODULE module, const wchar_t* type, unsigned id)
{
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!module || !AtomDetail::FindResourceBytes(module, type, id, &bytes, &size) || size % sizeof(T) != 0)
        return Clear();
    ShellMemory<T> resource(static_cast<T*>(const_cast<void*>(bytes)), size / sizeof(T));
    return Assign(resource);
}

template <class T>
MAtom<T>& MAtom<T>::LoadFromResourceFile(const wchar_t* modulePath, const wchar_t* type, unsigned id)
{
    // Checked here: some kinds take a null module for the program's own.
    const AtomDetail::LoadedModule module(modulePath);
    if (!module.Get())
        return Clear();
    return LoadFromResource(module.Get(), type, id);
}

template <class T> MAtom<T>& MAtom<T>::LoadFromLanguageResource(const wchar_t* type, unsigned id)
{
    return LoadFromResource(LanguageModule, type, id);
}

template <class T>
bool MAtom<T>::WriteToResource(const wchar_t* executablePath, const wchar_t* type, unsigned id,
                               WORD primaryLanguage, WORD subLanguage, bool deleteExisting) const
{
    if (GetByteCount() > MAXDWORD)
        return false;
    HANDLE update = BeginUpdateResourceW(executablePath, deleteExisting);
    if (!update)
        return false;
    if (!UpdateResourceW(update, type, MAKEINTRESOURCEW(id & 0xFFFF), MAKELANGID(primaryLanguage, subLanguage),
                         m_data, static_cast<DWORD>(GetByteCount())))
    {
        EndUpdateResourceW(update, TRUE);
        return false;
    }
    return EndUpdateResourceW(update, FALSE) != FALSE;
}

template <class T>
bool MAtom<T>::WriteFile(const wchar_t* path, DWORD flagsAndAttributes, DWORD* error) const
{
    return WriteFile(path, CREATE_ALWAYS, flagsAndAttributes, error);
}

// Any failure answers false, with or without the error out-parameter, and
// the first failed chunk ends the write.
template <class T>
bool MAtom<T>::WriteFile(const wchar_t* path, DWORD creationDisposition, DWORD flagsAndAttributes,
                         DWORD* error) const
{
    DWORD ignored = 0;
    DWORD& result = error ? *error : ignored;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, creationDisposition, flagsAndAttributes, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        result = GetLastError();
        return false;
    }
    const bool written = AtomDetail::WriteChunks(file, m_data, GetByteCount(), &result);
    CloseHandle(file);
    return written;
}

template <class T> const MAtom<T>& MAtom<T>::WriteToHandleAtStart(HANDLE file) const
{
    LARGE_INTEGER zero = {};
    if (AtomDetail::IsFileHandle(file) && SetFilePointerEx(file, zero, nullptr, FILE_BEGIN))
        AtomDetail::WriteChunks(file, m_data, GetByteCount(), nullptr);
    return *this;
}

template <class T> const MAtom<T>& MAtom<T>::AppendToHandle(HANDLE file) const
{
    LARGE_INTEGER zero = {};
    if (AtomDetail::IsFileHandle(file) && SetFilePointerEx(file, zero, nullptr, FILE_END))
        AtomDetail::WriteChunks(file, m_data, GetByteCount(), nullptr);
    return *this;
}

template <class T> const MAtom<T>& MAtom<T>::AppendToFile(const wchar_t* path) const
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return *this;
    AppendToHandle(file);
    CloseHandle(file);
    return *this;
}

template <class T> const MAtom<T>& MAtom<T>::WriteToHandle(HANDLE file) const
{
    if (AtomDetail::IsFileHandle(file))
        AtomDetail::WriteChunks(file, m_data, GetByteCount(), nullptr);
    return *this;
}

template <class T> bool MAtom<T>::ReadOpenFile(HANDLE file, unsigned __int64 maximumCount)
{
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || static_cast<unsigned __int64>(size.QuadPart) % sizeof(T) != 0)
        return false;
    unsigned __int64 count = static_cast<unsigned __int64>(size.QuadPart) / sizeof(T);
    if (count > maximumCount)
        count = maximumCount;
    // A view cannot grow: it takes no more than the elements it covers.
    if (!IsResizable() && count > m_count)
        count = m_count;
    Resize(count);
    // Some kinds end empty when the block cannot be had.
    if (m_count != count)
        return false;
    return AtomDetail::ReadChunks(file, m_data, count * sizeof(T));
}

template <class T>
MAtom<T>& MAtom<T>::ReadWholeFile(const wchar_t* path, bool /*missingIsEmpty: every failure empties the buffer*/)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Clear();
    const bool read = ReadOpenFile(file, ~0ull);
    CloseHandle(file);
    if (!read)
        Clear();
    return *this;
}

template <class T> double MAtom<T>::Checksum() const { return AtomDetail::Checksum(m_data, GetByteCount()); }

template <class T> unsigned __int64 MAtom<T>::ChecksumBits() const
{
    const double sum = Checksum();
    unsigned __int64 bits;
    std::memcpy(&bits, &sum, sizeof bits);
    return bits;
}

#include "foundation/AtomHandleReads.h"
