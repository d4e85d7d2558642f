// What the controller tells the main window after its dialogs, and the start
// with Windows that the hidden parent registers.
#include "core/DialogEnd.h"
#include "core/PrivateMessages.h"
#include "shell/WindowBase.h"
#include "slideshow/SettingsRegistry.h"

#include <gtest/gtest.h>

#include <string>

TEST(DialogEnd, ResultCodesAndTheGallerySelection)
{
    const struct
    {
        bool gallery;
        INT_PTR result;
        bool visible;
        UINT message;
        ULONG_PTR wParam;
        ULONG_PTR lParam;
    } cases[] = {
        // The about box and the release dialog report code 1, sign-extended
        // when the main window was visible.
        {false, 1, true, WM_DIALOG_CLOSED, 0xFFFFFFFF80000001ull, 0x1000000},
        {false, 1, false, WM_DIALOG_CLOSED, 1, 0x1000000},
        // The settings dialog's own results: saved, cancelled, closed.
        {false, 0, false, WM_DIALOG_CLOSED, 0, 0x1000000},
        {false, 2, true, WM_DIALOG_CLOSED, 0xFFFFFFFF80000002ull, 0x1000000},
        // The gallery dialog: 0 as the others; unchanged; change bits.
        {true, 0, true, WM_DIALOG_CLOSED, 0xFFFFFFFF80000001ull, 0x1000000},
        {true, 0x40000000, true, WM_SELECTION_CHANGED, 0, 0x40000000},
        {true, 1, false, WM_SELECTION_CHANGED, 0x40000001, 0xFFFFFFFF80000001ull},
        {true, 1, true, WM_SELECTION_CHANGED, 0xFFFFFFFFC0000001ull, 0xFFFFFFFF80000001ull},
        {true, 6, true, WM_SELECTION_CHANGED, 0xFFFFFFFFC0000001ull, 0xFFFFFFFF80000006ull},
    };
    for (const auto& c : cases)
    {
        const DialogEndMessage end = c.gallery ? GalleryDialogEndMessage(c.result, c.visible, 0x1000000)
                                               : DialogClosedMessage(c.result, c.visible, 0x1000000);
        EXPECT_EQ(end.message, c.message) << c.gallery << " " << c.result;
        EXPECT_EQ(static_cast<ULONG_PTR>(end.wParam), c.wParam) << c.gallery << " " << c.result;
        EXPECT_EQ(static_cast<ULONG_PTR>(end.lParam), c.lParam) << c.gallery << " " << c.result;
    }
}

namespace
{
std::wstring Program()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

class AutoStartTest : public ::testing::Test
{
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), AutoStartFirstTimeValueName);
    }
    static void WriteRun(const std::wstring& text)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName, REG_SZ, text.c_str(),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    // The Run value's text; "(none)" when it is missing.
    static std::wstring Run()
    {
        wchar_t text[1024] = {};
        DWORD size = sizeof(text);
        if (RegGetValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName, RRF_RT_REG_SZ, nullptr, text, &size) !=
            ERROR_SUCCESS)
            return L"(none)";
        return text;
    }
    static DWORD FirstTimeFlag()
    {
        DWORD value = 0, size = sizeof(value);
        if (RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), AutoStartFirstTimeValueName, RRF_RT_REG_DWORD, nullptr,
                         &value, &size) != ERROR_SUCCESS)
            return 0xFFFFFFFF;
        return value;
    }
};
}

TEST_F(AutoStartTest, RegisteredOnceAndCorrectedWhenTheProgramMoved)
{
    const std::wstring wanted = L"\"" + Program() + L"\"";

    // First start: the Run value is written and the first start is marked.
    CWindowBaseBase::RegisterAutoStart();
    EXPECT_EQ(Run(), wanted);
    EXPECT_EQ(FirstTimeFlag(), 1u);

    // The user removed it: it stays removed.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName);
    CWindowBaseBase::RegisterAutoStart();
    EXPECT_EQ(Run(), L"(none)");

    // The program moved: the existing entry names the new path.
    WriteRun(L"\"C:\\Old Place\\Quillory Window.exe\"");
    CWindowBaseBase::RegisterAutoStart();
    EXPECT_EQ(Run(), wanted);

    // Only the letter case differs: left alone.
    std::wstring otherCase = wanted;
    for (wchar_t& c : otherCase)
        c = static_cast<wchar_t>(towupper(c));
    WriteRun(otherCase);
    CWindowBaseBase::RegisterAutoStart();
    EXPECT_EQ(Run(), otherCase);
}

TEST_F(AutoStartTest, AFirstTimeFlagOtherThanOneCountsAsTheFirstStart)
{
    const DWORD two = 2;
    RegSetKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), AutoStartFirstTimeValueName, REG_DWORD, &two, sizeof(two));
    CWindowBaseBase::RegisterAutoStart();
    EXPECT_EQ(Run(), L"\"" + Program() + L"\"");
    EXPECT_EQ(FirstTimeFlag(), 1u);
}
