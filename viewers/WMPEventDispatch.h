// The media player's events, turned into private messages to the media
// viewer's window: play-state changes, clicks, the space key, the right
// button and mouse movement. Every other event is accepted and ignored. The
// sink takes the events either through IWMPEvents or, where the player
// offers only that, through the dispatch interface _WMPOCXEvents.
#pragma once

#include "standins/atl/AtlCom.h"

#include <windows.h>

#include <ocidl.h>
#include <wmp.h>

// The media viewer's messages from its sink (sent, so handled at once).
constexpr UINT WM_PLAYER_MOUSE_MOVE = WM_USER + 45;
constexpr UINT WM_PLAYER_RIGHT_DOWN = WM_USER + 47;
constexpr UINT WM_PLAYER_RIGHT_UP = WM_USER + 48;
// wParam: the new play state.
constexpr UINT WM_PLAYER_PLAY_STATE = WM_USER + 49;
// wParam 0: a click on the player; 1: the space key.
constexpr UINT WM_PLAYER_CLICK = WM_USER + 50;
constexpr WPARAM PlayerClicked = 0;
constexpr WPARAM PlayerSpaceKey = 1;

class CWMPEventDispatch : public IWMPEvents, public _WMPOCXEvents
{
public:
    // The window every message goes to; none is sent while it is null.
    void SetTargetWindow(HWND window) { m_target = window; }

    // IDispatch of _WMPOCXEvents: the events by the player's DISPIDs, handed
    // to the same handlers. The arguments come from outside: their number
    // and types are checked before any is read.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // IWMPEvents, in the interface's order.
    void STDMETHODCALLTYPE OpenStateChange(LONG) override {}
    void STDMETHODCALLTYPE PlayStateChange(LONG state) override;
    void STDMETHODCALLTYPE AudioLanguageChange(LONG) override {}
    void STDMETHODCALLTYPE StatusChange() override {}
    void STDMETHODCALLTYPE ScriptCommand(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE NewStream() override {}
    void STDMETHODCALLTYPE Disconnect(LONG) override {}
    void STDMETHODCALLTYPE Buffering(VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE Error() override {}
    void STDMETHODCALLTYPE Warning(LONG, LONG, BSTR) override {}
    void STDMETHODCALLTYPE EndOfStream(LONG) override {}
    void STDMETHODCALLTYPE PositionChange(double, double) override {}
    void STDMETHODCALLTYPE MarkerHit(LONG) override {}
    void STDMETHODCALLTYPE DurationUnitChange(LONG) override {}
    void STDMETHODCALLTYPE CdromMediaChange(LONG) override {}
    void STDMETHODCALLTYPE PlaylistChange(IDispatch*, WMPPlaylistChangeEventType) override {}
    void STDMETHODCALLTYPE CurrentPlaylistChange(WMPPlaylistChangeEventType) override {}
    void STDMETHODCALLTYPE CurrentPlaylistItemAvailable(BSTR) override {}
    void STDMETHODCALLTYPE MediaChange(IDispatch*) override {}
    void STDMETHODCALLTYPE CurrentMediaItemAvailable(BSTR) override {}
    void STDMETHODCALLTYPE CurrentItemChange(IDispatch*) override {}
    void STDMETHODCALLTYPE MediaCollectionChange() override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringAdded(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringRemoved(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringChanged(BSTR, BSTR, BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionChange() override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistAdded(BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistRemoved(BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistSetAsDeleted(BSTR, VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE ModeChange(BSTR, VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE MediaError(IDispatch*) override {}
    void STDMETHODCALLTYPE OpenPlaylistSwitch(IDispatch*) override {}
    void STDMETHODCALLTYPE DomainChange(BSTR) override {}
    void STDMETHODCALLTYPE SwitchedToPlayerApplication() override {}
    void STDMETHODCALLTYPE SwitchedToControl() override {}
    void STDMETHODCALLTYPE PlayerDockedStateChange() override {}
    void STDMETHODCALLTYPE PlayerReconnect() override {}
    void STDMETHODCALLTYPE Click(short button, short shiftState, LONG x, LONG y) override;
    void STDMETHODCALLTYPE DoubleClick(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE KeyDown(short keyCode, short shiftState) override;
    void STDMETHODCALLTYPE KeyPress(short) override {}
    void STDMETHODCALLTYPE KeyUp(short, short) override {}
    void STDMETHODCALLTYPE MouseDown(short button, short shiftState, LONG x, LONG y) override;
    void STDMETHODCALLTYPE MouseMove(short button, short shiftState, LONG x, LONG y) override;
    void STDMETHODCALLTYPE MouseUp(short button, short shiftState, LONG x, LONG y) override;

protected:
    // For ATL::CComObject.
    static REFIID PrimaryIid() { return __uuidof(IWMPEvents); }
    void* InternalQueryInterface(REFIID iid);

private:
    void Send(UINT message, WPARAM wParam) const;

    HWND m_target = nullptr;
};

// Advises sink on the player's IWMPEvents connection point, or on its
// _WMPOCXEvents point when the first is not offered. On success *point
// holds the point (one reference) and *cookie the advise cookie.
HRESULT AdviseMediaEventSink(IUnknown* player, ATL::CComObject<CWMPEventDispatch>* sink, IConnectionPoint** point,
                             DWORD* cookie);
