#include "core/Language.h"
#include "core/LumivaneModule.h"
#include "core/tests/UiTestSupport.h"

#include "resources/languages/LanguageIds.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace
{
HKL g_layout = nullptr;
HKL WINAPI FakeKeyboardLayout(DWORD) { return g_layout; }

// The "Language" value for one test: set as given, removed afterwards, with
// the keyboard layout of the test in place.
class StoredLanguage
{
public:
    StoredLanguage(WORD layout) : m_previous(SetKeyboardLayoutSource(&FakeKeyboardLayout))
    {
        g_layout = reinterpret_cast<HKL>(static_cast<ULONG_PTR>(MAKELONG(layout, layout)));
        RegCreateKeyExW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                        nullptr);
        RegDeleteValueW(m_key, L"Language");
    }
    StoredLanguage(const StoredLanguage&) = delete;
    StoredLanguage& operator=(const StoredLanguage&) = delete;
    ~StoredLanguage()
    {
        RegDeleteValueW(m_key, L"Language");
        RegCloseKey(m_key);
        SetKeyboardLayoutSource(m_previous);
    }

    void Set(DWORD type, const void* data, DWORD size)
    {
        RegSetValueExW(m_key, L"Language", 0, type, static_cast<const BYTE*>(data), size);
    }
    bool Read(DWORD& type, DWORD& value) const
    {
        DWORD size = sizeof(value);
        return RegQueryValueExW(m_key, L"Language", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS;
    }
    bool Exists() const { return RegQueryValueExW(m_key, L"Language", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; }

private:
    KeyboardLayoutSource m_previous;
    HKEY m_key = nullptr;
};
}

TEST(Language, LoadLanguageKeepsOnlyAValidDword)
{
    const DWORD bulgarian = 1026, english = 1033, german = 1031;
    const unsigned long long wide = 1026;
    struct Case
    {
        const wchar_t* name;
        DWORD type;
        const void* data;
        DWORD size;
        WORD layout;
        LANGID expected;
        bool ask;
        bool kept;
    } cases[] = {
        {L"Bulgarian stored", REG_DWORD, &bulgarian, 4, 0x0409, 1026, false, true},
        {L"English stored", REG_DWORD, &english, 4, 0x0402, 1033, false, true},
        {L"German number, German layout", REG_DWORD, &german, 4, 0x0407, 1033, true, false},
        {L"text naming a valid language", REG_SZ, L"1026", 10, 0x0409, 1033, true, false},
        {L"eight bytes", REG_BINARY, &wide, 8, 0x0402, 1026, true, false},
        {L"nothing stored, Bulgarian layout", REG_NONE, nullptr, 0, 0x0402, 1026, true, false},
        {L"nothing stored, English layout", REG_NONE, nullptr, 0, 0x0409, 1033, true, false},
    };
    for (const Case& c : cases)
    {
        StoredLanguage stored(c.layout);
        if (c.data)
            stored.Set(c.type, c.data, c.size);
        AskForLanguage = !c.ask;
        EXPECT_EQ(c.expected, LoadLanguage()) << c.name;
        EXPECT_EQ(c.ask, AskForLanguage) << c.name;
        EXPECT_EQ(c.kept, stored.Exists()) << c.name;
    }
    AskForLanguage = false;
}

TEST(Language, SaveLanguageWritesAFourByteDword)
{
    StoredLanguage stored(0x0409);
    ASSERT_TRUE(SaveLanguage(1026));
    DWORD type = 0, value = 0;
    ASSERT_TRUE(stored.Read(type, value));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(1026u, value);
    EXPECT_EQ(1026, LoadLanguage());
    EXPECT_FALSE(AskForLanguage);
}

TEST(Language, ModuleFileNamesAndFolder)
{
    EXPECT_STREQ(L"Resources BG BG.dll", GetResourceModuleFileName(1026).GetText());
    EXPECT_STREQ(L"Resources EN US.dll", GetResourceModuleFileName(1033).GetText());
    EXPECT_STREQ(L"Resources EN US.dll", GetResourceModuleFileName(1031).GetText());

    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring expected(own);
    expected = expected.substr(0, expected.rfind(L'\\')) + L"\\x.dll";
    EXPECT_EQ(expected, GetModuleFolder(nullptr, L"x.dll").GetText());
}

TEST(Language, ALanguageModuleMustHoldTheLanguageResources)
{
    // The real modules load; a module without them, or no file, gives none.
    for (LANGID language : {LanguageEnglish, LanguageBulgarian})
    {
        HMODULE module =
            LoadLanguageModule(GetModuleFolder(nullptr, GetResourceModuleFileName(language).GetText()).GetText());
        EXPECT_NE(module, nullptr) << language;
        if (module)
            FreeLibrary(module);
    }
    EXPECT_EQ(LoadLanguageModule(GetModuleFolder(nullptr, L"EmptyLanguageModule.dll").GetText()), nullptr);
    EXPECT_EQ(LoadLanguageModule(GetModuleFolder(nullptr, L"No Such Module.dll").GetText()), nullptr);
}

TEST(Language, ThreadAndRuntimeLocaleForBulgarian)
{
    EXPECT_STREQ(L"Bulgarian_Bulgaria.1251", BuildCrtLocaleName(1026).GetText());
    EXPECT_STREQ(L"English_United States.1252", BuildCrtLocaleName(1033).GetText());
    const LCID previous = GetThreadLocale();
    ApplyThreadLocale(1026);
    EXPECT_EQ(1026u, LANGIDFROMLCID(GetThreadLocale()));
    const wchar_t* crt = _wsetlocale(LC_ALL, nullptr);
    ASSERT_NE(nullptr, crt);
    EXPECT_STREQ(L"Bulgarian_Bulgaria.1251", crt);
    _wsetlocale(LC_ALL, L"C");
    SetThreadLocale(previous);
}

TEST(Language, ModuleObjectLoadsTheStoredLanguageAndStartsGdiplus)
{
    StoredLanguage stored(0x0409);
    const DWORD bulgarian = 1026;
    stored.Set(REG_DWORD, &bulgarian, 4);
    const LANGID previousLanguage = UiLanguage;
    const HMODULE previousModule = LanguageModule;
    {
        CLumivaneModule module;
        EXPECT_EQ(1026, UiLanguage);
        ASSERT_NE(nullptr, LanguageModule);
        EXPECT_EQ(LanguageModule, ATL::GetResourceInstance());
        EXPECT_TRUE(module.IsGdiplusStarted());
        EXPECT_STREQ(QUILLORY_TEST_SERVER_BASE_ADDRESS, ServerBaseAddress().GetText());
        EXPECT_STREQ(L"&Да", MStringEx<wchar_t>(ResId(IDS_BUTTON_YES)).GetText());
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(LanguageModule, path, MAX_PATH);
        EXPECT_NE(nullptr, wcsstr(path, L"Resources BG BG.dll"));
        FreeLibrary(LanguageModule);
    }
    UiLanguage = previousLanguage;
    LanguageModule = previousModule;
}
