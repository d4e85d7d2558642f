#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/ShellStrings.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::pair<std::wstring, std::wstring>> g_launched;

void RecordLaunch(const MStringEx<wchar_t>& application, const MStringEx<wchar_t>& commandLine)
{
    g_launched.emplace_back(application.GetText(), commandLine.GetText());
}

std::wstring ProgramFolder()
{
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring folder(own);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

std::wstring WindowsHelpViewer()
{
    wchar_t windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\hh.exe";
}

class HelpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_launched.clear();
        m_previous = SetHelpLauncher(&RecordLaunch);
        m_language = UiLanguage;
    }
    void TearDown() override
    {
        SetHelpLauncher(m_previous);
        UiLanguage = m_language;
    }

private:
    HelpLauncher m_previous = nullptr;
    LANGID m_language = 0;
};
}

TEST_F(HelpTest, HelpFileFollowsTheLanguage)
{
    UiLanguage = 1026;
    EXPECT_EQ(ProgramFolder() + L"Help.BG-BG.chm", GetHelpFileName().GetText());
    UiLanguage = 1033;
    EXPECT_EQ(ProgramFolder() + L"Help.EN-US.chm", GetHelpFileName().GetText());
    UiLanguage = 1031;
    EXPECT_EQ(ProgramFolder() + L"Help.EN-US.chm", GetHelpFileName().GetText());
}

TEST_F(HelpTest, ViewerStartsFromTheWindowsFolderWithTheHelpPathQuoted)
{
    UiLanguage = 1026;
    ShowHelpContext(DialogHelpContext(106));
    ShowHelpTopic(L"en/Selection.htm#display_selection_of_local_slides");
    ASSERT_EQ(2u, g_launched.size());
    const std::wstring viewer = WindowsHelpViewer();
    const std::wstring file = ProgramFolder() + L"Help.BG-BG.chm";
    EXPECT_EQ(viewer, g_launched[0].first);
    EXPECT_EQ(L"\"" + viewer + L"\" -mapid 131178 \"ms-its:" + file + L"\"", g_launched[0].second);
    EXPECT_EQ(viewer, g_launched[1].first);
    EXPECT_EQ(L"\"" + viewer + L"\" \"" + file + L"::/en/Selection.htm#display_selection_of_local_slides\"",
              g_launched[1].second);
}

TEST(ShellStrings, AppendPathComponentTable)
{
    struct Case
    {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\a", L"b", L"C:\\a\\b"},
        {L"C:\\a\\", L"\\\\b", L"C:\\a\\b"},
        {L"C:\\a", L"\\b", L"C:\\a\\\\b"},
        {L"", L"b", L"b"},
        {L"\\", L"b", L"b"},
        {L"C:\\a", L"\\", L"C:\\a"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.expected, AppendPathComponent(c.folder, c.name).GetText()) << c.folder << L" + " << c.name;
}

TEST(ShellStrings, ClsidInRegistryForm)
{
    const CLSID player = {0x6BF52A52, 0x394A, 0x11D3, {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6}};
    EXPECT_STREQ(L"{6BF52A52-394A-11D3-B153-00C04F79FAA6}", ClsidToString(player).GetText());
}
