// The hot keys' stored record, their registration with Windows (a real hot
// key taken by another window stands for another program), and the hot-key
// dialog on a real window.
#include "settings/HotKeysDlg.h"
#include "core/Language.h"
#include "core/ProgramObjects.h"
#include "core/tests/UiTestSupport.h"
#include "NextBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// A small table of allowed keys: no key, A, B, Q, F9 and Page Up.
AllowedKeyTable SmallTable()
{
    AllowedKeyTable table;
    table.Add(new AllowedKeyTable::Entry(0, MString(L"(none)")));
    table.Add(new AllowedKeyTable::Entry('A', MString(L"A")));
    table.Add(new AllowedKeyTable::Entry('B', MString(L"B")));
    table.Add(new AllowedKeyTable::Entry('Q', MString(L"Q")));
    table.Add(new AllowedKeyTable::Entry(VK_F9, MString(L"F9")));
    table.Add(new AllowedKeyTable::Entry(VK_PRIOR, MString(L"Page Up")));
    return table;
}

std::vector<BYTE> StoredRecord()
{
    BYTE data[32] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), HotKeysBlob, RRF_RT_REG_BINARY, nullptr, data,
                     &size) != ERROR_SUCCESS)
        return {};
    return std::vector<BYTE>(data, data + size);
}

void Store(const std::vector<BYTE>& bytes, DWORD type = REG_BINARY)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), HotKeysBlob, type, bytes.data(),
                    static_cast<DWORD>(bytes.size()));
}

std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

// A plain window for the registrations: the controller's, or another
// program's that holds a combination first.
struct Window
{
    HWND handle = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ~Window() { DestroyWindow(handle); }
};

// Whether the combination is free: it can be registered (and is then
// unregistered again).
bool IsFree(UINT modifiers, UINT key)
{
    Window probe;
    if (!RegisterHotKey(probe.handle, 99, modifiers, key))
        return false;
    UnregisterHotKey(probe.handle, 99);
    return true;
}

class HotKeysTest : public ::testing::Test
{
protected:
    void SetUp() override { RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), HotKeysBlob); }
    void TearDown() override { RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), HotKeysBlob); }
    LanguageModuleScope m_language{LanguageEnglish};
    AllowedKeyTable m_allowed = SmallTable();
    HotKeyEntry m_table[HotKeyTableSize];
};
}

