// The about box (template 114): the program's logo, name and version, texts
// of the language module with links to web pages, the copyright line with the
// maker's name as a link, and the language choice, which restarts the
// program in the new language.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "foundation/WindowPlacement.h"
#include "resources/languages/LanguageIds.h"
#include "core/ControllerDialog.h"

#include <memory>
#include <vector>

class CAboutBoxDlg : public CControllerDialog<CAboutBoxDlg>
{
public:
    enum : INT_PTR
    {
        IDD = IDD_ABOUT_BOX,
        AcceptedResult = IDOK,
        CancelledResult = IDCANCEL,
        ClosedResult = IDCANCEL,
    };

    CAboutBoxDlg(POINT cursor, DialogWindowSlot* slot, HWND controllerWindow, HWND mainWindow);
    ~CAboutBoxDlg() override;

    static const ATL::MessageMap<CAboutBoxDlg>& GetMessageMap();

    // The copyright value in the three controls of its line: before the
    // maker word, the maker word (a link), after it. Without the maker's
    // address the whole value stands first; a value that the maker word does
    // not split in exactly two stands whole in the middle.
    struct CopyrightParts
    {
        MString before;
        MString maker;
        MString after;
    };
    static CopyrightParts SplitCopyright(const MString& copyright, bool makerHasAddress);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLink(WORD, WORD, HWND, BOOL&);
    LRESULT OnOpenLink(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLanguage(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancelCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnShowMessageBox(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnColor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);

    void SetLogo();
    void ApplyFonts();
    void LayOut();
    void Derive(int id, LONG n, LONG weight);

    HWND m_controllerWindow;
    HWND m_mainWindow;
    MString m_caption;
    MString m_productName;
    MIcon m_icon;
    MSolidBrush m_whiteBrush;
    // One message box at a time for another thread.
    MHandle m_messageBoxGuard{NewGuard()};
    HBITMAP m_logo = nullptr;
    std::vector<std::unique_ptr<DerivedWindowFont>> m_fonts;
};
