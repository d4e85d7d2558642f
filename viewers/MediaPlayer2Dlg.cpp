#include "viewers/MediaPlayer2Dlg.h"

#include "foundation/Bstr.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/MessageBox.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "viewers/MediaVolume.h"
#include "viewers/ViewerWindow.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr UINT_PTR SubtitleTimerId = 112;
constexpr UINT SubtitleDelay = 4000;
// Below this the fading window and its player are hidden.
constexpr WORD HiddenAlpha = 8;
constexpr DWORD ViewerExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW;
constexpr DWORD HostStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// The player's own controls: a drag that starts there does not move the window.
constexpr LONG PlayerControlsHeight = 64;
const wchar_t PlayerClassId[] = L"{6BF52A52-394A-11d3-B153-00C04F79FAA6}";

// The play states after which a toggle plays: stopped, paused, media
// ended, ready.
bool ToggleStarts(WMPPlayState state)
{
    return state == wmppsStopped || state == wmppsPaused || state == wmppsMediaEnded || state == wmppsReady;
}

// One media viewer at a time: the hook and the viewer it reports to.
HHOOK g_mouseHook = nullptr;
PlayerClickRules* g_hookRules = nullptr;
} // namespace

CMediaPlayer2Dlg::CMediaPlayer2Dlg(const POINT* anchor, const MString& mediaPath, ViewerSlot viewerSlot,
                                   const MString& title, HWND owner)
    : m_viewerMutex(CreateMutexW(nullptr, TRUE, DialogMutexName(L"VIEWER_CMediaPlayer2Dlg").GetText())),
      m_closeMessage(RegisterWindowMessageW(CloseDialogsMessageName)),
      m_viewerSlot(viewerSlot),
      m_owner(owner),
      m_mediaPath(mediaPath),
      m_title(title),
      m_caption(ResId(IDS_PRODUCT_CAPTION)),
      m_anchor(anchor ? *anchor : POINT{0, 0}),
      m_arrowCursor(LoadCursorW(nullptr, IDC_ARROW)),
      m_moveCursor(LoadCursorW(nullptr, IDC_SIZEALL))
{
    if (!g_mouseHook)
        g_mouseHook = SetWindowsHookExW(WH_MOUSE, &CMediaPlayer2Dlg::MouseHookProc, nullptr, GetCurrentThreadId());
}

CMediaPlayer2Dlg::~CMediaPlayer2Dlg()
{
    if (g_mouseHook)
        UnhookWindowsHookEx(g_mouseHook);
    g_mouseHook = nullptr;
    g_hookRules = nullptr;
    ReleasePlayer();
}

const ATL::MessageMap<CMediaPlayer2Dlg>& CMediaPlayer2Dlg::GetMessageMap()
{
    using T = CMediaPlayer2Dlg;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
                                              .Message(WM_INITDIALOG, &T::OnInitDialog)
                                              .Message(WM_CLOSE, &T::OnClose)
                                              .Message(WM_DESTROY, &T::OnDestroy)
                                              .Message(WM_PLAYER_MOUSE_MOVE, &T::OnPlayerMouseMove)
                                              .Message(WM_MOUSEMOVE, &T::OnMouseMove)
                                              .Message(WM_LBUTTONUP, &T::OnLButtonUp)
                                              .Message(WM_CAPTURECHANGED, &T::OnCaptureChanged)
                                              .Message(WM_RBUTTONDOWN, &T::OnRightDown)
                                              .Message(WM_PLAYER_RIGHT_DOWN, &T::OnRightDown)
                                              .Message(WM_RBUTTONUP, &T::OnRightUp)
                                              .Message(WM_PLAYER_RIGHT_UP, &T::OnRightUp)
                                              .Message(WM_PLAYER_CLICK, &T::OnPlayerClick)
                                              .Message(WM_PLAYER_PLAY_STATE, &T::OnPlayState)
                                              .Message(WM_HELP, &T::OnHelp)
                                              .Message(WM_TIMER, &T::OnTimer)
                                              .Message(WM_ACTIVATE, &T::OnActivate)
                                              .Message(WM_CLOSE_REQUEST, &T::OnCloseRequest)
                                              .RegisteredMessage(&T::m_closeMessage, &T::OnCloseDialogs)
                                              .Command(IDOK, 0, &T::OnOk)
                                              .Command(IDCANCEL, 0, &T::OnCancel);
    return map;
}