TEST_F(HotKeysTest, TheRecordIsStoredAndLoadedAndADamagedOneRefused)
{
    m_table[0] = HotKeyEntry(1, false);
    m_table[1] = HotKeyEntry(HotKeyCtrl | HotKeyAlt, true);
    m_table[2] = HotKeyEntry('A', true);
    m_table[5] = HotKeyEntry(VK_PRIOR, false);
    SaveHotKeys(m_table);
    EXPECT_EQ(StoredRecord(), (std::vector<BYTE>{1, 0xC0, 'A', 0, 0, VK_PRIOR, 0, 0, 0}));

    HotKeyEntry loaded[HotKeyTableSize];
    EXPECT_TRUE(LoadHotKeys(m_allowed, loaded));
    EXPECT_EQ(loaded[1].first, 0xC0);
    EXPECT_EQ(loaded[2].first, 'A');
    EXPECT_EQ(loaded[5].first, VK_PRIOR);
    for (const HotKeyEntry& entry : loaded)
        EXPECT_FALSE(entry.second);

    // Modifiers 0: a good record, but the hot keys are off.
    Store({1, 0, 'A', 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(LoadHotKeys(m_allowed, loaded));
    EXPECT_EQ(loaded[0].first, 1);
    EXPECT_EQ(loaded[2].first, 'A');

    const struct
    {
        std::vector<BYTE> bytes;
        DWORD type;
        const char* why;
    } damaged[] = {
        {{1, 0x80, 'A', 0, 0, 0, 0, 0}, REG_BINARY, "8 bytes"},
        {{1, 0x80, 'A', 0, 0, 0, 0, 0, 0, 0}, REG_BINARY, "10 bytes"},
        {{1, 0x21, 'A', 0, 0, 0, 0, 0, 0}, REG_BINARY, "a low modifier bit"},
        {{2, 0x80, 'A', 0, 0, 0, 0, 0, 0}, REG_BINARY, "version 2"},
        {{1, 0x80, 'A', 0, 0, 0, 0, 0, 'Z'}, REG_BINARY, "a key outside the table"},
        {{1, 0x80, 'A', 0, 0, 0, 0, 0, 0}, REG_SZ, "not binary"},
    };
    for (const auto& d : damaged)
    {
        Store(d.bytes, d.type);
        EXPECT_FALSE(LoadHotKeys(m_allowed, loaded)) << d.why;
        for (const HotKeyEntry& entry : loaded)
            EXPECT_EQ(entry.first, 0) << d.why;
        // The refused value stays where it was.
        EXPECT_FALSE(StoredRecord().empty() && d.type == REG_BINARY) << d.why;
    }
}

TEST_F(HotKeysTest, RegistrationAndAConflictWithAnotherProgram)
{
    EXPECT_EQ(HotKeyModifiers(HotKeyCtrl), static_cast<UINT>(MOD_CONTROL));
    EXPECT_EQ(HotKeyModifiers(HotKeyAlt | HotKeyShift), static_cast<UINT>(MOD_ALT | MOD_SHIFT));
    EXPECT_EQ(HotKeyModifiers(HotKeyCtrl | HotKeyAlt | HotKeyShift), static_cast<UINT>(MOD_CONTROL | MOD_ALT | MOD_SHIFT));
    // The modifiers in the order Ctrl, Alt, Shift whatever the bits.
    EXPECT_EQ(Text(FailedHotKeyText(HotKeyShift | HotKeyCtrl, VK_PRIOR, m_allowed)), L"Ctrl +Shift +\"Page Up\"");
    EXPECT_EQ(Text(FailedHotKeyText(HotKeyAlt, 'Q', m_allowed)), L"Alt +\"Q\"");

    Window controller;
    // Modifiers and no key at all: nothing to register, and no failure.
    m_table[1] = HotKeyEntry(HotKeyCtrl | HotKeyAlt, false);
    EXPECT_TRUE(RegisterHotKeys(controller.handle, m_table, nullptr, nullptr, m_allowed));

    const UINT mods = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
    m_table[1] = HotKeyEntry(HotKeyCtrl | HotKeyAlt | HotKeyShift, false);
    m_table[2] = HotKeyEntry(VK_F9, false);
    m_table[4] = HotKeyEntry('Q', false);
    ASSERT_TRUE(RegisterHotKeys(controller.handle, m_table, nullptr, nullptr, m_allowed));
    EXPECT_TRUE(m_table[2].second);
    EXPECT_TRUE(m_table[4].second);
    EXPECT_FALSE(IsFree(mods, VK_F9));
    UnregisterHotKeys(controller.handle, m_table);
    EXPECT_FALSE(m_table[2].second);
    EXPECT_TRUE(IsFree(mods, VK_F9));

    // Another program holds the combination of hot key 4: the call fails,
    // hot key 2 (registered before it) is free again, and the text names Q.
    Window other;
    ASSERT_TRUE(RegisterHotKey(other.handle, 1, mods, 'Q'));
    MString report;
    EXPECT_FALSE(RegisterHotKeys(controller.handle, m_table, nullptr, &report, m_allowed));
    EXPECT_FALSE(m_table[2].second);
    EXPECT_FALSE(m_table[4].second);
    EXPECT_TRUE(IsFree(mods, VK_F9));
    EXPECT_EQ(Text(report).rfind(L"The hot key Ctrl +Alt +Shift +\"Q\" cannot be registered: ", 0), 0u) << Text(report);
    UnregisterHotKey(other.handle, 1);
}

namespace
{
void ClickButton(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SelectKey(HWND dialog, int combo, unsigned char key)
{
    HWND box = GetDlgItem(dialog, combo);
    const int count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (SendMessageW(box, CB_GETITEMDATA, i, 0) == key)
            SendMessageW(box, CB_SETCURSEL, i, 0);
}

unsigned char SelectedKey(HWND dialog, int combo)
{
    HWND box = GetDlgItem(dialog, combo);
    const LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0xFF : static_cast<unsigned char>(SendMessageW(box, CB_GETITEMDATA, index, 0));
}

void SetCheck(HWND dialog, int id, bool on)
{
    SendDlgItemMessageW(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring Answer(DWORD ui, HWND dialog, int answer) { return AnswerNextBox(ui, dialog, answer); }
}

TEST_F(HotKeysTest, TheDialogChecksStoresAndRegisters)
{
    Window controller;
    m_table[0] = HotKeyEntry(1, false);
    m_table[1] = HotKeyEntry(HotKeyCtrl | HotKeyShift, false);
    m_table[2] = HotKeyEntry('A', false);
    m_table[3] = HotKeyEntry(VK_PRIOR, false);
    DialogWindowSlot slot;
    std::wstring title, duplicate, single;
    unsigned char shownA = 0, shownPageUp = 0;
    bool combosOffWithoutModifiers = false, openAfterNo = false;
    {
        CHotKeysDlg dialog(&slot, controller.handle, &m_allowed, m_table);
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui);
            title = UiTest::WindowText(window);
            shownA = SelectedKey(window, IDC_HOT_KEY_2);
            shownPageUp = SelectedKey(window, IDC_HOT_KEY_3);
            // Two hot keys on B: named once, the dialog stays.
            SelectKey(window, IDC_HOT_KEY_4, 'B');
            SelectKey(window, IDC_HOT_KEY_7, 'B');
            ClickButton(window, IDC_HOT_KEYS_OK);
            duplicate = Answer(ui, window, IDOK);
            SelectKey(window, IDC_HOT_KEY_7, 0);
            // Ctrl alone asks; No keeps the dialog open.
            SetCheck(window, IDC_HOT_KEYS_SHIFT, false);
            ClickButton(window, IDC_HOT_KEYS_OK);
            single = Answer(ui, window, IDNO);
            openAfterNo = IsWindowVisible(window) != FALSE;
            SetCheck(window, IDC_HOT_KEYS_CTRL, false);
            combosOffWithoutModifiers = !IsWindowEnabled(GetDlgItem(window, IDC_HOT_KEY_2));
            SetCheck(window, IDC_HOT_KEYS_CTRL, true);
            SetCheck(window, IDC_HOT_KEYS_ALT, true);
            ClickButton(window, IDC_HOT_KEYS_OK);
        });
        EXPECT_EQ(dialog.DoModal(nullptr), 0);
    }
    EXPECT_EQ(title, L"Quillory Hot keys");
    EXPECT_EQ(shownA, 'A');
    EXPECT_EQ(shownPageUp, VK_PRIOR);
    EXPECT_EQ(duplicate, L"The key B is chosen for more than one hot key.");
    EXPECT_EQ(single.find(L"With Ctrl alone"), 0u) << single;
    EXPECT_TRUE(openAfterNo);
    EXPECT_TRUE(combosOffWithoutModifiers);
    // Ctrl + Alt with A, Page Up and B: registered and stored.
    EXPECT_EQ(StoredRecord(), (std::vector<BYTE>{1, 0xC0, 'A', VK_PRIOR, 'B', 0, 0, 0, 0}));
    EXPECT_TRUE(m_table[2].second && m_table[3].second && m_table[4].second);
    EXPECT_FALSE(IsFree(MOD_CONTROL | MOD_ALT, 'B'));
    UnregisterHotKeys(controller.handle, m_table);
    EXPECT_EQ(slot.Get(), nullptr);

    // No modifier: the hot keys are off, the stored keys stay as they were
    // whatever the combo boxes show.
    {
        CHotKeysDlg dialog(&slot, controller.handle, &m_allowed, m_table);
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui);
            SelectKey(window, IDC_HOT_KEY_2, 'Q');
            SetCheck(window, IDC_HOT_KEYS_CTRL, false);
            SetCheck(window, IDC_HOT_KEYS_ALT, false);
            ClickButton(window, IDC_HOT_KEYS_OK);
        });
        EXPECT_EQ(dialog.DoModal(nullptr), 0);
    }
    EXPECT_EQ(StoredRecord(), (std::vector<BYTE>{1, 0, 'A', VK_PRIOR, 'B', 0, 0, 0, 0}));
    EXPECT_TRUE(IsFree(MOD_CONTROL | MOD_ALT, 'A'));
}

