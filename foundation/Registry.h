// Registry access. Every access opens its key, reads, writes or deletes one
// value and closes the key again, so that no handle is held between accesses.
#pragma once

#include <windows.h>

// The program's settings key below HKEY_CURRENT_USER: "Software\Velmora\Quillory\3".
const wchar_t* ProgramSettingsKeyPath();

// Owns one open registry key.
class RegistryKey
{
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { Close(); }

    // error (optional) receives the system's answer.
    bool Open(HKEY root, const wchar_t* path, REGSAM access, LONG* error = nullptr);
    // Opens the key, creating it when missing; error (optional) receives
    // the system's answer.
    bool Create(HKEY root, const wchar_t* path, REGSAM access, LONG* error = nullptr);
    void Close();

    HKEY Get() const { return m_key; }
    bool IsOpen() const { return m_key != nullptr; }

    // RegQueryValueExW: size in is the room, size out what the value holds.
    LONG Query(const wchar_t* name, DWORD& type, void* data, DWORD& size) const;
    LONG Set(const wchar_t* name, DWORD type, const void* data, DWORD size) const;
    LONG Delete(const wchar_t* name) const;

private:
    HKEY m_key = nullptr;
};

// Outcome of reading a fixed-size value.
enum class RegistryRead
{
    Ok,
    Missing,    // no such key or value
    Unreadable, // any other failure
    WrongType,
    WrongSize,
};

// Reads a value of exactly size bytes and the given type from the settings key.
RegistryRead ReadProductValue(const wchar_t* name, DWORD type, void* data, DWORD size);
// Same, from a key that is already open.
RegistryRead ReadFixedValue(const RegistryKey& key, const wchar_t* name, DWORD type, void* data, DWORD size);
// Writes a value under the settings key (created when missing); a failed
// write deletes the value so that no stale data stays behind.
bool WriteProductValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
void DeleteProductValue(const wchar_t* name);
