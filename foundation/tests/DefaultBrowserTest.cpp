#include "foundation/DefaultBrowser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct LaunchCall
{
    std::wstring verb, file, parameters;
    bool hasParameters;
    int show;
};

std::vector<LaunchCall> calls;
std::vector<INT_PTR> answers;

HINSTANCE WINAPI RecordingLauncher(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT show)
{
    calls.push_back({verb ? verb : L"", file ? file : L"", parameters ? parameters : L"", parameters != nullptr, show});
    INT_PTR answer = 42;
    if (!answers.empty())
    {
        answer = answers.front();
        answers.erase(answers.begin());
    }
    return reinterpret_cast<HINSTANCE>(answer);
}

// Sets or removes the default value of a key for the test's duration and puts
// back what was there before.
class DefaultValue
{
public:
    DefaultValue(HKEY root, const wchar_t* subKey) : m_root(root), m_subKey(subKey)
    {
        HKEY key;
        if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS)
        {
            m_keyExisted = true;
            wchar_t value[1024];
            DWORD size = sizeof(value), type = 0;
            if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS)
            {
                m_hadValue = true;
                m_value.assign(value, size / sizeof(wchar_t));
                m_type = type;
            }
            RegCloseKey(key);
        }
    }
    ~DefaultValue()
    {
        if (m_hadValue)
            Write(m_value, m_type);
        else if (!m_keyExisted)
            RegDeleteTreeW(m_root, m_subKey.c_str());
        else
            Remove();
    }
    void Set(const std::wstring& text) { Write(std::wstring(text) + L'\0', REG_SZ); }
    void Remove()
    {
        HKEY key;
        if (RegOpenKeyExW(m_root, m_subKey.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS)
        {
            RegDeleteValueW(key, nullptr);
            RegCloseKey(key);
        }
    }

private:
    void Write(const std::wstring& data, DWORD type)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(m_root, m_subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size() * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    HKEY m_root;
    std::wstring m_subKey, m_value;
    DWORD m_type = REG_SZ;
    bool m_keyExisted = false, m_hadValue = false;
};

class DefaultBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        calls.clear();
        answers.clear();
        m_saved = ShellLauncher;
        ShellLauncher = RecordingLauncher;
    }
    void TearDown() override
    {
        ShellLauncher = m_saved;
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Clients\\StartMenuInternet\\Quillory Test Browser");
    }

    HINSTANCE Open(const wchar_t* address)
    {
        return OpenUrlInDefaultBrowser(sX::Browser(), GetDesktopWindow(), L"Open", address, SW_SHOWMAXIMIZED);
    }

    DefaultValue m_browser{HKEY_CURRENT_USER, L"Software\\Clients\\StartMenuInternet"};
    DefaultValue m_command{HKEY_LOCAL_MACHINE,
                           L"Software\\Clients\\StartMenuInternet\\Quillory Test Browser\\shell\\open\\command"};

private:
    ShellLauncherFunction m_saved = nullptr;
};
}

TEST_F(DefaultBrowserTest, WithoutARegisteredBrowserTheShellGetsTheAddress)
{
    m_browser.Remove();
    EXPECT_EQ(Open(L"https://example.com/a?b=c"), reinterpret_cast<HINSTANCE>(42));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, L"Open");
    EXPECT_EQ(calls[0].file, L"https://example.com/a?b=c");
    EXPECT_FALSE(calls[0].hasParameters);
    EXPECT_EQ(calls[0].show, SW_SHOWMAXIMIZED);
}

TEST_F(DefaultBrowserTest, TheRegisteredBrowserGetsTheQuotedAddress)
{
    m_browser.Set(L"Quillory Test Browser");
    const struct
    {
        const wchar_t* command;
        const wchar_t* program;
    } cases[] = {
        {L"\"C:\\Program Files\\Test Browser\\browser.exe\"", L"C:\\Program Files\\Test Browser\\browser.exe"},
        {L"\"C:\\Browser\\b.exe\" -osint -url \"%1\"", L"C:\\Browser\\b.exe"},
        {L"C:\\Browser\\b.exe", L"C:\\Browser\\b.exe"},
    };
    for (const auto& c : cases)
    {
        calls.clear();
        m_command.Set(c.command);
        EXPECT_EQ(Open(L"http://example.com/x y\"&z"), reinterpret_cast<HINSTANCE>(42)) << c.command;
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].file, c.program);
        EXPECT_EQ(calls[0].parameters, L"\"http://example.com/x y%22&z\"");
        EXPECT_EQ(calls[0].verb, L"Open");
    }
}

TEST_F(DefaultBrowserTest, AFailedBrowserStartFallsBackToTheShell)
{
    m_browser.Set(L"Quillory Test Browser");
    m_command.Set(L"\"C:\\Missing\\browser.exe\"");
    answers = {INT_PTR(SE_ERR_FNF), INT_PTR(33)};
    EXPECT_EQ(Open(L"HTTPS://example.com/"), reinterpret_cast<HINSTANCE>(33));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].file, L"HTTPS://example.com/");
    EXPECT_FALSE(calls[1].hasParameters);
}

TEST_F(DefaultBrowserTest, OnlyWebAddressesAreOpened)
{
    m_browser.Remove();
    for (const wchar_t* address : {L"C:\\Windows\\notepad.exe", L"file:///C:/Windows/win.ini", L"javascript:alert(1)",
                                   L"httpx://example.com", L"", L"\"http://example.com\""})
    {
        EXPECT_EQ(Open(address), reinterpret_cast<HINSTANCE>(SE_ERR_ACCESSDENIED)) << address;
    }
    EXPECT_EQ(OpenUrlInDefaultBrowser(sX::Browser(), nullptr, L"Open", nullptr, SW_SHOWNORMAL),
              reinterpret_cast<HINSTANCE>(SE_ERR_ACCESSDENIED));
    EXPECT_TRUE(calls.empty());
}
