#include "filter/MediaSource.h"

#include "foundation/Registry.h"
#include "core/Language.h"

#include <string>

const wchar_t MediaSourceValueName[] = L"Media Source";
const wchar_t SelectedOnlineGalleryValueName[] = L"Selected Online Gallery";
const wchar_t OnlineFilterSwitchValueName[] = L"Online Filter Switch";

namespace
{
constexpr DWORD SelectedGalleryBufferBytes = 40000;
constexpr DWORD DefaultGalleryLanguage = 1033;

// The leading decimal digits of the text; parsing stops at the first other
// character.
DWORD LeadingNumber(const wchar_t* text, size_t length)
{
    unsigned __int64 value = 0;
    for (size_t i = 0; i < length && text[i] >= L'0' && text[i] <= L'9'; ++i)
    {
        value = value * 10 + static_cast<unsigned>(text[i] - L'0');
        if (value > 0xFFFFFFFFull)
            return 0;
    }
    return static_cast<DWORD>(value);
}
}

namespace
{
// A 4-byte REG_BINARY word whose bit 31 is the switch. Any other type or
// size is deleted and reads as off.
bool ReadSwitchValue(const wchar_t* name)
{
    RegistryKey key;
    key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_ALL_ACCESS);
    if (!key.Get())
        return false;
    DWORD word = 0, type = 0, size = sizeof(word);
    const LONG result = key.Query(name, type, &word, size);
    if (result == ERROR_SUCCESS && type == REG_BINARY && size == sizeof(word))
        return (word & 0x80000000u) != 0;
    key.Delete(name);
    return false;
}

// Writes 0x80000000 or 0; a failed write deletes the value.
bool WriteSwitchValue(const wchar_t* name, bool on)
{
    RegistryKey key;
    key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE);
    if (!key.Get())
        return false;
    const DWORD word = on ? 0x80000000u : 0;
    if (key.Set(name, REG_BINARY, &word, sizeof(word)) == ERROR_SUCCESS)
        return true;
    key.Delete(name);
    return false;
}
} // namespace

bool ReadMediaSource() { return ReadSwitchValue(MediaSourceValueName); }

void WriteMediaSource(bool local) { WriteSwitchValue(MediaSourceValueName, local); }

bool ReadOnlineFilterSwitch() { return ReadSwitchValue(OnlineFilterSwitchValueName); }

bool WriteOnlineFilterSwitch(bool on) { return WriteSwitchValue(OnlineFilterSwitchValueName, on); }

SelectedOnlineGallery ReadSelectedOnlineGallery()
{
    SelectedOnlineGallery gallery;
    RegistryKey key;
    key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_ALL_ACCESS);
    if (!key.Get())
        return gallery;
    MemoryPH<BYTE> buffer{ElementCount(SelectedGalleryBufferBytes)};
    DWORD type = 0, size = SelectedGalleryBufferBytes;
    const LONG result =
        RegQueryValueExW(key.Get(), SelectedOnlineGalleryValueName, nullptr, &type, buffer.GetData(), &size);
    if (result != ERROR_SUCCESS || type != REG_SZ)
    {
        // Missing, too long for the buffer, or of another type.
        RegDeleteValueW(key.Get(), SelectedOnlineGalleryValueName);
        return gallery;
    }
    // The stored text need not end with a NUL.
    const wchar_t* text = reinterpret_cast<const wchar_t*>(buffer.GetData());
    size_t length = size / sizeof(wchar_t);
    while (length > 0 && text[length - 1] == 0)
        --length;
    for (size_t i = 0; i < length; ++i)
        if (text[i] == 0)
        {
            length = i;
            break;
        }

    size_t bar = 0;
    while (bar < length && text[bar] != L'|')
        ++bar;
    const std::wstring whole(text, length);
    if (bar == length)
    {
        gallery.name = MStringEx<wchar_t>(whole.c_str());
        return gallery;
    }
    const DWORD language = LeadingNumber(text, bar);
    gallery.language = language ? language : DefaultGalleryLanguage;
    gallery.name = MStringEx<wchar_t>(whole.substr(bar + 1).c_str());
    return gallery;
}

bool WriteSelectedOnlineGallery(const SelectedOnlineGallery& gallery)
{
    RegistryKey key;
    key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE);
    if (!key.Get())
        return false;
    const MStringEx<wchar_t> text(sX::Format(), L"%d|%s", static_cast<int>(gallery.language), gallery.name.GetText());
    const DWORD bytes = static_cast<DWORD>((text.GetLength() + 1) * sizeof(wchar_t));
    if (key.Set(SelectedOnlineGalleryValueName, REG_SZ, text.GetText(), bytes) == ERROR_SUCCESS)
        return true;
    key.Delete(SelectedOnlineGalleryValueName);
    return false;
}
