// The web-document viewer: a web document in a dialog that hosts the web
// browser control. Its mode is fixed by what the opener gives: 0, an online
// document whose text the caller holds (navigated with the document
// request); 1, a local document file; 2, the modeless slide-properties
// window with a generated page. Modes 0 and 1 run modally and fade in and
// out; the document's display parameters size the window, and the page's
// title commands are obeyed as far as the mode trusts the page.
#pragma once

#include "foundation/Containers.h"
#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "standins/atl/AtlEvents.h"
#include "standins/atl/AtlHost.h"
#include "viewers/ContentWindowFilter.h"
#include "viewers/DocumentDisplayParameters.h"
#include "viewers/PageCommandActions.h"
#include "viewers/PageTitleCommands.h"
#include "viewers/PropertiesPage.h"
#include "viewers/ViewerFade.h"
#include "viewers/ViewerSlot.h"

#include <windows.h>

#include <exdisp.h>

class CBrowserDlg : public ATL::CAxDialogImpl<CBrowserDlg>, public ATL::IDispEventImpl<IDC_BROWSER, CBrowserDlg>
{
public:
    enum
    {
        IDD = IDD_BROWSER
    };
    using Content_propetrty = ::Content_propetrty;

    // Mode 2 when documentPath is empty, else 1 when documentText is empty,
    // else 0. The properties are moved in (the caller's list is left empty).
    CBrowserDlg(const POINT* anchor, const MString& documentPath, ViewerSlot viewerSlot, const MString& documentText,
                const MString& title, HWND owner, const MAtom<unsigned char>& authCode,
                MList<Content_propetrty>& properties);
    ~CBrowserDlg() override;

    static const ATL::MessageMap<CBrowserDlg>& GetMessageMap();

    unsigned Mode() const { return m_mode; }

    // The browser's DWebBrowserEvents2: every event the control fires comes
    // here. The arguments come from the control: their count and types are
    // checked before any is read.
    HRESULT OnDispEvent(DISPID dispid, DISPPARAMS& parameters);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSizing(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnActivate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRButtonUp(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogs(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnSwallowCommand(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnFadeInTimer(UINT_PTR, BOOL&);
    LRESULT OnFadeOutTimer(UINT_PTR, BOOL&);

    // OnInitDialog's steps after the template's controls exist; throws.
    void Open();
    // The display parameters (modes 0 and 1) or the properties window's
    // size (mode 2), validated.
    void ReadDisplayParameters(DWORD maxTrackWidth, DWORD maxTrackHeight);
    void PlaceWindow();
    // The error box of a failed opening, by mode.
    void ReportOpenFailure(const MString& text);
    MString OpenFailureText(const QuilloryError* error) const;
    // Navigates the browser to the document with the document request.
    void SendDocumentRequest();
    void CloseWithFade();
    void CloseNow(INT_PTR result);
    void OnTitleChange(const MString& title);

    MHandle m_viewerMutex;
    UINT m_closeMessage;
    ViewerSlot m_viewerSlot;
    MString m_documentText;
    HWND m_owner;
    static constexpr ViewerFade::Steps FadeSteps{40, 40, 50};
    ViewerFade m_fade{m_hWnd, FadeSteps};
    MString m_errorCaption;
    MIcon m_icon;
    IWebBrowser2* m_browser = nullptr;
    HWND m_browserWindow = nullptr;
    POINT m_anchor;
    MString m_documentPath;
    FullScreenKeeper m_fullScreen;
    DocumentDisplayParameters m_display;
    SIZE m_frame = {0, 0};
    MemoryPH<unsigned char> m_authCode;
    unsigned m_mode;
    PageCommandGate m_gate;
    MList<Content_propetrty> m_properties;
    ContentWindowFilter m_contentFilter;
};

// Whether any of the four viewers is open (its mutex exists).
bool IsAnyViewerOpen();
