// The first-run introduction, shown when HasRunBefore is false. The user
// continues only after ticking the check box; declining is not offered.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/StringEx.h"
#include "foundation/WindowPlacement.h"
#include "resources/languages/LanguageIds.h"
#include "standins/atl/AtlWindow.h"

// True when HKEY_CURRENT_USER's settings key holds "Display Area" as a
// REG_BINARY value of non-zero size: the program has run before.
bool HasRunBefore();

class CIntroductionDlg : public ATL::CDialogImpl<CIntroductionDlg>
{
public:
    enum
    {
        IDD = IDD_INTRODUCTION
    };
    // 1: the user continues; 0: closed by the program at quit.
    enum Result : INT_PTR
    {
        ClosedByProgram = 0,
        Continue = 1,
    };

    CIntroductionDlg();

    static const ATL::MessageMap<CIntroductionDlg>& GetMessageMap();

    // The picture (PNG 136 of the language module on an opaque black
    // background); null when it could not be loaded.
    HBITMAP GetPicture() const { return m_picture.Get(); }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCheck(WORD, WORD, HWND, BOOL&);
    LRESULT OnContinue(WORD, WORD, HWND, BOOL&);
    LRESULT OnIgnoreCommand(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtlColorEdit(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogs(UINT, WPARAM, LPARAM, BOOL&);

    MStringEx<wchar_t> m_caption;
    MStringEx<wchar_t> m_productName;
    MIcon m_icon;
    MBitmap m_picture;
    MSolidBrush m_whiteBrush;
    MSolidBrush m_editBrush;
    DerivedWindowFont m_titleFont;
    DerivedWindowFont m_subtitleFont;
    DerivedWindowFont m_checkFont;
    UINT m_closeMessage;
};
