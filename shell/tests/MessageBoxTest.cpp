#include "core/MessageBox.h"
#include "core/tests/UiTestSupport.h"

#include "resources/languages/LanguageIds.h"

#include <gtest/gtest.h>

#include <atomic>

namespace
{
HWND MakeOwner(const RECT& rect)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    return owner;
}

struct SeenBox
{
    std::wstring first;
    std::wstring second;
    RECT rect = {0, 0, 0, 0};
};

// Reads the captions of two buttons of the box that the UI thread opens over
// owner, then presses answer.
SeenBox ReadAndAnswer(DWORD uiThread, HWND owner, int firstId, int secondId, int answer)
{
    SeenBox seen;
    HWND box = UiTest::WaitForDialog(uiThread, owner);
    if (!box)
        return seen;
    seen.first = UiTest::DialogItemText(box, firstId);
    seen.second = UiTest::DialogItemText(box, secondId);
    GetWindowRect(box, &seen.rect);
    UiTest::HoldForScreenshot();
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
    return seen;
}

std::wstring LoadText(HMODULE module, unsigned id)
{
    wchar_t text[256] = {};
    LoadStringW(module, id, text, 256);
    return text;
}
}

TEST(LocalizedMessageBox, BulgarianBoxIsRelabelledAndCentredOnItsOwner)
{
    LanguageModuleScope language(LanguageBulgarian);
    ASSERT_NE(nullptr, language.Get());
    HWND owner = MakeOwner(RECT{300, 200, 900, 600});
    SeenBox seen;
    int result = 0;
    {
        UiTest::Script script([&](DWORD ui) { seen = ReadAndAnswer(ui, owner, IDYES, IDNO, IDYES); });
        result = LocalizedMessageBox(owner, L"Да се продължи ли?", L"Quillory", MB_YESNO | MB_ICONQUESTION);
    }
    EXPECT_EQ(IDYES, result);
    EXPECT_EQ(LoadText(language.Get(), IDS_BUTTON_YES), seen.first);
    EXPECT_EQ(LoadText(language.Get(), IDS_BUTTON_NO), seen.second);
    EXPECT_EQ(L"&Да", seen.first);
    // Centred on the owner (centre 600, 400), each halving truncated.
    EXPECT_NEAR(600, (seen.rect.left + seen.rect.right) / 2, 1);
    EXPECT_NEAR(400, (seen.rect.top + seen.rect.bottom) / 2, 1);
    DestroyWindow(owner);
}

TEST(LocalizedMessageBox, OnlyButtonOkGetsItsCaption)
{
    LanguageModuleScope language(LanguageBulgarian);
    HWND owner = MakeOwner(RECT{100, 100, 300, 300});
    SeenBox seen;
    {
        UiTest::Script script([&](DWORD ui) { seen = ReadAndAnswer(ui, owner, IDOK, IDOK, IDOK); });
        EXPECT_EQ(IDOK, LocalizedMessageBox(owner, L"Готово.", L"Quillory", MB_OK));
    }
    EXPECT_EQ(L"Добре", seen.first);
    DestroyWindow(owner);
}

TEST(LocalizedMessageBox, EnglishKeepsTheSystemCaptions)
{
    LanguageModuleScope language(LanguageEnglish);
    HWND owner = MakeOwner(RECT{100, 100, 300, 300});
    SeenBox seen;
    {
        UiTest::Script script([&](DWORD ui) { seen = ReadAndAnswer(ui, owner, IDYES, IDNO, IDNO); });
        EXPECT_EQ(IDNO, LocalizedMessageBox(owner, L"Go on?", L"Quillory", MB_YESNO));
    }
    // The system's own captions, whatever access keys they carry.
    EXPECT_NE(std::wstring::npos, seen.first.find(L"Yes"));
    EXPECT_NE(std::wstring::npos, seen.second.find(L"No"));
    DestroyWindow(owner);
}

TEST(LocalizedMessageBox, BoxesOfTwoThreadsEachRemoveTheirOwnHook)
{
    LanguageModuleScope language(LanguageBulgarian);
    std::atomic<int> relabelled{0};
    auto showOne = [&relabelled](const wchar_t* caption) {
        HWND owner = MakeOwner(RECT{100, 100, 300, 300});
        SeenBox seen;
        {
            UiTest::Script script([&](DWORD ui) {
                seen = ReadAndAnswer(ui, owner, IDOK, IDCANCEL, IDCANCEL);
            });
            LocalizedMessageBox(owner, L"…", caption, MB_OKCANCEL);
        }
        if (seen.first == L"Добре" && seen.second == L"Отказ")
            ++relabelled;
        DestroyWindow(owner);
    };
    std::thread first(showOne, L"first");
    std::thread second(showOne, L"second");
    first.join();
    second.join();
    EXPECT_EQ(2, relabelled.load());
}

TEST(LocalizeMessageBoxButtons, TheFirstButtonDecides)
{
    LanguageModuleScope language(LanguageBulgarian);
    struct Case
    {
        std::vector<std::pair<int, const wchar_t*>> buttons;
        std::vector<std::wstring> expected;
    } cases[] = {
        // English captions with access keys: relabelled.
        {{{IDYES, L"&Yes"}, {IDNO, L"&No"}}, {L"&Да", L"&Не"}},
        // Captions of another language stay.
        {{{IDYES, L"&Ja"}, {IDNO, L"&Nein"}}, {L"&Ja", L"&Nein"}},
        // The first button is no standard one: nothing changes.
        {{{42, L"Yes"}, {IDNO, L"No"}}, {L"Yes", L"No"}},
        // Case does not matter; the whole caption must match.
        {{{IDRETRY, L"RETRY"}, {IDCANCEL, L"Cancel"}}, {L"&Повторен опит", L"Отказ"}},
        {{{IDOK, L"OK!"}, {IDCANCEL, L"Cancel"}}, {L"OK!", L"Cancel"}},
    };
    for (const Case& c : cases)
    {
        HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        // A static control before the buttons is passed over.
        CreateWindowExW(0, L"STATIC", L"text", WS_CHILD, 0, 0, 10, 10, parent, reinterpret_cast<HMENU>(65535),
                        nullptr, nullptr);
        std::vector<HWND> buttons;
        for (const auto& button : c.buttons)
            buttons.push_back(CreateWindowExW(0, L"BUTTON", button.second, WS_CHILD, 0, 0, 50, 20, parent,
                                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.first)), nullptr,
                                              nullptr));
        Pair<bool, bool> state(false, false);
        EnumChildWindows(parent, &LocalizeMessageBoxButtons, reinterpret_cast<LPARAM>(&state));
        EXPECT_TRUE(state.first);
        for (size_t i = 0; i < buttons.size(); ++i)
            EXPECT_EQ(c.expected[i], UiTest::WindowText(buttons[i])) << c.buttons[0].second;
        DestroyWindow(parent);
    }
}
