// The media-player viewer: the current slide's audio or video file in the
// media player control, in a modal layered window that fades in and out.
// The player's events arrive through the event sink as private messages: a
// click toggles play and pause once the double-click time has passed, the
// space key at once, a right click closes the viewer, and dragging the
// picture moves the window. The player's volume is kept as "Media Volume".
#pragma once

#include "foundation/ComPtr.h"
#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "standins/atl/AtlHost.h"
#include "viewers/PlayerClickRules.h"
#include "viewers/ViewerFade.h"
#include "viewers/ViewerSlot.h"
#include "viewers/WMPEventDispatch.h"

#include <windows.h>

#include <memory>

class CMediaPlayer2Dlg : public ATL::CAxDialogImpl<CMediaPlayer2Dlg>
{
public:
    enum
    {
        IDD = IDD_MEDIA_PLAYER
    };

    // Installs the viewer's mouse hook on the calling thread: one media
    // viewer at a time.
    CMediaPlayer2Dlg(const POINT* anchor, const MString& mediaPath, ViewerSlot viewerSlot, const MString& title,
                     HWND owner);
    ~CMediaPlayer2Dlg() override;

    static const ATL::MessageMap<CMediaPlayer2Dlg>& GetMessageMap();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPlayerMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRightDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRightUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPlayerClick(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPlayState(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnActivate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogs(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOk(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    void SizeWindow();
    // The player in the host window with the sink advised; the string of
    // the failure, 0 when it is set up.
    UINT SetUpPlayer();
    void TogglePlayPause();
    void ApplySubtitle();
    void StartCloseFade();
    void EndViewer(INT_PTR result);
    void ReleasePlayer();
    static LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);

    MHandle m_viewerMutex;
    UINT m_closeMessage;
    ViewerSlot m_viewerSlot;
    HWND m_owner;
    HWND m_host = nullptr;
    ComPtr<IWMPPlayer> m_player;
    ComPtr<IWMPCore> m_core;
    ComPtr<IWMPCore3> m_core3;
    ComPtr<IWMPSettings> m_settings;
    ComPtr<IWMPControls> m_controls;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
    ATL::CComObject<CWMPEventDispatch>* m_sink = nullptr;
    UINT m_savedErrorMode = 0;
    MString m_mediaPath;
    MString m_title;
    MString m_caption;
    POINT m_anchor;
    HCURSOR m_arrowCursor;
    HCURSOR m_moveCursor;
    POINT m_dragOrigin = {0, 0};
    static constexpr ViewerFade::Steps FadeSteps{40, 40, 50};
    ViewerFade m_fade{m_hWnd, FadeSteps};
    bool m_subtitleDone = false;
    UINT_PTR m_subtitleTimer = 0;
    std::unique_ptr<PlayerClickRules> m_clickRules;
};
