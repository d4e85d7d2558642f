// The language dialog: at start-up when no valid language is stored (it
// cannot be cancelled), and from the about box to change the language.
#pragma once

#include "foundation/Containers.h"
#include "foundation/GdiOwners.h"
#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "standins/atl/AtlWindow.h"

class CLanguageSelect : public ATL::CDialogImpl<CLanguageSelect>
{
public:
    enum
    {
        IDD = IDD_LANGUAGE
    };
    // Results of the modal run.
    enum Result : INT_PTR
    {
        Saved = 0,
        Cancelled = 1,
        ClosedByProgram = 2,
    };

    // current: the user-interface language now; changing: opened from the
    // about box (cancel possible).
    CLanguageSelect(LANGID current, bool changing);

    static const ATL::MessageMap<CLanguageSelect>& GetMessageMap();

    // The languages for which a language module exists, in list order.
    using LanguageTable = Dictionary<unsigned, MStringEx<wchar_t>>;
    static const LanguageTable& Languages();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancelCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSelectionChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogs(UINT, WPARAM, LPARAM, BOOL&);

    LANGID SelectedLanguage() const;
    void CancelWhenChanging();

    LANGID m_current;
    bool m_changing;
    MStringEx<wchar_t> m_caption;
    MStringEx<wchar_t> m_productName;
    MIcon m_icon;
    HBRUSH m_faceBrush;
    HWND m_list = nullptr;
    HWND m_okButton = nullptr;
    HWND m_cancelButton = nullptr;
    HWND m_focusControl = nullptr;
    UINT m_closeMessage;
};
