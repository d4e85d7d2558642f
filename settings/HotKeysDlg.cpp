#include "settings/HotKeysDlg.h"

#include "foundation/WindowPlacement.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/MessageBox.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"

const int CHotKeysDlg::KeyCombos[] = {IDC_HOT_KEY_2, IDC_HOT_KEY_3, IDC_HOT_KEY_4, IDC_HOT_KEY_5,
                                      IDC_HOT_KEY_6, IDC_HOT_KEY_7, IDC_HOT_KEY_8};

namespace
{
const int HelpControls[] = {IDC_HOT_KEYS_CTRL,  IDC_HOT_KEYS_ALT,   IDC_HOT_KEYS_SHIFT,   IDC_HOT_KEY_2_LABEL,
                            IDC_HOT_KEY_2,      IDC_HOT_KEY_6_LABEL, IDC_HOT_KEY_3,       IDC_HOT_KEY_4_LABEL,
                            IDC_HOT_KEY_4,      IDC_HOT_KEY_5_LABEL, IDC_HOT_KEY_5,       IDC_HOT_KEY_6B_LABEL,
                            IDC_HOT_KEY_6,      IDC_HOT_KEY_7_LABEL, IDC_HOT_KEY_7,       IDC_HOT_KEY_8_LABEL,
                            IDC_HOT_KEY_8,      IDC_HOT_KEYS_OK,    IDC_HOT_KEYS_CANCEL};
}

CHotKeysDlg::CHotKeysDlg(DialogWindowSlot* slot, HWND controllerWindow, const AllowedKeyTable* allowedKeys,
                         HotKeyEntry* table)
    : m_slot(slot), m_controllerWindow(controllerWindow), m_allowedKeys(allowedKeys), m_table(table),
      m_closeDialogsMessage(RegisterWindowMessageW(CloseDialogsMessageName)), m_caption(ResId(IDS_PRODUCT_CAPTION)),
      m_productName(ResId(IDS_PRODUCT_NAME)),
      m_icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE)))
{
}

const ATL::MessageMap<CHotKeysDlg>& CHotKeysDlg::GetMessageMap()
{
    using T = CHotKeysDlg;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
        .Message(WM_INITDIALOG, &T::OnInitDialog)
        .Message(WM_DESTROY, &T::OnDestroy)
        .Message(WM_HELP, &T::OnHelp)
        .Message(WM_CLOSE, &T::OnClose)
        .Command(IDCANCEL, &T::OnCancelCommand)
        .Command(IDC_HOT_KEYS_CANCEL, BN_CLICKED, &T::OnCancelCommand)
        .Message(WM_CLOSE_REQUEST, &T::OnCloseRequest)
        .Command(IDOK, &T::OnIgnore)
        .Command(IDC_HOT_KEYS_OK, BN_CLICKED, &T::OnOK)
        .Command(IDC_HOT_KEYS_CTRL, BN_CLICKED, &T::OnModifierClicked)
        .Command(IDC_HOT_KEYS_ALT, BN_CLICKED, &T::OnModifierClicked)
        .Command(IDC_HOT_KEYS_SHIFT, BN_CLICKED, &T::OnModifierClicked)
        .RegisteredMessage(&T::m_closeDialogsMessage, &T::OnCloseDialogs);
    return map;
}

bool CHotKeysDlg::IsChecked(int id) const { return ::SendMessageW(GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CHotKeysDlg::EnableKeyCombos()
{
    const bool on = IsChecked(IDC_HOT_KEYS_CTRL) || IsChecked(IDC_HOT_KEYS_ALT) || IsChecked(IDC_HOT_KEYS_SHIFT);
    for (int id : KeyCombos)
        ::EnableWindow(GetDlgItem(id), on);
}

LRESULT CHotKeysDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_slot)
        m_slot->Record(m_hWnd);
    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);
    SetWindowText(MString(sX::Format(), IDS_HOT_KEYS_TITLE, m_caption.GetText()).GetText());
    SetWindowContextHelpId(DialogHelpContext(IDD_HOT_KEYS));
    for (int id : HelpControls)
        ::SetWindowContextHelpId(GetDlgItem(id), DialogHelpContext(static_cast<DWORD>(id)));
    CenterWindowOnParent(m_hWnd);

    for (size_t k = 0; k < sizeof(KeyCombos) / sizeof(KeyCombos[0]); ++k)
    {
        HWND combo = GetDlgItem(KeyCombos[k]);
        for (unsigned __int64 i = 0; i < m_allowedKeys->GetCount(); ++i)
        {
            const AllowedKeyTable::Entry& key = *m_allowedKeys->GetAt(i);
            const LRESULT index =
                ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(key.second.GetText()));
            ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), key.first);
        }
        const unsigned char stored = m_table[FirstHotKeyId + k].first;
        if (IsAllowedKey(*m_allowedKeys, stored))
            ::SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(m_allowedKeys->GetValue(stored).GetText()));
    }
    const unsigned char modifiers = m_table[1].first;
    ::SendMessageW(GetDlgItem(IDC_HOT_KEYS_CTRL), BM_SETCHECK, (modifiers & HotKeyCtrl) ? BST_CHECKED : 0, 0);
    ::SendMessageW(GetDlgItem(IDC_HOT_KEYS_ALT), BM_SETCHECK, (modifiers & HotKeyAlt) ? BST_CHECKED : 0, 0);
    ::SendMessageW(GetDlgItem(IDC_HOT_KEYS_SHIFT), BM_SETCHECK, (modifiers & HotKeyShift) ? BST_CHECKED : 0, 0);
    EnableKeyCombos();
    ::SetFocus(GetDlgItem(IDC_HOT_KEYS_OK));
    return FALSE;
}

