#include "settings/IntroductionDlg.h"
#include "settings/LanguageSelect.h"
#include "core/Language.h"
#include "core/ProgramObjects.h"
#include "core/tests/TextFit.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace
{
// Removes what a test stored in the settings key.
class SettingsValue
{
public:
    explicit SettingsValue(const wchar_t* name) : m_name(name)
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                        nullptr);
        RegDeleteValueW(m_key, m_name);
    }
    SettingsValue(const SettingsValue&) = delete;
    SettingsValue& operator=(const SettingsValue&) = delete;
    ~SettingsValue()
    {
        RegDeleteValueW(m_key, m_name);
        RegCloseKey(m_key);
    }
    void Set(DWORD type, const void* data, DWORD size)
    {
        RegSetValueExW(m_key, m_name, 0, type, static_cast<const BYTE*>(data), size);
    }
    DWORD ReadDword() const
    {
        DWORD value = 0, size = sizeof(value);
        RegQueryValueExW(m_key, m_name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        return value;
    }

private:
    const wchar_t* m_name;
    HKEY m_key = nullptr;
};

void SelectLanguage(HWND dialog, LANGID language)
{
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (SendMessageW(list, CB_GETITEMDATA, i, 0) == language)
            SendMessageW(list, CB_SETCURSEL, i, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_LIST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void Click(HWND dialog, int id)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Answers the next message box over the dialog; the answer is pressed after
// the box's text has been read.
std::wstring AnswerBox(DWORD ui, HWND dialog, int answer)
{
    HWND box = UiTest::WaitForDialog(ui, dialog);
    if (!box)
        return L"";
    const std::wstring text = UiTest::DialogItemText(box, 0xFFFF);
    PostMessageW(box, WM_COMMAND, answer, 0);
    // The box is gone before the script goes on.
    UiTest::WaitUntil([&] { return !IsWindow(box); }, 2000);
    return text;
}
}

TEST(LanguageSelect, AtStartUpOnlyTheOkButtonEndsIt)
{
    LanguageModuleScope language(LanguageEnglish);
    SettingsValue stored(L"Language");
    CLanguageSelect dialog(LanguageEnglish, false);
    bool openAfterAttempts = false, cancelHidden = false, closeInMenu = true, okEnabled = false;
    std::wstring title;
    INT_PTR result = -1;
    {
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui);
            title = UiTest::WindowText(window);
            cancelHidden = !IsWindowVisible(GetDlgItem(window, IDC_LANGUAGE_CANCEL));
            closeInMenu = GetMenuState(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1);
            okEnabled = IsEnabled(window, IDC_LANGUAGE_OK);
            SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
            SendMessageW(window, WM_COMMAND, IDOK, 0);
            SendMessageW(window, WM_CLOSE, 0, 0);
            Click(window, IDC_LANGUAGE_CANCEL);
            openAfterAttempts = IsWindowVisible(window) != FALSE;
            SelectLanguage(window, LanguageBulgarian);
            Click(window, IDC_LANGUAGE_OK);
        });
        result = dialog.DoModal(nullptr);
    }
    EXPECT_EQ(CLanguageSelect::Saved, result);
    EXPECT_TRUE(openAfterAttempts);
    EXPECT_TRUE(cancelHidden);
    EXPECT_FALSE(closeInMenu);
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(L"Quillory - Language", title);
    EXPECT_EQ(1026u, stored.ReadDword());
}

