#include "standins/atl/AtlHost.h"

#include <new>

namespace ATL
{
const wchar_t AxWinClassName[] = L"AtlAxWin140";
const IID IID_IAxWinHostWindow = {0x6a3b7c52, 0x91d4, 0x4e0f, {0x8c, 0x2a, 0x5f, 0x1e, 0x3d, 0x7b, 0x9a, 0x40}};

namespace
{
const wchar_t GetHostMessageName[] = L"Quillory.AxWin.GetHost";

UINT GetHostMessage()
{
    static const UINT message = RegisterWindowMessageW(GetHostMessageName);
    return message;
}

// The host window's site for its control. The window holds one reference
// from WM_CREATE to WM_DESTROY; the control may hold more while it lives.
class AxHost final : public IAxWinHostWindow, public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame
{
public:
    explicit AxHost(HWND window) : m_window(window) {}
    AxHost(const AxHost&) = delete;
    AxHost& operator=(const AxHost&) = delete;

    // The window goes: the control is deactivated, closed and let go.
    void ReleaseControl()
    {
        if (m_inPlace)
        {
            m_inPlace->InPlaceDeactivate();
            m_inPlace->Release();
            m_inPlace = nullptr;
        }
        if (m_object)
        {
            m_object->Close(OLECLOSE_NOSAVE);
            m_object->SetClientSite(nullptr);
            m_object->Release();
            m_object = nullptr;
        }
    }

    void Resize()
    {
        if (!m_inPlace)
            return;
        RECT client;
        ::GetClientRect(m_window, &client);
        m_inPlace->SetObjectRects(&client, &client);
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IAxWinHostWindow)
            *out = static_cast<IAxWinHostWindow*>(this);
        else if (iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleInPlaceSite || iid == IID_IOleWindow)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

    // IAxWinHostWindow
    HRESULT STDMETHODCALLTYPE CreateControl(LPCOLESTR name, HWND, IStream*) override
    {
        ReleaseControl();
        if (!name || !*name)
            return E_INVALIDARG;
        CLSID classId;
        HRESULT result = name[0] == L'{' ? CLSIDFromString(name, &classId) : CLSIDFromProgID(name, &classId);
        if (FAILED(result))
            return result;
        IOleObject* object = nullptr;
        result = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(&object));
        if (FAILED(result))
            return result;
        if (!object)
            return E_NOINTERFACE;
        m_object = object;
        result = Activate();
        if (FAILED(result))
            ReleaseControl();
        return result;
    }
    HRESULT STDMETHODCALLTYPE QueryControl(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return m_object ? m_object->QueryInterface(iid, out) : E_NOINTERFACE;
    }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        if (moniker)
            *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override
    {
        if (container)
            *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of the in-place site and of the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = m_window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        if (!frame || !document || !position || !clip || !info)
            return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        ::GetClientRect(m_window, position);
        *clip = *position;
        // Only the structure's size field is the caller's; the rest is ours.
        info->fMDIApp = FALSE;
        info->hwndFrame = ::GetAncestor(m_window, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override
    {
        if (m_inPlace && position)
            m_inPlace->SetObjectRects(position, position);
        return S_OK;
    }

    // IOleInPlaceUIWindow: no tool space to give.
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override
    {
        return widths ? INPLACE_E_NOTOOLSPACE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    // IOleInPlaceFrame: no menus to merge.
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    ~AxHost() { ReleaseControl(); }

    // Client site, then a new blank state, then in-place activation in the
    // window's client area.
    HRESULT Activate()
    {
        DWORD status = 0;
        m_object->GetMiscStatus(DVASPECT_CONTENT, &status);
        const bool siteFirst = (status & OLEMISC_SETCLIENTSITEFIRST) != 0;
        if (siteFirst)
        {
            const HRESULT result = m_object->SetClientSite(this);
            if (FAILED(result))
                return result;
        }
        IPersistStreamInit* persist = nullptr;
        if (SUCCEEDED(m_object->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist))) &&
            persist)
        {
            persist->InitNew();
            persist->Release();
        }
        if (!siteFirst)
        {
            const HRESULT result = m_object->SetClientSite(this);
            if (FAILED(result))
                return result;
        }
        RECT client;
        ::GetClientRect(m_window, &client);
        // A control that cannot be activated in place is still the control
        // (some answer a windowless site's question with a failure here):
        // it stays, without a window of its own.
        m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_window, &client);
        if (FAILED(m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_inPlace))))
            m_inPlace = nullptr;
        Resize();
        return S_OK;
    }

    HWND m_window;
    ULONG m_references = 1;
    IOleObject* m_object = nullptr;
    IOleInPlaceObject* m_inPlace = nullptr;
};

AxHost* HostOf(HWND window)
{
    return reinterpret_cast<AxHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CREATE:
    {
        auto* host = new (std::nothrow) AxHost(window);
        if (!host)
            return -1;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
        // A template's host names its control in the window text; a failure
        // leaves the window empty.
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName) && *create->lpszName)
            host->CreateControl(create->lpszName, window, nullptr);
        return 0;
    }
    case WM_SIZE:
        if (AxHost* host = HostOf(window))
            host->Resize();
        return 0;
    case WM_ERASEBKGND:
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_DESTROY:
        if (AxHost* host = HostOf(window))
        {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            host->ReleaseControl();
            host->Release();
        }
        return 0;
    default:
        if (message == GetHostMessage() && message != 0)
        {
            AxHost* host = HostOf(window);
            auto* out = reinterpret_cast<IAxWinHostWindow**>(lParam);
            if (!host || !out)
                return FALSE;
            *out = host;
            host->AddRef();
            return TRUE;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
} // namespace

bool AtlAxWinInit()
{
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), AxWinClassName, &existing))
        return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    // Global, so that dialog templates of the language module find it too.
    windowClass.style = CS_DBLCLKS | CS_GLOBALCLASS;
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = AxWinClassName;
    // Another thread registering at the same time is as good as this one.
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HRESULT AtlAxGetHost(HWND hostWindow, IAxWinHostWindow** host)
{
    if (!host)
        return E_POINTER;
    *host = nullptr;
    if (!::IsWindow(hostWindow) || !GetHostMessage())
        return E_INVALIDARG;
    if (!::SendMessageW(hostWindow, GetHostMessage(), 0, reinterpret_cast<LPARAM>(host)) || !*host)
    {
        *host = nullptr;
        return E_FAIL;
    }
    return S_OK;
}

HRESULT AtlAxGetControl(HWND hostWindow, IUnknown** control)
{
    if (!control)
        return E_POINTER;
    *control = nullptr;
    IAxWinHostWindow* host = nullptr;
    const HRESULT result = AtlAxGetHost(hostWindow, &host);
    if (FAILED(result))
        return result;
    const HRESULT answer = host->QueryControl(IID_IUnknown, reinterpret_cast<void**>(control));
    host->Release();
    return answer;
}

} // namespace ATL
