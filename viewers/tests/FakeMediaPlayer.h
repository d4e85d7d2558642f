// A media player control for the media viewer's tests: Wine's player cannot
// play here (no decoders), so the viewer would end at once. This one is
// registered in the process under the player's class id for a scope, plays
// whatever it is given, keeps its volume, and fires its events into the sink
// the viewer advised.
#pragma once

#include <windows.h>

#include <olectl.h>
#include <ocidl.h>
#include <ole2.h>
#include <wmp.h>

#define FAKE_NOT_IMPLEMENTED(declaration)                                                                              \
    HRESULT STDMETHODCALLTYPE declaration override { return E_NOTIMPL; }

class FakeMediaPlayer final : public IOleObject,
                              public IWMPPlayer,
                              public IWMPCore3,
                              public IWMPSettings,
                              public IWMPControls,
                              public IConnectionPointContainer,
                              public IConnectionPoint
{
public:
    // What the viewer did to the player.
    LONG volume = 50;
    WMPPlayState state = wmppsReady;
    int plays = 0;
    int pauses = 0;
    bool closed = false;
    // The sink the viewer advised, and the host's site.
    IWMPEvents* sink = nullptr;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleObject)
            *out = static_cast<IOleObject*>(this);
        else if (iid == __uuidof(IWMPPlayer) || iid == IID_IDispatch)
            *out = static_cast<IWMPPlayer*>(this);
        else if (iid == __uuidof(IWMPCore))
            *out = static_cast<IWMPCore*>(static_cast<IWMPPlayer*>(this));
        else if (iid == __uuidof(IWMPCore3))
            *out = static_cast<IWMPCore3*>(this);
        else if (iid == IID_IConnectionPointContainer)
            *out = static_cast<IConnectionPointContainer*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }
    ULONG References() const { return m_references; }

    // IOleObject: enough for a host.
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite*) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(GetClientSite(IOleClientSite**))
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(SetMoniker(DWORD, IMoniker*))
    FAKE_NOT_IMPLEMENTED(GetMoniker(DWORD, DWORD, IMoniker**))
    FAKE_NOT_IMPLEMENTED(InitFromData(IDataObject*, BOOL, DWORD))
    FAKE_NOT_IMPLEMENTED(GetClipboardData(DWORD, IDataObject**))
    HRESULT STDMETHODCALLTYPE DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(EnumVerbs(IEnumOLEVERB**))
    FAKE_NOT_IMPLEMENTED(Update())
    FAKE_NOT_IMPLEMENTED(IsUpToDate())
    FAKE_NOT_IMPLEMENTED(GetUserClassID(CLSID*))
    FAKE_NOT_IMPLEMENTED(GetUserType(DWORD, LPOLESTR*))
    FAKE_NOT_IMPLEMENTED(SetExtent(DWORD, SIZEL*))
    FAKE_NOT_IMPLEMENTED(GetExtent(DWORD, SIZEL*))
    FAKE_NOT_IMPLEMENTED(Advise(IAdviseSink*, DWORD*))
    FAKE_NOT_IMPLEMENTED(EnumAdvise(IEnumSTATDATA**))
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override
    {
        *status = 0;
        return S_OK;
    }
    FAKE_NOT_IMPLEMENTED(SetColorScheme(LOGPALETTE*))

    // IDispatch of every player interface.
    FAKE_NOT_IMPLEMENTED(GetTypeInfoCount(UINT*))
    FAKE_NOT_IMPLEMENTED(GetTypeInfo(UINT, LCID, ITypeInfo**))
    FAKE_NOT_IMPLEMENTED(GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*))
    FAKE_NOT_IMPLEMENTED(Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))

    // IWMPCore
    HRESULT STDMETHODCALLTYPE close() override
    {
        closed = true;
        return S_OK;
    }
    FAKE_NOT_IMPLEMENTED(get_URL(BSTR*))
    HRESULT STDMETHODCALLTYPE put_URL(BSTR) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(get_openState(WMPOpenState*))
    HRESULT STDMETHODCALLTYPE get_playState(WMPPlayState* out) override
    {
        *out = state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_controls(IWMPControls** out) override
    {
        *out = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_settings(IWMPSettings** out) override
    {
        *out = this;
        AddRef();
        return S_OK;
    }
    FAKE_NOT_IMPLEMENTED(get_currentMedia(IWMPMedia**))
    FAKE_NOT_IMPLEMENTED(put_currentMedia(IWMPMedia*))
    FAKE_NOT_IMPLEMENTED(get_mediaCollection(IWMPMediaCollection**))
    FAKE_NOT_IMPLEMENTED(get_playlistCollection(IWMPPlaylistCollection**))
    FAKE_NOT_IMPLEMENTED(get_versionInfo(BSTR*))
    FAKE_NOT_IMPLEMENTED(launchURL(BSTR))
    FAKE_NOT_IMPLEMENTED(get_network(IWMPNetwork**))
    FAKE_NOT_IMPLEMENTED(get_currentPlaylist(IWMPPlaylist**))
    FAKE_NOT_IMPLEMENTED(put_currentPlaylist(IWMPPlaylist*))
    FAKE_NOT_IMPLEMENTED(get_cdromCollection(IWMPCdromCollection**))
    FAKE_NOT_IMPLEMENTED(get_closedCaption(IWMPClosedCaption**))
    FAKE_NOT_IMPLEMENTED(get_isOnline(VARIANT_BOOL*))
    FAKE_NOT_IMPLEMENTED(get_Error(IWMPError**))
    FAKE_NOT_IMPLEMENTED(get_status(BSTR*))
    FAKE_NOT_IMPLEMENTED(get_dvd(IWMPDVD**))
    FAKE_NOT_IMPLEMENTED(newPlaylist(BSTR, BSTR, IWMPPlaylist**))
    FAKE_NOT_IMPLEMENTED(newMedia(BSTR, IWMPMedia**))

    // IWMPPlayer
    FAKE_NOT_IMPLEMENTED(get_enabled(VARIANT_BOOL*))
    FAKE_NOT_IMPLEMENTED(put_enabled(VARIANT_BOOL))
    FAKE_NOT_IMPLEMENTED(get_fullScreen(VARIANT_BOOL*))
    FAKE_NOT_IMPLEMENTED(put_fullScreen(VARIANT_BOOL))
    FAKE_NOT_IMPLEMENTED(get_enableContextMenu(VARIANT_BOOL*))
    HRESULT STDMETHODCALLTYPE put_enableContextMenu(VARIANT_BOOL) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(put_uiMode(BSTR))
    FAKE_NOT_IMPLEMENTED(get_uiMode(BSTR*))

    // IWMPSettings (get_isAvailable is shared with IWMPControls)
    FAKE_NOT_IMPLEMENTED(get_isAvailable(BSTR, VARIANT_BOOL*))
    FAKE_NOT_IMPLEMENTED(get_autoStart(VARIANT_BOOL*))
    HRESULT STDMETHODCALLTYPE put_autoStart(VARIANT_BOOL) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(get_baseURL(BSTR*))
    FAKE_NOT_IMPLEMENTED(put_baseURL(BSTR))
    FAKE_NOT_IMPLEMENTED(get_defaultFrame(BSTR*))
    FAKE_NOT_IMPLEMENTED(put_defaultFrame(BSTR))
    FAKE_NOT_IMPLEMENTED(get_invokeURLs(VARIANT_BOOL*))
    HRESULT STDMETHODCALLTYPE put_invokeURLs(VARIANT_BOOL) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(get_mute(VARIANT_BOOL*))
    HRESULT STDMETHODCALLTYPE put_mute(VARIANT_BOOL) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(get_playCount(LONG*))
    HRESULT STDMETHODCALLTYPE put_playCount(LONG) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(get_rate(double*))
    FAKE_NOT_IMPLEMENTED(put_rate(double))
    FAKE_NOT_IMPLEMENTED(get_balance(LONG*))
    FAKE_NOT_IMPLEMENTED(put_balance(LONG))
    HRESULT STDMETHODCALLTYPE get_volume(LONG* out) override
    {
        *out = volume;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_volume(LONG value) override
    {
        volume = value;
        return S_OK;
    }
    FAKE_NOT_IMPLEMENTED(getMode(BSTR, VARIANT_BOOL*))
    HRESULT STDMETHODCALLTYPE setMode(BSTR, VARIANT_BOOL) override { return S_OK; }
    FAKE_NOT_IMPLEMENTED(get_enableErrorDialogs(VARIANT_BOOL*))
    HRESULT STDMETHODCALLTYPE put_enableErrorDialogs(VARIANT_BOOL) override { return S_OK; }

    // IWMPControls
    HRESULT STDMETHODCALLTYPE play() override
    {
        ++plays;
        state = wmppsPlaying;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE stop() override
    {
        state = wmppsStopped;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE pause() override
    {
        ++pauses;
        state = wmppsPaused;
        return S_OK;
    }
    FAKE_NOT_IMPLEMENTED(fastForward())
    FAKE_NOT_IMPLEMENTED(fastReverse())
    FAKE_NOT_IMPLEMENTED(get_currentPosition(double*))
    FAKE_NOT_IMPLEMENTED(put_currentPosition(double))
    FAKE_NOT_IMPLEMENTED(get_currentPositionString(BSTR*))
    FAKE_NOT_IMPLEMENTED(next())
    FAKE_NOT_IMPLEMENTED(previous())
    FAKE_NOT_IMPLEMENTED(currentItem(IWMPMedia**))
    FAKE_NOT_IMPLEMENTED(put_currentItem(IWMPMedia*))
    FAKE_NOT_IMPLEMENTED(get_currentMarker(LONG*))
    FAKE_NOT_IMPLEMENTED(put_currentMarker(LONG))
    FAKE_NOT_IMPLEMENTED(playItem(IWMPMedia*))

    // IConnectionPointContainer: the IWMPEvents point only.
    FAKE_NOT_IMPLEMENTED(EnumConnectionPoints(IEnumConnectionPoints**))
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override
    {
        *out = nullptr;
        if (iid != __uuidof(IWMPEvents))
            return CONNECT_E_NOCONNECTION;
        *out = this;
        AddRef();
        return S_OK;
    }

    // IConnectionPoint (Unadvise is shared with IOleObject's)
    FAKE_NOT_IMPLEMENTED(GetConnectionInterface(IID*))
    FAKE_NOT_IMPLEMENTED(GetConnectionPointContainer(IConnectionPointContainer**))
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* unknown, DWORD* cookie) override
    {
        if (sink || FAILED(unknown->QueryInterface(__uuidof(IWMPEvents), reinterpret_cast<void**>(&sink))))
            return CONNECT_E_ADVISELIMIT;
        *cookie = 7;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        if (cookie != 7 || !sink)
            return CONNECT_E_NOCONNECTION;
        sink->Release();
        sink = nullptr;
        return S_OK;
    }
    FAKE_NOT_IMPLEMENTED(EnumConnections(IEnumConnections**))

private:
    ULONG m_references = 1;
};

#undef FAKE_NOT_IMPLEMENTED

// Puts a player in the process under the media player's class id for the scope.
class FakeMediaPlayerRegistration final : public IClassFactory
{
public:
    explicit FakeMediaPlayerRegistration(FakeMediaPlayer& player) : m_player(player)
    {
        const CLSID playerClass = {0x6BF52A52, 0x394A, 0x11D3, {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6}};
        CoRegisterClassObject(playerClass, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
    }
    ~FakeMediaPlayerRegistration() { CoRevokeClassObject(m_cookie); }
    FakeMediaPlayerRegistration(const FakeMediaPlayerRegistration&) = delete;
    FakeMediaPlayerRegistration& operator=(const FakeMediaPlayerRegistration&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory)
            return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return m_player.QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    FakeMediaPlayer& m_player;
    DWORD m_cookie = 0;
};