TEST(LanguageSelect, FromTheAboutBoxTheChoiceMustDifferAndIsConfirmed)
{
    LanguageModuleScope language(LanguageBulgarian);
    SettingsValue stored(L"Language");
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 200, 500, 400, nullptr, nullptr,
                                 nullptr, nullptr);
    CLanguageSelect dialog(LanguageBulgarian, true);
    bool initiallyEnabled = true, enabledAfterOther = false, enabledAfterSame = true, openAfterCancel = false;
    std::wstring question;
    INT_PTR result = -1;
    {
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui, owner);
            UiTest::HoldForScreenshot();
            initiallyEnabled = IsEnabled(window, IDC_LANGUAGE_OK);
            SelectLanguage(window, LanguageEnglish);
            enabledAfterOther = IsEnabled(window, IDC_LANGUAGE_OK);
            SelectLanguage(window, LanguageBulgarian);
            enabledAfterSame = IsEnabled(window, IDC_LANGUAGE_OK);
            SelectLanguage(window, LanguageEnglish);
            // Cancel in the question keeps the dialog open; OK saves.
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_OK, BN_CLICKED), 0);
            question = AnswerBox(ui, window, IDCANCEL);
            openAfterCancel = IsWindowVisible(window) != FALSE;
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_OK, BN_CLICKED), 0);
            AnswerBox(ui, window, IDOK);
        });
        result = dialog.DoModal(owner);
    }
    EXPECT_EQ(CLanguageSelect::Saved, result);
    EXPECT_FALSE(initiallyEnabled);
    EXPECT_TRUE(enabledAfterOther);
    EXPECT_FALSE(enabledAfterSame);
    EXPECT_TRUE(openAfterCancel);
    EXPECT_NE(std::wstring::npos, question.find(L"Quillory Window")) << question;
    EXPECT_EQ(1033u, stored.ReadDword());
    DestroyWindow(owner);
}

TEST(LanguageSelect, CancelAndCloseMessageEndIt)
{
    LanguageModuleScope language(LanguageEnglish);
    {
        CLanguageSelect dialog(LanguageEnglish, true);
        UiTest::Script script([](DWORD ui) { Click(UiTest::WaitForDialog(ui), IDC_LANGUAGE_CANCEL); });
        EXPECT_EQ(CLanguageSelect::Cancelled, dialog.DoModal(nullptr));
    }
    DialogCloseToken.wParamToken = 0x1234;
    DialogCloseToken.lParamToken = 0x5678;
    {
        CLanguageSelect dialog(LanguageEnglish, false);
        bool openAfterForeignTokens = false;
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui);
            const UINT close = RegisterWindowMessageW(CloseDialogsMessageName);
            // Another copy's tokens: stays open.
            SendMessageW(window, close, 0x5678, 0x1234);
            openAfterForeignTokens = IsWindowVisible(window) != FALSE;
            SendMessageW(window, close, 0x1234, 0x5678);
        });
        EXPECT_EQ(CLanguageSelect::ClosedByProgram, dialog.DoModal(nullptr));
        EXPECT_TRUE(openAfterForeignTokens);
    }
    DialogCloseToken.wParamToken = 0;
    DialogCloseToken.lParamToken = 0;
}

TEST(LanguageSelect, ALanguageOutsideTheTableFails)
{
    LanguageModuleScope language(LanguageEnglish);
    CLanguageSelect dialog(1031, false);
    try
    {
        dialog.DoModal(nullptr);
        ADD_FAILURE() << "German was accepted";
    }
    catch (const DictionaryException& e)
    {
        EXPECT_EQ(1u, e.code);
    }
}

