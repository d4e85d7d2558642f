#include "core/Language.h"

#include "foundation/SystemUtilities.h"
#include "core/MessageBox.h"
#include "resources/languages/LanguageIds.h"

#include <clocale>

bool AskForLanguage = false;

namespace
{
const wchar_t LanguageValueName[] = L"Language";

KeyboardLayoutSource g_keyboardLayout = &GetKeyboardLayout;

// The registry could not be opened at the very start: no language module is
// loaded yet, so the text is built in and the caption is the product name of
// the program's own version resource.
void ShowRegistryFailure()
{
    MStringEx<wchar_t> caption;
    try
    {
        caption = MStringEx<wchar_t>(L"ProductName", GetModuleHandleW(nullptr));
    }
    catch (const MStringException&)
    {
        caption = ProductName;
    }
    LocalizedMessageBox(GetDesktopWindow(), L"The System Registry could not be accessed.", caption.GetText(),
                        MB_ICONERROR);
}

MStringEx<wchar_t> LocaleText(LCID locale, LCTYPE type, int room)
{
    MStringEx<wchar_t> text{ElementCount(static_cast<unsigned __int64>(room))};
    if (GetLocaleInfoW(locale, type, text.GetData(), room) <= 0)
        return MStringEx<wchar_t>();
    return MStringEx<wchar_t>(text.GetText());
}
}

MStringEx<wchar_t>& ServerBaseAddress()
{
    // Function-local: the module object fills it during static
    // initialisation, before a namespace-scope string would be constructed.
    static MStringEx<wchar_t> address;
    return address;
}

LANGID LoadLanguage()
{
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_ALL_ACCESS))
    {
        ShowRegistryFailure();
        return LanguageEnglish;
    }
    AskForLanguage = false;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LONG read = key.Query(LanguageValueName, type, &value, size);
    if (read == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value) &&
        (value == LanguageBulgarian || value == LanguageEnglish))
        return static_cast<LANGID>(value);
    AskForLanguage = true;
    key.Delete(LanguageValueName);
    const LANGID layout = LOWORD(reinterpret_cast<ULONG_PTR>(g_keyboardLayout(0)));
    return layout == LanguageBulgarian || layout == LanguageEnglish ? layout : LanguageEnglish;
}

bool SaveLanguage(LANGID language)
{
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE))
        return false;
    const DWORD value = language;
    const bool written = key.Set(LanguageValueName, REG_DWORD, &value, sizeof(value)) == ERROR_SUCCESS;
    if (!written)
        key.Delete(LanguageValueName);
    return written;
}

MStringEx<wchar_t> GetResourceModuleFileName(LANGID language)
{
    return MStringEx<wchar_t>(language == LanguageBulgarian ? L"Resources BG BG.dll" : L"Resources EN US.dll");
}

HMODULE LoadLanguageModule(const wchar_t* path)
{
    HMODULE module = LoadLibraryW(path);
    if (!module)
        return nullptr;
    const wchar_t* caption = nullptr;
    if (LoadStringW(module, IDS_PRODUCT_CAPTION, reinterpret_cast<LPWSTR>(&caption), 0) <= 0)
    {
        FreeLibrary(module);
        return nullptr;
    }
    return module;
}

MStringEx<wchar_t> GetModuleFolder(HMODULE module, const wchar_t* fileName)
{
    const DWORD room = 40000;
    MStringEx<wchar_t> path{ElementCount(room)};
    const DWORD length = GetModuleFileNameW(module, path.GetData(), room);
    path[length < room ? length : room - 1] = 0;
    wchar_t* const lastSlash = wcsrchr(path.GetData(), L'\\');
    if (lastSlash)
        *lastSlash = 0;
    return MStringEx<wchar_t>(sX::Format(), L"%s\\%s", path.GetText(), fileName);
}

MStringEx<wchar_t> BuildCrtLocaleName(LANGID language)
{
    const LCID locale = MAKELCID(language, SORT_DEFAULT);
    MStringEx<wchar_t> name = LocaleText(locale, LOCALE_SENGLANGUAGE, 100);
    const MStringEx<wchar_t> country = LocaleText(locale, LOCALE_SENGCOUNTRY, 100);
    if (!country.IsEmpty())
        name += MStringEx<wchar_t>(sX::Format(), L"_%s", country.GetText());
    MStringEx<wchar_t> codePage = LocaleText(locale, LOCALE_IDEFAULTANSICODEPAGE, 10);
    if (codePage.IsEmpty())
        codePage = LocaleText(locale, LOCALE_IDEFAULTCODEPAGE, 10);
    if (!codePage.IsEmpty())
        name += MStringEx<wchar_t>(sX::Format(), L".%s", codePage.GetText());
    return name;
}

void ApplyThreadLocale(LANGID language)
{
    const MStringEx<wchar_t> name = BuildCrtLocaleName(language);
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    _wsetlocale(LC_ALL, name.GetText());
}

KeyboardLayoutSource SetKeyboardLayoutSource(KeyboardLayoutSource source)
{
    KeyboardLayoutSource previous = g_keyboardLayout;
    g_keyboardLayout = source ? source : &GetKeyboardLayout;
    return previous;
}
