// The rich-text viewer: the current slide's rich-text or text file, read-only
// in a Rich Edit control, in a resizable layered window that fades in and
// out. Links open in the shell; the space bar scrolls by a line. Enter and
// Escape do not close it: the close box, the main window and the program's
// close broadcast do.
#pragma once

#include "foundation/Atom.h"
#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "standins/atl/AtlWindow.h"
#include "viewers/ViewerFade.h"
#include "viewers/ViewerSlot.h"

#include <windows.h>

#include <richedit.h>

class CRichTextDlg : public ATL::CDialogImpl<CRichTextDlg>
{
public:
    enum
    {
        IDD = IDD_RICH_TEXT
    };

    // "Riched20.dll" must be loaded while the dialog runs.
    CRichTextDlg(const POINT* anchor, const MStringEx<wchar_t>& documentPath, ViewerSlot viewerSlot,
                 const MStringEx<wchar_t>& title, HWND owner);
    ~CRichTextDlg() override;

    static const ATL::MessageMap<CRichTextDlg>& GetMessageMap();

    // The document's bytes as the control is given them: unchanged, followed
    // by a whole UTF-16 NUL, also after an odd number of bytes.
    static MemoryPH<unsigned char> TerminatedText(const MAtom<unsigned char>& bytes);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnShowWindow(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnActivate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRButtonUp(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnNotify(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogs(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSwallowCommand(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnFadeInTimer(UINT_PTR, BOOL&);
    LRESULT OnFadeOutTimer(UINT_PTR, BOOL&);

    // EN_LINK: a link opens when the button goes down and up on the same text.
    void OpenLink(const ENLINK& link);
    // Reads the document; the error text to show, empty when it was read.
    MStringEx<wchar_t> ReadDocument();
    void SizeWindow();
    // The control over the whole client area, its text kept a margin away
    // from the window's edges.
    void FitControl();
    void StartCloseFade();
    void EndWith(INT_PTR result);
    static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_closeMessage;
    MHandle m_viewerMutex;
    ViewerSlot m_viewerSlot;
    HWND m_owner;
    static constexpr ViewerFade::Steps FadeSteps{40, 40, 50};
    ViewerFade m_fade{m_hWnd, FadeSteps};
    MStringEx<wchar_t> m_caption;
    MStringEx<wchar_t> m_secondText;
    MIcon m_icon;
    POINT m_anchor;
    MStringEx<wchar_t> m_title;
    MStringEx<wchar_t> m_documentPath;
    MemoryPH<unsigned char> m_documentBytes;
    MStringEx<wchar_t> m_pressedLink;
    HWND m_control = nullptr;
};