// ---- Opening ----

LRESULT CMediaPlayer2Dlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_viewerSlot.Set(m_hWnd);
    m_clickRules = std::make_unique<PlayerClickRules>(
        m_hWnd, [this] { TogglePlayPause(); }, [this] { StartCloseFade(); });
    g_hookRules = m_clickRules.get();
    SetWindowContextHelpId(DialogHelpContext(IDD_MEDIA_PLAYER));
    ModifyStyleEx(0, ViewerExStyle);
    SizeWindow();

    RECT client;
    GetClientRect(&client);
    m_host = CreateWindowExW(0, ATL::AxWinClassName, nullptr, HostStyle, 0, 0, client.right, client.bottom, m_hWnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MEDIA_HOST)), nullptr, nullptr);
    if (m_host)
        ::SetWindowContextHelpId(m_host, DialogHelpContext(IDD_MEDIA_PLAYER));
    m_savedErrorMode = SetErrorMode(SEM_FAILCRITICALERRORS);

    const UINT failure = SetUpPlayer();
    if (failure)
    {
        ReleasePlayer();
        const MString text = failure == IDS_MEDIA_PLAYER_FAILED
                                 ? MString(ResId(IDS_MEDIA_PLAYER_FAILED))
                                 : MString(sX::Format(), failure, m_mediaPath.GetText());
        MessageBoxW(GetDesktopWindow(), text.GetText(), m_caption.GetText(), MB_ICONERROR);
        EndViewer(1);
        return TRUE;
    }
    m_fade.StartFadeIn();
    return TRUE;
}

