#include "foundation/Registry.h"

#include "foundation/StringEx.h"
#include "foundation/SystemUtilities.h"

const wchar_t* ProgramSettingsKeyPath()
{
    static const MStringEx<wchar_t> path(sX::Format(), L"Software\\%s\\%s\\%d", MakerWord, ProductName,
                                         ProductMajorVersion);
    return path.GetText();
}

bool RegistryKey::Open(HKEY root, const wchar_t* path, REGSAM access, LONG* error)
{
    Close();
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExW(root, path, 0, access, &key);
    if (error)
        *error = result;
    if (result != ERROR_SUCCESS)
        return false;
    m_key = key;
    return true;
}

bool RegistryKey::Create(HKEY root, const wchar_t* path, REGSAM access, LONG* error)
{
    Close();
    HKEY key = nullptr;
    const LONG result =
        RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
    if (error)
        *error = result;
    if (result != ERROR_SUCCESS)
        return false;
    m_key = key;
    return true;
}

void RegistryKey::Close()
{
    if (m_key)
    {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

LONG RegistryKey::Query(const wchar_t* name, DWORD& type, void* data, DWORD& size) const
{
    type = REG_NONE;
    return RegQueryValueExW(m_key, name, nullptr, &type, static_cast<BYTE*>(data), &size);
}

LONG RegistryKey::Set(const wchar_t* name, DWORD type, const void* data, DWORD size) const
{
    return RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data), size);
}

LONG RegistryKey::Delete(const wchar_t* name) const
{
    return RegDeleteValueW(m_key, name);
}

RegistryRead ReadFixedValue(const RegistryKey& key, const wchar_t* name, DWORD type, void* data, DWORD size)
{
    if (!key.IsOpen())
        return RegistryRead::Unreadable;
    DWORD storedType = REG_NONE;
    DWORD storedSize = size;
    const LONG result = key.Query(name, storedType, data, storedSize);
    // A longer value does not fit: its type and size still tell what is wrong.
    if (result == ERROR_FILE_NOT_FOUND)
        return RegistryRead::Missing;
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
        return RegistryRead::Unreadable;
    if (storedType != type)
        return RegistryRead::WrongType;
    if (result == ERROR_MORE_DATA || storedSize != size)
        return RegistryRead::WrongSize;
    return RegistryRead::Ok;
}

RegistryRead ReadProductValue(const wchar_t* name, DWORD type, void* data, DWORD size)
{
    RegistryKey key;
    LONG error = ERROR_SUCCESS;
    if (!key.Open(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_QUERY_VALUE, &error))
        return error == ERROR_FILE_NOT_FOUND ? RegistryRead::Missing : RegistryRead::Unreadable;
    return ReadFixedValue(key, name, type, data, size);
}

bool WriteProductValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE))
        return false;
    if (key.Set(name, type, data, size) == ERROR_SUCCESS)
        return true;
    key.Delete(name);
    return false;
}

void DeleteProductValue(const wchar_t* name)
{
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE))
        key.Delete(name);
}
