// The about box: its texts from the program's version resource and the
// language module, the logo, the copyright line split at the maker word.
#include "settings/AboutBoxDlg.h"
#include "foundation/ShellHelpers.h"
#include "core/Language.h"
#include "core/ProgramObjects.h"
#include "core/tests/TextFit.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

RECT ChildRect(HWND dialog, int id)
{
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The height of one line of the dialog's text.
LONG LineHeight(HWND dialog)
{
    HDC dc = GetDC(dialog);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    return metrics.tmHeight;
}

// What the layout of an open about box gets wrong, one line each.
std::vector<std::wstring> LayoutFaults(HWND box)
{
    std::vector<std::wstring> faults = UiTest::CutTexts(box);
    RECT client = {};
    GetClientRect(box, &client);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        const int id = GetDlgCtrlID(child);
        const RECT r = ChildRect(box, id);
        if (IsWindowVisible(child) && id != IDC_ABOUT_FOCUS &&
            (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom))
            faults.push_back(L"control " + std::to_wstring(id) + L" reaches outside the box");
    }
    // The texts beside the logo follow one another without an empty row.
    std::vector<RECT> column;
    for (int id : {IDC_ABOUT_NAME, IDC_ABOUT_VERSION, 234, 235, 236, 237, 238, 239, 240, 241, 242, 243})
        if (IsWindowVisible(GetDlgItem(box, id)))
            column.push_back(ChildRect(box, id));
    std::sort(column.begin(), column.end(), [](const RECT& a, const RECT& b) { return a.top < b.top; });
    for (size_t i = 1; i < column.size(); ++i)
        if (column[i].top - column[i - 1].bottom >= LineHeight(box))
            faults.push_back(L"an empty row above the text at " + std::to_wstring(column[i].top));
    // The copyright line: its parts level, each text right after the one before
    // (the link draws its text 2 pixels in from its edge).
    const RECT before = ChildRect(box, IDC_ABOUT_COPYRIGHT_BEFORE), maker = ChildRect(box, IDC_ABOUT_COPYRIGHT_MAKER),
               after = ChildRect(box, IDC_ABOUT_COPYRIGHT_AFTER);
    if (before.top != maker.top || maker.top != after.top || before.bottom != maker.bottom ||
        maker.bottom != after.bottom)
        faults.push_back(L"the copyright line's parts are not level");
    if (maker.left + 2 != before.right || after.left != maker.right - 2)
        faults.push_back(L"the copyright line's parts do not follow one another: " + std::to_wstring(before.right) +
                         L" " + std::to_wstring(maker.left) + L" " + std::to_wstring(maker.right) + L" " +
                         std::to_wstring(after.left));
    return faults;
}
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

// In each language the box shows every text whole, inside the box, the texts
// beside the logo without empty rows, and the copyright line as one line.
TEST(AboutBox, TheLayoutShowsEveryTextWholeOnItsLine)
{
    for (const LANGID current : {LanguageEnglish, LanguageBulgarian})
    {
        LanguageModuleScope language(current);
        GdiplusScope gdiplus;
        DialogWindowSlot slot;
        CAboutBoxDlg dialog(POINT{300, 300}, &slot, nullptr, nullptr);
        std::vector<std::wstring> faults;
        {
            UiTest::Script script([&](DWORD ui) {
                HWND box = UiTest::WaitForDialog(ui);
                UiTest::HoldForScreenshot();
                faults = LayoutFaults(box);
                SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
            });
            EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
        }
        EXPECT_TRUE(faults.empty()) << "language " << current << ":\n" << UiTest::JoinLines(faults);
    }
}