LRESULT CHotKeysDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_slot)
        m_slot->Clear(m_hWnd);
    return 0;
}

LRESULT CHotKeysDlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    if (info)
        ShowHelpContext(static_cast<int>(info->dwContextId));
    return TRUE;
}

LRESULT CHotKeysDlg::OnModifierClicked(WORD, WORD, HWND, BOOL&)
{
    EnableKeyCombos();
    return 0;
}

void CHotKeysDlg::RestoreAndEnd()
{
    // The previous keys come back; when another program has taken one of
    // them meanwhile, the box says so and the dialog closes all the same
    // (the user could not leave it otherwise).
    RegisterHotKeys(m_controllerWindow, m_table, m_hWnd, nullptr, *m_allowedKeys);
    EndDialog(0);
}

LRESULT CHotKeysDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    RestoreAndEnd();
    return 0;
}

LRESULT CHotKeysDlg::OnCancelCommand(WORD, WORD, HWND, BOOL&)
{
    RestoreAndEnd();
    return 0;
}

LRESULT CHotKeysDlg::OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&)
{
    RestoreAndEnd();
    return 0;
}

LRESULT CHotKeysDlg::OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    // The program quits: nothing is registered again.
    if (DialogCloseToken.Matches(wParam, lParam))
        EndDialog(0);
    return 0;
}

bool CHotKeysDlg::ConfirmSingleModifier(unsigned char modifiers)
{
    MString question;
    if (modifiers == HotKeyShift)
        question = MString(sX::Format(), IDS_HOT_KEYS_SHIFT_ONLY, m_productName.GetText());
    else if (modifiers == HotKeyAlt)
        question = MString(sX::Format(), IDS_HOT_KEYS_ONE_MODIFIER, L"Alt", L"Alt", m_productName.GetText(), L"Ctrl");
    else if (modifiers == HotKeyCtrl)
        question = MString(sX::Format(), IDS_HOT_KEYS_ONE_MODIFIER, L"Ctrl", L"Ctrl", m_productName.GetText(), L"Alt");
    else
        return true;
    return LocalizedMessageBox(m_hWnd, question.GetText(), m_caption.GetText(),
                               MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2) == IDYES;
}

LRESULT CHotKeysDlg::OnOK(WORD, WORD, HWND, BOOL&)
{
    unsigned char modifiers = 0;
    if (IsChecked(IDC_HOT_KEYS_CTRL))
        modifiers |= HotKeyCtrl;
    if (IsChecked(IDC_HOT_KEYS_ALT))
        modifiers |= HotKeyAlt;
    if (IsChecked(IDC_HOT_KEYS_SHIFT))
        modifiers |= HotKeyShift;
    if (modifiers == 0)
    {
        // Hot keys off: the stored keys stay as they were.
        m_table[1].first = 0;
        SaveHotKeys(m_table);
        EndDialog(0);
        return 0;
    }

    HotKeyEntry chosen[HotKeyTableSize];
    chosen[0] = HotKeyEntry(1, false);
    chosen[1] = HotKeyEntry(modifiers, false);
    for (size_t k = 0; k < sizeof(KeyCombos) / sizeof(KeyCombos[0]); ++k)
    {
        HWND combo = GetDlgItem(KeyCombos[k]);
        const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        const unsigned char key =
            index == CB_ERR ? 0
                            : static_cast<unsigned char>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
        chosen[FirstHotKeyId + k] = HotKeyEntry(key, false);
    }

    for (int id = FirstHotKeyId; id < LastHotKeyId; ++id)
    {
        const unsigned char key = chosen[id].first;
        if (key == 0)
            continue;
        for (int later = id + 1; later <= LastHotKeyId; ++later)
            if (chosen[later].first == key)
            {
                const MString text(sX::Format(), IDS_HOT_KEYS_DUPLICATE, m_allowedKeys->GetValue(key).GetText());
                LocalizedMessageBox(m_hWnd, text.GetText(), m_caption.GetText(), MB_ICONERROR);
                return 0;
            }
    }

    if (!ConfirmSingleModifier(modifiers))
        return 0;
    // A refusal has been reported; the dialog stays open with no hot key
    // registered, and Cancel brings the previous ones back.
    if (!RegisterHotKeys(m_controllerWindow, chosen, m_hWnd, nullptr, *m_allowedKeys))
        return 0;
    for (size_t i = 0; i < HotKeyTableSize; ++i)
        m_table[i] = chosen[i];
    SaveHotKeys(m_table);
    EndDialog(0);
    return 0;
}