// Registering the new keys fails: the dialog stays open, and Cancel always
// closes it with the previous keys registered again; when those are taken
// too, it says so once and closes all the same.
TEST_F(HotKeysTest, CancelAfterAFailedRegistrationClosesAndRestoresThePreviousKeys)
{
    Window controller, other;
    const UINT mods = MOD_CONTROL | MOD_ALT;
    m_table[0] = HotKeyEntry(1, false);
    m_table[1] = HotKeyEntry(HotKeyCtrl | HotKeyAlt, false);
    m_table[2] = HotKeyEntry(VK_F9, false);
    ASSERT_TRUE(RegisterHotKey(other.handle, 1, mods, 'Q'));
    for (bool previousTaken : {false, true})
    {
        std::wstring refusal, restoreReport, secondBox;
        bool openAfterRefusal = false;
        if (previousTaken)
        {
            ASSERT_TRUE(RegisterHotKey(other.handle, 2, mods, VK_F9));
        }
        {
            // The dialog can end while the script still waits for the
            // restore report's box to go: the script's results are read only
            // after the end of this block has joined it.
            CHotKeysDlg dialog(nullptr, controller.handle, &m_allowed, m_table);
            UiTest::Script script([&](DWORD ui) {
                HWND window = UiTest::WaitForDialog(ui);
                SelectKey(window, IDC_HOT_KEY_2, 'Q');
                ClickButton(window, IDC_HOT_KEYS_OK);
                refusal = Answer(ui, window, IDOK);
                openAfterRefusal = IsWindowVisible(window) != FALSE;
                ClickButton(window, IDC_HOT_KEYS_CANCEL);
                restoreReport = Answer(ui, window, IDOK);
                secondBox = Answer(ui, window, IDOK);
            });
            EXPECT_EQ(dialog.DoModal(nullptr), 0) << previousTaken;
        }
        EXPECT_EQ(refusal.find(L"The hot key Ctrl +Alt +\"Q\" cannot be registered"), 0u) << refusal;
        EXPECT_TRUE(openAfterRefusal);
        EXPECT_EQ(secondBox, L"") << previousTaken;
        EXPECT_TRUE(StoredRecord().empty());
        EXPECT_EQ(m_table[2].first, VK_F9);
        if (previousTaken)
        {
            EXPECT_EQ(restoreReport.find(L"The hot key Ctrl +Alt +\"F9\" cannot be registered"), 0u) << restoreReport;
            EXPECT_FALSE(m_table[2].second);
        }
        else
        {
            EXPECT_EQ(restoreReport, L"");
            EXPECT_TRUE(m_table[2].second);
            EXPECT_FALSE(IsFree(mods, VK_F9));
            UnregisterHotKeys(controller.handle, m_table);
        }
    }
    UnregisterHotKey(other.handle, 1);
    UnregisterHotKey(other.handle, 2);
}
