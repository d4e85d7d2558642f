#include "foundation/SystemUtilities.h"

#include <gtest/gtest.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <string>

namespace
{
std::wstring Text(const MStringEx<wchar_t>& s) { return std::wstring(s.GetText(), s.GetLength()); }

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

// The system's own text for a code in a language, trimmed; empty when the
// language has none.
std::wstring SystemText(DWORD code, LANGID language)
{
    wchar_t* text = nullptr;
    std::wstring result;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                       nullptr, code, language, reinterpret_cast<wchar_t*>(&text), 0, nullptr))
        result = text;
    LocalFree(text);
    const size_t end = result.find_last_not_of(L" \t\r\n");
    return end == std::wstring::npos ? std::wstring() : result.substr(0, end + 1);
}

class UiLanguageScope
{
public:
    explicit UiLanguageScope(LANGID language) : m_previous(UiLanguage) { UiLanguage = language; }
    UiLanguageScope(const UiLanguageScope&) = delete;
    UiLanguageScope& operator=(const UiLanguageScope&) = delete;
    ~UiLanguageScope() { UiLanguage = m_previous; }

private:
    LANGID m_previous;
};

// Points the user's "Local AppData" shell folder somewhere else for the life
// of the object.
class LocalAppDataScope
{
public:
    explicit LocalAppDataScope(const std::wstring& folder)
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_key,
                        nullptr);
        DWORD size = sizeof m_previous;
        m_hadValue = RegQueryValueExW(m_key, L"Local AppData", nullptr, &m_type,
                                      reinterpret_cast<BYTE*>(m_previous), &size) == ERROR_SUCCESS;
        m_previousSize = size;
        RegSetValueExW(m_key, L"Local AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }
    LocalAppDataScope(const LocalAppDataScope&) = delete;
    LocalAppDataScope& operator=(const LocalAppDataScope&) = delete;
    ~LocalAppDataScope()
    {
        if (m_hadValue)
            RegSetValueExW(m_key, L"Local AppData", 0, m_type, reinterpret_cast<const BYTE*>(m_previous),
                           m_previousSize);
        else
            RegDeleteValueW(m_key, L"Local AppData");
        RegCloseKey(m_key);
    }

private:
    static constexpr const wchar_t* Key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    HKEY m_key = nullptr;
    bool m_hadValue = false;
    DWORD m_type = REG_SZ;
    wchar_t m_previous[MAX_PATH * 2] = {};
    DWORD m_previousSize = 0;
};
}

TEST(AppDataFolder, IsTheProductFolderBelowTheKnownFolder)
{
    const std::wstring local = KnownFolder(FOLDERID_LocalAppData);
    const std::wstring common = KnownFolder(FOLDERID_ProgramData);
    ASSERT_FALSE(local.empty());
    ASSERT_FALSE(common.empty());
    EXPECT_EQ(Text(AppDataFolderPath(false)), local + L"\\Velmora\\Quillory\\3");
    EXPECT_EQ(Text(AppDataFolderPath(true)), common + L"\\Velmora\\Quillory\\3");
}

TEST(AppDataFolder, TrailingBackslashesOfTheKnownFolderAreDropped)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);  // ends in a backslash
    const LocalAppDataScope scope(temp);
    const std::wstring known = KnownFolder(FOLDERID_LocalAppData);
    if (known.empty() || known.back() != L'\\')
        GTEST_SKIP() << "the system hands this folder out without its trailing backslash";
    const std::wstring path = Text(AppDataFolderPath(false));
    EXPECT_EQ(path.find(L"\\\\"), std::wstring::npos) << std::string(path.begin(), path.end());
    EXPECT_EQ(path, known.substr(0, known.find_last_not_of(L'\\') + 1) + L"\\Velmora\\Quillory\\3");
}

TEST(SystemError, TextsComeInTheUserInterfaceLanguageOrTheDefault)
{
    for (LANGID language : {LANGID(1033), LANGID(1026)})
    {
        UiLanguageScope scope(language);
        std::wstring expected = SystemText(ERROR_FILE_NOT_FOUND, language);
        if (expected.empty())
            expected = SystemText(ERROR_FILE_NOT_FOUND, 0);
        const std::wstring text = Text(FormatSystemError(ERROR_FILE_NOT_FOUND));
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text, expected) << "language " << language;
        EXPECT_NE(text.back(), L'\n');
        EXPECT_NE(text.back(), L'\r');
    }
}

TEST(SystemError, UnknownCodesGetAFixedText)
{
    EXPECT_EQ(Text(FormatSystemError(12345)), L"Unknown error code - 12345.");
    EXPECT_EQ(Text(FormatSystemError(0xE0001234)), L"Unknown error code - -536866252.");
}
