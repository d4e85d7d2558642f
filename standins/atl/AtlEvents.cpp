#include "standins/atl/AtlEvents.h"

#include <new>

namespace ATL
{

CDispEventSink* CDispEventSink::Create(REFIID events, Handler handler)
{
    return new (std::nothrow) CDispEventSink(events, std::move(handler));
}

HRESULT STDMETHODCALLTYPE CDispEventSink::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != m_events)
        return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CDispEventSink::Release()
{
    const ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE CDispEventSink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDispEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CDispEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CDispEventSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                                 VARIANT* result, EXCEPINFO*, UINT*)
{
    if (result)
        VariantInit(result);
    if (!m_handler)
        return S_OK;
    DISPPARAMS none = {};
    // The handler may end the dialog that owns this sink: keep it alive.
    const Handler handler = m_handler;
    try
    {
        return handler(dispid, parameters ? *parameters : none);
    }
    catch (...)
    {
        return DISP_E_EXCEPTION;
    }
}

HRESULT DispEventConnection::Advise(IUnknown* source, REFIID events, CDispEventSink::Handler handler)
{
    Unadvise();
    if (!source)
        return E_POINTER;
    IConnectionPointContainer* container = nullptr;
    HRESULT result =
        source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(result) || !container)
        return FAILED(result) ? result : E_NOINTERFACE;
    IConnectionPoint* point = nullptr;
    result = container->FindConnectionPoint(events, &point);
    container->Release();
    if (FAILED(result) || !point)
        return FAILED(result) ? result : E_NOINTERFACE;
    CDispEventSink* sink = CDispEventSink::Create(events, std::move(handler));
    if (!sink)
    {
        point->Release();
        return E_OUTOFMEMORY;
    }
    DWORD cookie = 0;
    result = point->Advise(static_cast<IDispatch*>(sink), &cookie);
    if (FAILED(result))
    {
        sink->Disconnect();
        sink->Release();
        point->Release();
        return result;
    }
    m_point = point;
    m_sink = sink;
    m_cookie = cookie;
    return S_OK;
}

void DispEventConnection::Unadvise()
{
    if (m_sink)
        m_sink->Disconnect();
    if (m_point)
    {
        m_point->Unadvise(m_cookie);
        m_point->Release();
    }
    if (m_sink)
        m_sink->Release();
    m_point = nullptr;
    m_sink = nullptr;
    m_cookie = 0;
}

} // namespace ATL