TEST(IntroductionDlg, ContinueOnlyWhileTheBoxIsTicked)
{
    LanguageModuleScope language(LanguageBulgarian);
    GdiplusScope gdiplus;
    CIntroductionDlg dialog;
    EXPECT_NE(nullptr, dialog.GetPicture());
    bool before = true, ticked = false, unticked = true, openAfterAttempts = false;
    std::wstring title;
    INT_PTR result = -1;
    {
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui);
            UiTest::HoldForScreenshot();
            title = UiTest::DialogItemText(window, IDC_INTRO_TITLE);
            before = IsEnabled(window, IDC_INTRO_CONTINUE);
            SendMessageW(window, WM_COMMAND, IDOK, 0);
            SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
            SendMessageW(window, WM_CLOSE, 0, 0);
            openAfterAttempts = IsWindowVisible(window) != FALSE;
            SendDlgItemMessageW(window, IDC_INTRO_CHECK, BM_SETCHECK, BST_CHECKED, 0);
            Click(window, IDC_INTRO_CHECK);
            ticked = IsEnabled(window, IDC_INTRO_CONTINUE);
            SendDlgItemMessageW(window, IDC_INTRO_CHECK, BM_SETCHECK, BST_UNCHECKED, 0);
            Click(window, IDC_INTRO_CHECK);
            unticked = IsEnabled(window, IDC_INTRO_CONTINUE);
            SendDlgItemMessageW(window, IDC_INTRO_CHECK, BM_SETCHECK, BST_CHECKED, 0);
            Click(window, IDC_INTRO_CHECK);
            Click(window, IDC_INTRO_CONTINUE);
        });
        result = dialog.DoModal(nullptr);
    }
    EXPECT_EQ(CIntroductionDlg::Continue, result);
    EXPECT_FALSE(before);
    EXPECT_TRUE(ticked);
    EXPECT_FALSE(unticked);
    EXPECT_TRUE(openAfterAttempts);
    EXPECT_EQ(L"Добре дошли в Quillory Window", title);
}

TEST(IntroductionDlg, HasRunBeforeWantsANonEmptyBinaryDisplayArea)
{
    SettingsValue area(L"Display Area");
    EXPECT_FALSE(HasRunBefore());
    const DWORD words[4] = {5, 45, 100, 140};
    area.Set(REG_BINARY, words, 0);
    EXPECT_FALSE(HasRunBefore());
    area.Set(REG_DWORD, words, 4);
    EXPECT_FALSE(HasRunBefore());
    area.Set(REG_BINARY, words, sizeof(words));
    EXPECT_TRUE(HasRunBefore());
}

// The introduction names the real default slide interval, number and unit,
// in each language, and every text it shows fits its control.
TEST(IntroductionDlg, NamesTheDefaultIntervalAndShowsEveryTextWhole)
{
    const struct
    {
        LANGID language;
        const wchar_t* interval;
    } cases[] = {
        {LanguageEnglish, L"every 30 minutes;"},
        {LanguageBulgarian, L"на всеки 30 минути;"},
    };
    for (const auto& c : cases)
    {
        LanguageModuleScope language(c.language);
        GdiplusScope gdiplus;
        CIntroductionDlg dialog;
        std::wstring details;
        std::vector<std::wstring> cut;
        {
            UiTest::Script script([&](DWORD ui) {
                HWND window = UiTest::WaitForDialog(ui);
                details = UiTest::DialogItemText(window, IDC_INTRO_DETAILS);
                cut = UiTest::CutTexts(window);
                SendDlgItemMessageW(window, IDC_INTRO_CHECK, BM_SETCHECK, BST_CHECKED, 0);
                Click(window, IDC_INTRO_CHECK);
                Click(window, IDC_INTRO_CONTINUE);
            });
            EXPECT_EQ(CIntroductionDlg::Continue, dialog.DoModal(nullptr));
        }
        EXPECT_NE(details.find(c.interval), std::wstring::npos) << details;
        EXPECT_TRUE(cut.empty()) << UiTest::JoinLines(cut);
    }
}

// The language choice shows its texts whole in both languages.
TEST(LanguageSelect, ShowsEveryTextWhole)
{
    for (const LANGID current : {LanguageEnglish, LanguageBulgarian})
    {
        LanguageModuleScope language(current);
        CLanguageSelect dialog(current, true);
        std::vector<std::wstring> cut;
        {
            UiTest::Script script([&](DWORD ui) {
                HWND window = UiTest::WaitForDialog(ui);
                cut = UiTest::CutTexts(window);
                Click(window, IDC_LANGUAGE_CANCEL);
            });
            EXPECT_EQ(CLanguageSelect::Cancelled, dialog.DoModal(nullptr));
        }
        EXPECT_TRUE(cut.empty()) << UiTest::JoinLines(cut);
    }
}
