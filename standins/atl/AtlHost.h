// ActiveX control hosting: the "AtlAxWin140" window class, whose window
// creates and in-place activates a control (named by its window text or by
// IAxWinHostWindow::CreateControl) and acts as its client site, in-place
// site and frame. A control that cannot be created leaves the host window
// empty and its failure in the HRESULT; one that refuses in-place activation
// is kept without a window of its own. Nothing is thrown.
// CAxDialogImpl is a dialog whose template may hold such host windows.
#pragma once

#include "standins/atl/AtlWindow.h"

#include <windows.h>

#include <ocidl.h>
#include <ole2.h>

namespace ATL
{

// The class name of host windows.
extern const wchar_t AxWinClassName[];

// The host object behind a host window (our own interface: its id is ours).
extern const IID IID_IAxWinHostWindow;
struct IAxWinHostWindow : public IUnknown
{
    // Creates the control named by a CLSID in braces or a ProgID in the host
    // window, replacing any it holds; stream (may be null) is not used.
    virtual HRESULT STDMETHODCALLTYPE CreateControl(LPCOLESTR name, HWND window, IStream* stream) = 0;
    // The hosted control's interface iid; E_NOINTERFACE while none is hosted.
    virtual HRESULT STDMETHODCALLTYPE QueryControl(REFIID iid, void** out) = 0;
};

// Registers the host window class once per process (thread-safe through
// the system); false when it cannot be registered.
bool AtlAxWinInit();

// The host object of a host window (one reference), through the window's
// registered get-host message.
HRESULT AtlAxGetHost(HWND hostWindow, IAxWinHostWindow** host);
// The hosted control's IUnknown (one reference).
HRESULT AtlAxGetControl(HWND hostWindow, IUnknown** control);

// A dialog whose template may contain host windows: the class is registered
// before the dialog is created. A host window whose control fails stays
// empty; the dialog finds no control in it.
template <class T> class CAxDialogImpl : public CDialogImpl<T>
{
public:
    INT_PTR DoModal(HWND parent = ::GetActiveWindow(), LPARAM initParam = 0)
    {
        AtlAxWinInit();
        return CDialogImpl<T>::DoModal(parent, initParam);
    }
    HWND Create(HWND parent, LPARAM initParam = 0)
    {
        AtlAxWinInit();
        return CDialogImpl<T>::Create(parent, initParam);
    }
};

} // namespace ATL
