// Every dialog template of both language modules, made as it stands: each
// text that the template itself holds fits its control in the control's font.
// Texts that a dialog sets when it opens are measured by that dialog's tests.
#include "core/Language.h"
#include "core/tests/TextFit.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
// With QUILLORY_SCREENSHOT_HOLD_MS set, shows the dialog that long (its
// messages answered) so that a screenshot can be taken from outside.
void ShowForScreenshot(HWND dialog)
{
    const char* hold = std::getenv("QUILLORY_SCREENSHOT_HOLD_MS");
    if (!hold || (GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD))
        return;
    ShowWindow(dialog, SW_SHOW);
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::atoi(hold));
    while (GetTickCount64() < end)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

BOOL CALLBACK CollectDialog(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<WORD>*>(ids)->push_back(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// Window classes that templates name and that other parts of the program
// register: a plain class of that name is enough to measure the rest.
void RegisterHostClasses()
{
    INITCOMMONCONTROLSEX common = {sizeof(common), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&common);
    LoadLibraryW(L"riched20.dll");
    WNDCLASSW plain = {};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), L"AtlAxWin140", &plain))
    {
        plain.style = CS_GLOBALCLASS;
        plain.lpfnWndProc = DefWindowProcW;
        plain.hInstance = GetModuleHandleW(nullptr);
        plain.lpszClassName = L"AtlAxWin140";
        RegisterClassW(&plain);
    }
}
} // namespace

TEST(DialogTexts, EveryTemplateTextFitsItsControl)
{
    RegisterHostClasses();
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1200, 900, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    for (const LANGID language : {LanguageEnglish, LanguageBulgarian})
    {
        LanguageModuleScope module(language);
        ASSERT_NE(module.Get(), nullptr);
        std::vector<WORD> ids;
        EnumResourceNamesW(module.Get(), RT_DIALOG, CollectDialog, reinterpret_cast<LONG_PTR>(&ids));
        EXPECT_GE(ids.size(), 10u) << "language " << language;
        for (const WORD id : ids)
        {
            HWND dialog = CreateDialogParamW(module.Get(), MAKEINTRESOURCEW(id), parent, PlainDialogProc, 0);
            if (!dialog)
            {
                ADD_FAILURE() << "template " << id << " of language " << language << " cannot be made";
                continue;
            }
            ShowForScreenshot(dialog);
            const std::vector<std::wstring> cut = UiTest::CutTexts(dialog);
            EXPECT_TRUE(cut.empty()) << "template " << id << " of language " << language << ":\n"
                                     << UiTest::JoinLines(cut);
            DestroyWindow(dialog);
        }
    }
    DestroyWindow(parent);
}
