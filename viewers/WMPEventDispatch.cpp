#include "viewers/WMPEventDispatch.h"

#include <wmpids.h>

namespace
{
constexpr short RightButton = 2;
constexpr short SpaceKey = 32;

// The player's events by DISPID, with the number of arguments each takes.
struct EventShape
{
    DISPID dispid;
    UINT arguments;
};

const EventShape Events[] = {
    {DISPID_WMPCOREEVENT_OPENSTATECHANGE, 1},
    {DISPID_WMPCOREEVENT_STATUSCHANGE, 0},
    {DISPID_WMPCOREEVENT_PLAYSTATECHANGE, 1},
    {DISPID_WMPCOREEVENT_AUDIOLANGUAGECHANGE, 1},
    {DISPID_WMPCOREEVENT_ENDOFSTREAM, 1},
    {DISPID_WMPCOREEVENT_POSITIONCHANGE, 2},
    {DISPID_WMPCOREEVENT_MARKERHIT, 1},
    {DISPID_WMPCOREEVENT_DURATIONUNITCHANGE, 1},
    {DISPID_WMPCOREEVENT_SCRIPTCOMMAND, 2},
    {DISPID_WMPCOREEVENT_DISCONNECT, 1},
    {DISPID_WMPCOREEVENT_BUFFERING, 1},
    {DISPID_WMPCOREEVENT_NEWSTREAM, 0},
    {DISPID_WMPCOREEVENT_ERROR, 0},
    {DISPID_WMPCOREEVENT_WARNING, 3},
    {DISPID_WMPCOREEVENT_CDROMMEDIACHANGE, 1},
    {DISPID_WMPCOREEVENT_PLAYLISTCHANGE, 2},
    {DISPID_WMPCOREEVENT_MEDIACHANGE, 1},
    {DISPID_WMPCOREEVENT_CURRENTMEDIAITEMAVAILABLE, 1},
    {DISPID_WMPCOREEVENT_CURRENTPLAYLISTCHANGE, 1},
    {DISPID_WMPCOREEVENT_CURRENTPLAYLISTITEMAVAILABLE, 1},
    {DISPID_WMPCOREEVENT_CURRENTITEMCHANGE, 1},
    {DISPID_WMPCOREEVENT_MEDIACOLLECTIONCHANGE, 0},
    {DISPID_WMPCOREEVENT_MEDIACOLLECTIONATTRIBUTESTRINGADDED, 2},
    {DISPID_WMPCOREEVENT_MEDIACOLLECTIONATTRIBUTESTRINGREMOVED, 2},
    {DISPID_WMPCOREEVENT_MEDIACOLLECTIONATTRIBUTESTRINGCHANGED, 3},
    {DISPID_WMPCOREEVENT_PLAYLISTCOLLECTIONCHANGE, 0},
    {DISPID_WMPCOREEVENT_PLAYLISTCOLLECTIONPLAYLISTADDED, 1},
    {DISPID_WMPCOREEVENT_PLAYLISTCOLLECTIONPLAYLISTREMOVED, 1},
    {DISPID_WMPCOREEVENT_PLAYLISTCOLLECTIONPLAYLISTSETASDELETED, 2},
    {DISPID_WMPCOREEVENT_MODECHANGE, 2},
    {DISPID_WMPCOREEVENT_MEDIAERROR, 1},
    {DISPID_WMPCOREEVENT_OPENPLAYLISTSWITCH, 1},
    {DISPID_WMPCOREEVENT_DOMAINCHANGE, 1},
    {DISPID_WMPOCXEVENT_SWITCHEDTOPLAYERAPPLICATION, 0},
    {DISPID_WMPOCXEVENT_SWITCHEDTOCONTROL, 0},
    {DISPID_WMPOCXEVENT_PLAYERDOCKEDSTATECHANGE, 0},
    {DISPID_WMPOCXEVENT_PLAYERRECONNECT, 0},
    {DISPID_WMPOCXEVENT_CLICK, 4},
    {DISPID_WMPOCXEVENT_DOUBLECLICK, 4},
    {DISPID_WMPOCXEVENT_KEYDOWN, 2},
    {DISPID_WMPOCXEVENT_KEYPRESS, 1},
    {DISPID_WMPOCXEVENT_KEYUP, 2},
    {DISPID_WMPOCXEVENT_MOUSEDOWN, 4},
    {DISPID_WMPOCXEVENT_MOUSEMOVE, 4},
    {DISPID_WMPOCXEVENT_MOUSEUP, 4},
};

// The positional arguments of one Invoke, in the event's own order
// (DISPPARAMS holds them last first), converted to the types the handlers
// take.
class EventArguments
{
public:
    explicit EventArguments(const DISPPARAMS& parameters) : m_parameters(parameters) {}