void CMediaPlayer2Dlg::SizeWindow()
{
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint(m_anchor, MONITOR_DEFAULTTONEAREST), &info))
        work = info.rcWork;
    const LONG workWidth = work.right - work.left;
    const LONG workHeight = work.bottom - work.top;
    const bool large = workWidth >= 1280 && workHeight > 784;
    RECT frame{0, 0, large ? 1280 : 640, large ? 784 : 424};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetStyle()), FALSE, static_cast<DWORD>(GetExStyle()));
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    SetWindowPos(nullptr, work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

UINT CMediaPlayer2Dlg::SetUpPlayer()
{
    if (!m_host)
        return IDS_MEDIA_PLAYER_FAILED;
    ComPtr<ATL::IAxWinHostWindow> host;
    if (FAILED(ATL::AtlAxGetHost(m_host, &host)) || !host)
        return IDS_MEDIA_PLAYER_FAILED;
    if (FAILED(host->CreateControl(PlayerClassId, m_host, nullptr)) ||
        FAILED(host->QueryControl(__uuidof(IWMPPlayer), reinterpret_cast<void**>(&m_player))) || !m_player)
        return IDS_MEDIA_PLAYER_FAILED;
    if (FAILED(ATL::CComObject<CWMPEventDispatch>::CreateInstance(&m_sink)))
        return IDS_MEDIA_PLAYER_FAILED;
    m_sink->SetTargetWindow(m_hWnd);
    if (FAILED(AdviseMediaEventSink(m_player.Get(), m_sink, &m_point, &m_cookie)))
        return IDS_MEDIA_PLAYER_FAILED;
    if (FAILED(m_player->QueryInterface(__uuidof(IWMPCore), reinterpret_cast<void**>(&m_core))) || !m_core ||
        FAILED(m_player->QueryInterface(__uuidof(IWMPCore3), reinterpret_cast<void**>(&m_core3))) || !m_core3 ||
        FAILED(m_core->get_settings(&m_settings)) || !m_settings || FAILED(m_core->get_controls(&m_controls)) ||
        !m_controls)
        return IDS_MEDIA_PLAYER_FAILED;

    // Options the player may not all know; their answers do not matter.
    m_player->put_enableContextMenu(VARIANT_FALSE);
    m_settings->put_enableErrorDialogs(VARIANT_TRUE);
    const Bstr loop(L"loop");
    m_settings->setMode(loop.Get(), VARIANT_FALSE);
    m_settings->put_invokeURLs(VARIANT_FALSE);
    m_settings->put_autoStart(VARIANT_FALSE);
    m_settings->put_playCount(1);
    const double volume = std::ceil(ReadMediaVolume() * 100.0);
    m_settings->put_volume(static_cast<long>(std::min(100.0, std::max(0.0, volume))));
    m_settings->put_mute(VARIANT_FALSE);

    Bstr url(m_mediaPath.GetText());
    if (FAILED(m_core->put_URL(url.Get())))
        return IDS_MEDIA_OPEN_FAILED;
    ComPtr<IWMPPlaylist> playlist;
    if (SUCCEEDED(m_core->get_currentPlaylist(&playlist)) && playlist)
    {
        Bstr name(m_title.GetText());
        playlist->put_name(name.Get());
    }
    if (FAILED(m_controls->play()))
        return IDS_MEDIA_PLAY_FAILED;
    return 0;
}

// ---- The player's events ----

LRESULT CMediaPlayer2Dlg::OnPlayerMouseMove(UINT, WPARAM, LPARAM, BOOL&)
{
    const int primary = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    if (!(GetAsyncKeyState(primary) & 0x8000))
        return 0;
    POINT cursor;
    GetCursorPos(&cursor);
    POINT inClient = cursor;
    ScreenToClient(m_hWnd, &inClient);
    RECT client;
    GetClientRect(&client);
    client.bottom -= PlayerControlsHeight;
    if (!PtInRect(&client, inClient) || GetActiveWindow() != m_hWnd || GetForegroundWindow() != m_hWnd ||
        GetCapture() == m_hWnd)
        return 0;
    if (m_clickRules)
        m_clickRules->OnDoubleClick();
    m_dragOrigin = cursor;
    SetCapture(m_hWnd);
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnMouseMove(UINT, WPARAM keys, LPARAM, BOOL&)
{
    if (GetCapture() != m_hWnd || !m_player || !(keys & MK_LBUTTON))
        return 0;
    SetCursor(m_moveCursor);
    POINT cursor;
    GetCursorPos(&cursor);
    RECT window;
    GetWindowRect(&window);
    SetWindowPos(nullptr, window.left + cursor.x - m_dragOrigin.x, window.top + cursor.y - m_dragOrigin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
    m_dragOrigin = cursor;
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (reinterpret_cast<HWND>(lParam) != m_hWnd)
        SetCursor(m_arrowCursor);
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnRightDown(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_clickRules)
        m_clickRules->OnRightDown();
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnRightUp(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_clickRules)
        m_clickRules->OnRightUp();
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnPlayerClick(UINT, WPARAM kind, LPARAM, BOOL&)
{
    // A click waits for the double-click time only while there is a player.
    if (m_clickRules && (kind == PlayerSpaceKey || m_player))
        m_clickRules->OnPlayerClick(kind);
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnPlayState(UINT, WPARAM state, LPARAM, BOOL&)
{
    if (state == wmppsPlaying && !m_subtitleTimer && !m_subtitleDone)
        m_subtitleTimer = SetTimer(SubtitleTimerId, SubtitleDelay);
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (const auto* info = reinterpret_cast<const HELPINFO*>(lParam))
        ShowHelpContext(static_cast<int>(info->dwContextId));
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnTimer(UINT, WPARAM id, LPARAM, BOOL&)
{
    switch (id)
    {
    case FadeInTimerId:
        if (m_fade.FadeInStep() == ViewerFade::FadeIn::Opaque)
            SetCursor(m_arrowCursor);
        break;
    case PlayerClickTimer:
        if (m_clickRules)
            m_clickRules->OnClickTimer();
        break;
    case SubtitleTimerId:
        ApplySubtitle();
        break;
    case FadeOutTimerId:
    {
        const bool faded = m_fade.FadeOutStep();
        if (m_fade.Alpha() < HiddenAlpha)
        {
            ::ShowWindow(m_host, SW_HIDE);
            ShowWindow(SW_HIDE);
        }
        if (faded)
            EndViewer(1);
        break;
    }
    default:
        break;
    }
    return 0;
}

void CMediaPlayer2Dlg::ApplySubtitle()
{
    KillTimer(SubtitleTimerId);
    m_subtitleTimer = 0;
    m_subtitleDone = true;
    if (!m_core3)
        return;
    ComPtr<IWMPMedia> media;
    if (FAILED(m_core3->get_currentMedia(&media)) || !media)
        return;
    Bstr attribute(L"WM/SubTitle");
    Bstr subtitle;
    if (FAILED(media->getItemInfo(attribute.Get(), subtitle.Out())) || !subtitle.Get() || !*subtitle.Get())
        return;
    ComPtr<IWMPPlaylist> playlist;
    if (FAILED(m_core3->get_currentPlaylist(&playlist)) || !playlist)
        return;
    const MString name(sX::Format(), IDS_MEDIA_SUBTITLE, m_title.GetText(), subtitle.Get());
    Bstr text(name.GetText());
    playlist->put_name(text.Get());
}

void CMediaPlayer2Dlg::TogglePlayPause()
{
    if (!m_core3 || !m_controls)
        return;
    WMPPlayState state = wmppsUndefined;
    const bool play = FAILED(m_core3->get_playState(&state)) || ToggleStarts(state);
    const HRESULT result = play ? m_controls->play() : m_controls->pause();
    if (FAILED(result))
        LocalizedMessageBox(m_hWnd,
                            MString(sX::Format(), play ? IDS_MEDIA_PLAY_FAILED : IDS_MEDIA_PAUSE_FAILED,
                                    m_mediaPath.GetText())
                                .GetText(),
                            m_caption.GetText(), MB_ICONERROR);
}

LRESULT CMediaPlayer2Dlg::OnActivate(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ReportDeactivation(m_hWnd, m_owner, wParam, lParam, m_fade.IsClosing());
    return 0;
}

// ---- Closing ----

void CMediaPlayer2Dlg::StartCloseFade()
{
    if (!m_fade.StartFadeOut())
        EndViewer(1);
}

void CMediaPlayer2Dlg::EndViewer(INT_PTR result)
{
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    if (m_player)
    {
        if (m_core3)
        {
            long volume = 0;
            const bool known = m_settings && SUCCEEDED(m_settings->get_volume(&volume)) && volume >= 0 && volume <= 100;
            WriteMediaVolume(known ? volume / 100.0 : DefaultMediaVolume);
            if (m_controls)
                m_controls->stop();
            if (m_core)
                m_core->close();
        }
        m_player->close();
    }
    m_fade.MarkClosing();
    EndDialog(result);
}

LRESULT CMediaPlayer2Dlg::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    StartCloseFade();
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnCancel(WORD, WORD, HWND, BOOL&)
{
    StartCloseFade();
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnCloseRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    AnswerCloseRequest(
        m_hWnd, wParam, lParam, [this](INT_PTR result) { EndViewer(result); }, [this] { StartCloseFade(); });
    return 0;
}

LRESULT CMediaPlayer2Dlg::OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (DialogCloseToken.Matches(wParam, lParam))
        EndViewer(0);
    return 0;
}

void CMediaPlayer2Dlg::ReleasePlayer()
{
    if (m_point && m_cookie)
        m_point->Unadvise(m_cookie);
    m_cookie = 0;
    if (m_sink)
    {
        m_sink->SetTargetWindow(nullptr);
        m_sink->Release();
        m_sink = nullptr;
    }
    m_controls.Reset();
    m_settings.Reset();
    m_core3.Reset();
    m_core.Reset();
    m_point.Reset();
    m_player.Reset();
}

LRESULT CMediaPlayer2Dlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    m_fade.KillTimers();
    for (UINT_PTR timer : {PlayerClickTimer, SubtitleTimerId})
        KillTimer(timer);
    m_subtitleTimer = 0;
    g_hookRules = nullptr;
    ReleasePlayer();
    SetErrorMode(m_savedErrorMode);
    if (m_host)
        ::DestroyWindow(m_host);
    m_host = nullptr;
    m_viewerSlot.Set(nullptr);
    return 0;
}

LRESULT CALLBACK CMediaPlayer2Dlg::MouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    // A double click on the player is the player's: the pending click is dropped.
    if (code == HC_ACTION && wParam == WM_LBUTTONDBLCLK && g_hookRules)
        g_hookRules->OnDoubleClick();
    return CallNextHookEx(g_mouseHook, code, wParam, lParam);
}
