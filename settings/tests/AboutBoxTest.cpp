// The about box: its texts from the program's version resource and the
// language module, the logo, the copyright line split at the maker word.
#include "settings/AboutBoxDlg.h"
#include "foundation/ShellHelpers.h"
#include "shell/core/Language.h"
#include "shell/core/ProgramObjects.h"
#include "shell/core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }
}

TEST(AboutBox, TextsFromTheVersionResourceAndTheLanguageModule)
{
    LanguageModuleScope language(LanguageEnglish);
    GdiplusScope gdiplus;
    DialogWindowSlot slot;
    CAboutBoxDlg dialog(POINT{300, 300}, &slot, nullptr, nullptr);
    std::wstring title, name, version, link1, link2, before, maker, after;
    bool logo = false, recorded = false, afterVisible = true, mutexHeld = false;
    {
        UiTest::Script script([&](DWORD ui) {
            HWND box = UiTest::WaitForDialog(ui);
            UiTest::HoldForScreenshot();
            title = UiTest::WindowText(box);
            name = UiTest::DialogItemText(box, IDC_ABOUT_NAME);
            version = UiTest::DialogItemText(box, IDC_ABOUT_VERSION);
            link1 = UiTest::DialogItemText(box, IDC_ABOUT_LINK_1);
            link2 = UiTest::DialogItemText(box, IDC_ABOUT_LINK_2);
            before = UiTest::DialogItemText(box, IDC_ABOUT_COPYRIGHT_BEFORE);
            maker = UiTest::DialogItemText(box, IDC_ABOUT_COPYRIGHT_MAKER);
            after = UiTest::DialogItemText(box, IDC_ABOUT_COPYRIGHT_AFTER);
            afterVisible = IsWindowVisible(GetDlgItem(box, IDC_ABOUT_COPYRIGHT_AFTER)) != FALSE;
            logo = SendDlgItemMessageW(box, IDC_ABOUT_LOGO, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
            recorded = slot.Get() == box;
            HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, DialogMutexName(L"CAboutBoxDlg").GetText());
            mutexHeld = mutex != nullptr;
            if (mutex)
                CloseHandle(mutex);
            SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    }
    EXPECT_EQ(title, L"About Quillory");
    EXPECT_EQ(name, L"Quillory");
    EXPECT_EQ(version, L"Version " + Text(GetProductVersion()));
    EXPECT_EQ(link1, L"Browse the online galleries");
    EXPECT_EQ(link2, L"Support and questions");
    // "Copyright (C) Velmora. All rights reserved." with the maker as a link.
    EXPECT_EQ(before, L"Copyright (C) ");
    EXPECT_EQ(maker, L"Velmora");
    EXPECT_EQ(after, L". All rights reserved.");
    EXPECT_TRUE(afterVisible);
    EXPECT_TRUE(logo);
    EXPECT_TRUE(recorded);
    EXPECT_TRUE(mutexHeld);
    EXPECT_EQ(slot.Get(), nullptr);
}

TEST(AboutBox, TheCopyrightLineSplitsOnlyInTwo)
{
    const struct
    {
        const wchar_t* value;
        bool makerHasAddress;
        const wchar_t* before;
        const wchar_t* maker;
        const wchar_t* after;
    } cases[] = {
        {L"(C) Velmora 2026", true, L"(C) ", L"Velmora", L" 2026"},
        // Without the maker word, or with it twice: whole, as the link.
        {L"(C) Someone else", true, L"", L"(C) Someone else", L""},
        {L"Velmora and Velmora", true, L"", L"Velmora and Velmora", L""},
        // Without the maker's address: whole, and no link.
        {L"(C) Velmora 2026", false, L"(C) Velmora 2026", L"", L""},
    };
    for (const auto& c : cases)
    {
        const CAboutBoxDlg::CopyrightParts parts = CAboutBoxDlg::SplitCopyright(MString(c.value), c.makerHasAddress);
        EXPECT_EQ(Text(parts.before), c.before) << c.value;
        EXPECT_EQ(Text(parts.maker), c.maker) << c.value;
        EXPECT_EQ(Text(parts.after), c.after) << c.value;
    }
}
