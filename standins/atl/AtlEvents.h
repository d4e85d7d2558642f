// Events of a hosted control through one of its dispatch event interfaces:
// IDispEventImpl<id, T> advises a small sink object on the control's
// connection point, and each event reaches T::OnDispEvent(dispid, params)
// on the thread that fires it. The sink is an object of its own, so a
// control that fires after DispEventUnadvise reaches nothing.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <oleauto.h>

#include <functional>

namespace ATL
{

class CDispEventSink final : public IDispatch
{
public:
    using Handler = std::function<HRESULT(DISPID dispid, DISPPARAMS& parameters)>;

    // A new sink (one reference held by the caller); null when memory is short.
    static CDispEventSink* Create(REFIID events, Handler handler);
    // Later events are accepted and dropped.
    void Disconnect() { m_handler = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    // Never throws: a handler's exception becomes DISP_E_EXCEPTION.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO*, UINT*) override;

private:
    CDispEventSink(REFIID events, Handler handler) : m_events(events), m_handler(std::move(handler)) {}
    ~CDispEventSink() = default;

    IID m_events;
    Handler m_handler;
    ULONG m_references = 1;
};

// One advised connection of a sink; unadvised when it goes.
class DispEventConnection
{
public:
    DispEventConnection() = default;
    DispEventConnection(const DispEventConnection&) = delete;
    DispEventConnection& operator=(const DispEventConnection&) = delete;
    ~DispEventConnection() { Unadvise(); }

    // Advises a new sink for events on source's connection point.
    HRESULT Advise(IUnknown* source, REFIID events, CDispEventSink::Handler handler);
    void Unadvise();
    bool IsAdvised() const { return m_point != nullptr; }

private:
    IConnectionPoint* m_point = nullptr;
    CDispEventSink* m_sink = nullptr;
    DWORD m_cookie = 0;
};

// T declares HRESULT OnDispEvent(DISPID, DISPPARAMS&) for the control with
// dialog control id Id.
template <UINT Id, class T> class IDispEventImpl
{
public:
    HRESULT DispEventAdvise(IUnknown* control, REFIID events)
    {
        return m_connection.Advise(control, events, [this](DISPID dispid, DISPPARAMS& parameters) {
            return static_cast<T*>(this)->OnDispEvent(dispid, parameters);
        });
    }
    void DispEventUnadvise() { m_connection.Unadvise(); }

private:
    DispEventConnection m_connection;
};

} // namespace ATL
