// The hot-key dialog (template 108), opened from the settings dialog: one
// modifier combination shared by the seven hot keys and a key for each. The
// settings dialog unregisters the hot keys before it opens this dialog, and
// every way out of it except the shut-down broadcast registers a table
// again: the new one on OK, the previous one otherwise.
#pragma once

#include "resources/languages/LanguageIds.h"
#include "settings/HotKeysRecord.h"
#include "core/DialogWindowSlot.h"
#include "foundation/GdiOwners.h"
#include "standins/atl/AtlWindow.h"

class CHotKeysDlg : public ATL::CDialogImpl<CHotKeysDlg>
{
public:
    enum
    {
        IDD = IDD_HOT_KEYS
    };

    // slot: the settings dialog's, where this dialog records its window;
    // the hot keys are registered on controllerWindow; table is the
    // controller's, replaced when new keys are confirmed.
    CHotKeysDlg(DialogWindowSlot* slot, HWND controllerWindow, const AllowedKeyTable* allowedKeys,
                HotKeyEntry* table);

    static const ATL::MessageMap<CHotKeysDlg>& GetMessageMap();

    // The combo boxes of hot keys 2 to 8, in that order.
    static const int KeyCombos[LastHotKeyId - FirstHotKeyId + 1];

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancelCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogs(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnIgnore(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnModifierClicked(WORD, WORD, HWND, BOOL&);

    // Registers the unchanged table again and ends: a refusal is reported
    // once, and the dialog closes all the same.
    void RestoreAndEnd();
    bool IsChecked(int id) const;
    void EnableKeyCombos();
    // Asks about a single modifier; true to go on.
    bool ConfirmSingleModifier(unsigned char modifiers);

    DialogWindowSlot* m_slot;
    HWND m_controllerWindow;
    const AllowedKeyTable* m_allowedKeys;
    HotKeyEntry* m_table;
    UINT m_closeDialogsMessage;
    MString m_caption;
    MString m_productName;
    MIcon m_icon;
};