    bool Long(UINT index, LONG& value) const
    {
        VARIANT converted;
        if (!Convert(index, VT_I4, converted))
            return false;
        value = converted.lVal;
        return true;
    }
    bool Short(UINT index, short& value) const
    {
        VARIANT converted;
        if (!Convert(index, VT_I2, converted))
            return false;
        value = converted.iVal;
        return true;
    }

private:
    bool Convert(UINT index, VARTYPE type, VARIANT& converted) const
    {
        VariantInit(&converted);
        if (index >= m_parameters.cArgs || !m_parameters.rgvarg)
            return false;
        VARIANT& argument = m_parameters.rgvarg[m_parameters.cArgs - 1 - index];
        return SUCCEEDED(VariantChangeType(&converted, &argument, 0, type));
    }

    const DISPPARAMS& m_parameters;
};
} // namespace

void* CWMPEventDispatch::InternalQueryInterface(REFIID iid)
{
    if (iid == __uuidof(IWMPEvents))
        return static_cast<IWMPEvents*>(this);
    if (iid == __uuidof(_WMPOCXEvents) || iid == IID_IDispatch)
        return static_cast<_WMPOCXEvents*>(this);
    return nullptr;
}

void CWMPEventDispatch::Send(UINT message, WPARAM wParam) const
{
    if (m_target)
        ::SendMessageW(m_target, message, wParam, 0);
}

void CWMPEventDispatch::PlayStateChange(LONG state)
{
    Send(WM_PLAYER_PLAY_STATE, static_cast<WPARAM>(state));
}

void CWMPEventDispatch::Click(short, short, LONG, LONG) { Send(WM_PLAYER_CLICK, PlayerClicked); }

void CWMPEventDispatch::KeyDown(short keyCode, short)
{
    if (keyCode == SpaceKey)
        Send(WM_PLAYER_CLICK, PlayerSpaceKey);
}

void CWMPEventDispatch::MouseDown(short button, short, LONG, LONG)
{
    if (button == RightButton)
        Send(WM_PLAYER_RIGHT_DOWN, 0);
}

void CWMPEventDispatch::MouseMove(short, short, LONG, LONG) { Send(WM_PLAYER_MOUSE_MOVE, 0); }

void CWMPEventDispatch::MouseUp(short button, short, LONG, LONG)
{
    if (button == RightButton)
        Send(WM_PLAYER_RIGHT_UP, 0);
}

HRESULT CWMPEventDispatch::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CWMPEventDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CWMPEventDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT CWMPEventDispatch::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                  UINT* argumentError)
{
    if (!parameters)
        return E_POINTER;
    if (parameters->cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    const EventShape* shape = nullptr;
    for (const EventShape& event : Events)
        if (event.dispid == dispid)
            shape = &event;
    if (!shape)
        return DISP_E_MEMBERNOTFOUND;
    if (parameters->cArgs != shape->arguments)
        return DISP_E_BADPARAMCOUNT;

    const EventArguments arguments(*parameters);
    LONG state = 0, x = 0, y = 0;
    short button = 0, shiftState = 0;
    bool read = true;
    switch (dispid)
    {
    case DISPID_WMPCOREEVENT_PLAYSTATECHANGE:
        if ((read = arguments.Long(0, state)))
            PlayStateChange(state);
        break;
    case DISPID_WMPOCXEVENT_KEYDOWN:
        if ((read = arguments.Short(0, button) && arguments.Short(1, shiftState)))
            KeyDown(button, shiftState);
        break;
    case DISPID_WMPOCXEVENT_CLICK:
    case DISPID_WMPOCXEVENT_MOUSEDOWN:
    case DISPID_WMPOCXEVENT_MOUSEMOVE:
    case DISPID_WMPOCXEVENT_MOUSEUP:
        read = arguments.Short(0, button) && arguments.Short(1, shiftState) && arguments.Long(2, x) &&
               arguments.Long(3, y);
        if (!read)
            break;
        if (dispid == DISPID_WMPOCXEVENT_CLICK)
            Click(button, shiftState, x, y);
        else if (dispid == DISPID_WMPOCXEVENT_MOUSEDOWN)
            MouseDown(button, shiftState, x, y);
        else if (dispid == DISPID_WMPOCXEVENT_MOUSEMOVE)
            MouseMove(button, shiftState, x, y);
        else
            MouseUp(button, shiftState, x, y);
        break;
    default:
        // Every other event does nothing, whatever it carries.
        break;
    }
    if (!read)
    {
        if (argumentError)
            *argumentError = 0;
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

HRESULT AdviseMediaEventSink(IUnknown* player, ATL::CComObject<CWMPEventDispatch>* sink, IConnectionPoint** point,
                             DWORD* cookie)
{
    if (!player || !sink || !point || !cookie)
        return E_POINTER;
    *point = nullptr;
    *cookie = 0;
    IConnectionPointContainer* container = nullptr;
    HRESULT result = player->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(result))
        return result;
    result = container->FindConnectionPoint(__uuidof(IWMPEvents), point);
    if (FAILED(result) || !*point)
        result = container->FindConnectionPoint(__uuidof(_WMPOCXEvents), point);
    container->Release();
    if (FAILED(result) || !*point)
        return FAILED(result) ? result : E_NOINTERFACE;
    result = (*point)->Advise(static_cast<IWMPEvents*>(sink), cookie);
    if (FAILED(result))
    {
        (*point)->Release();
        *point = nullptr;
    }
    return result;
}
