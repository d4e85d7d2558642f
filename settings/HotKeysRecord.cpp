#include "settings/HotKeysRecord.h"

#include "foundation/Registry.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "core/MessageBox.h"
#include "core/ProgramObjects.h"

const wchar_t HotKeysBlob[] = L"Hotkeys File";

namespace
{
constexpr unsigned char RecordVersion = 1;
constexpr unsigned char UnusedModifierBits = 0x1F;

void ClearTable(HotKeyEntry* table)
{
    for (size_t i = 0; i < HotKeyTableSize; ++i)
        table[i] = HotKeyEntry(0, false);
}
}

UINT HotKeyModifiers(unsigned char m) { return static_cast<UINT>(((m & 0x20) | (m >> 3)) >> 3); }

bool IsAllowedKey(const AllowedKeyTable& allowed, unsigned char key)
{
    for (unsigned __int64 i = 0; i < allowed.GetCount(); ++i)
        if (allowed.GetAt(i)->first == key)
            return true;
    return false;
}

bool DecodeHotKeysRecord(const BYTE* data, DWORD size, DWORD type, const AllowedKeyTable& allowed,
                         HotKeyEntry* table)
{
    ClearTable(table);
    if (!data || type != REG_BINARY || size != HotKeysRecordSize || data[0] != RecordVersion ||
        (data[1] & UnusedModifierBits) != 0)
        return false;
    for (size_t i = FirstHotKeyId; i < HotKeyTableSize; ++i)
        if (!IsAllowedKey(allowed, data[i]))
            return false;
    for (size_t i = 0; i < HotKeyTableSize; ++i)
        table[i] = HotKeyEntry(data[i], false);
    return true;
}

bool LoadHotKeys(const AllowedKeyTable& allowed, HotKeyEntry* table)
{
    ClearTable(table);
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_QUERY_VALUE))
        return false;
    // One byte more than a record, so that a longer value shows its size.
    BYTE data[HotKeysRecordSize + 1] = {};
    DWORD type = REG_NONE, size = sizeof(data);
    if (key.Query(HotKeysBlob, type, data, size) != ERROR_SUCCESS)
        return false;
    return DecodeHotKeysRecord(data, size, type, allowed, table) && table[1].first != 0;
}

void SaveHotKeys(const HotKeyEntry* table)
{
    BYTE data[HotKeysRecordSize] = {RecordVersion};
    for (size_t i = 1; i < HotKeyTableSize; ++i)
        data[i] = table[i].first;
    RegistryKey key;
    if (key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE))
        key.Set(HotKeysBlob, REG_BINARY, data, sizeof(data));
}

MString FailedHotKeyText(unsigned char modifiers, unsigned char key, const AllowedKeyTable& names)
{
    MString text;
    if (modifiers & HotKeyCtrl)
        text += MString(L"Ctrl +");
    if (modifiers & HotKeyAlt)
        text += MString(L"Alt +");
    if (modifiers & HotKeyShift)
        text += MString(L"Shift +");
    const MString name = IsAllowedKey(names, key) ? names.GetValue(key) : MString(sX::Format(), L"%c", key);
    return text + MString(sX::Format(), L"\"%s\"", name.GetText());
}

bool RegisterHotKeys(HWND window, HotKeyEntry* table, HWND owner, MString* outText, const AllowedKeyTable& names)
{
    const UINT modifiers = HotKeyModifiers(table[1].first);
    for (int id = FirstHotKeyId; id <= LastHotKeyId; ++id)
    {
        table[id].second = false;
        if (table[id].first == 0)
            continue;
        if (RegisterHotKey(window, id, modifiers, table[id].first))
        {
            table[id].second = true;
            continue;
        }
        const DWORD error = GetLastError();
        for (int earlier = FirstHotKeyId; earlier < id; ++earlier)
            if (table[earlier].second)
            {
                UnregisterHotKey(window, earlier);
                table[earlier].second = false;
            }
        const MString message(sX::Format(), IDS_HOT_KEYS_REFUSED,
                              FailedHotKeyText(table[1].first, table[id].first, names).GetText(),
                              FormatSystemError(error).GetText());
        if (outText)
            *outText = message;
        else
            LocalizedMessageBox(owner, message.GetText(), MString(ResId(IDS_PRODUCT_CAPTION)).GetText(),
                                MB_ICONERROR);
        return false;
    }
    return true;
}

void UnregisterHotKeys(HWND window, HotKeyEntry* table)
{
    for (int id = FirstHotKeyId; id <= LastHotKeyId; ++id)
        if (table[id].second)
        {
            UnregisterHotKey(window, id);
            table[id].second = false;
        }
}
