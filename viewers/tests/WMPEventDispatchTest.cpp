#include "viewers/WMPEventDispatch.h"

#include <gtest/gtest.h>

#include <olectl.h>
#include <wmpids.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
struct Sent
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Sent& other) const
    {
        return message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};

std::vector<Sent> sent;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_USER)
        sent.push_back({message, wParam, lParam});
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window that records what the sink sends it.
class TargetWindow
{
public:
    TargetWindow()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.lpszClassName = L"QuilloryPlayerSinkTarget";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                   nullptr);
    }
    ~TargetWindow() { DestroyWindow(m_window); }
    HWND Get() const { return m_window; }

private:
    HWND m_window = nullptr;
};

class SinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(m_target.Get(), nullptr);
        ASSERT_EQ(ATL::CComObject<CWMPEventDispatch>::CreateInstance(&m_sink), S_OK);
        m_sink->SetTargetWindow(m_target.Get());
        sent.clear();
    }
    void TearDown() override { m_sink->Release(); }

    // Invoke on the dispatch interface with the arguments in the event's
    // order (DISPPARAMS takes them last first).
    HRESULT Invoke(DISPID dispid, std::vector<VARIANT> arguments)
    {
        std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
        DISPPARAMS parameters = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                                 static_cast<UINT>(reversed.size()), 0};
        _WMPOCXEvents* dispatch = nullptr;
        EXPECT_EQ(m_sink->QueryInterface(__uuidof(_WMPOCXEvents), reinterpret_cast<void**>(&dispatch)), S_OK);
        const HRESULT result = dispatch->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr,
                                                nullptr, nullptr);
        dispatch->Release();
        return result;
    }

    TargetWindow m_target;
    ATL::CComObject<CWMPEventDispatch>* m_sink = nullptr;
};

VARIANT Long(LONG value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT Short(short value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}
} // namespace

TEST_F(SinkTest, BothInterfacesSendTheSameMessages)
{
    const struct
    {
        const char* name;
        std::function<void(IWMPEvents*)> direct;
        DISPID dispid;
        std::vector<VARIANT> arguments;
        std::vector<Sent> expected;
    } cases[] = {
        {"play state 3", [](IWMPEvents* e) { e->PlayStateChange(3); }, DISPID_WMPCOREEVENT_PLAYSTATECHANGE,
         {Long(3)}, {{WM_PLAYER_PLAY_STATE, 3, 0}}},
        {"click", [](IWMPEvents* e) { e->Click(1, 0, 10, 20); }, DISPID_WMPOCXEVENT_CLICK,
         {Short(1), Short(0), Long(10), Long(20)}, {{WM_PLAYER_CLICK, PlayerClicked, 0}}},
        {"double click", [](IWMPEvents* e) { e->DoubleClick(1, 0, 10, 20); }, DISPID_WMPOCXEVENT_DOUBLECLICK,
         {Short(1), Short(0), Long(10), Long(20)}, {}},
        {"space", [](IWMPEvents* e) { e->KeyDown(32, 0); }, DISPID_WMPOCXEVENT_KEYDOWN, {Short(32), Short(0)},
         {{WM_PLAYER_CLICK, PlayerSpaceKey, 0}}},
        {"other key", [](IWMPEvents* e) { e->KeyDown(13, 0); }, DISPID_WMPOCXEVENT_KEYDOWN, {Short(13), Short(0)},
         {}},
        {"right down", [](IWMPEvents* e) { e->MouseDown(2, 0, 1, 1); }, DISPID_WMPOCXEVENT_MOUSEDOWN,
         {Short(2), Short(0), Long(1), Long(1)}, {{WM_PLAYER_RIGHT_DOWN, 0, 0}}},
        {"left down", [](IWMPEvents* e) { e->MouseDown(1, 0, 1, 1); }, DISPID_WMPOCXEVENT_MOUSEDOWN,
         {Short(1), Short(0), Long(1), Long(1)}, {}},
        {"right up", [](IWMPEvents* e) { e->MouseUp(2, 0, 1, 1); }, DISPID_WMPOCXEVENT_MOUSEUP,
         {Short(2), Short(0), Long(1), Long(1)}, {{WM_PLAYER_RIGHT_UP, 0, 0}}},
        {"left up", [](IWMPEvents* e) { e->MouseUp(1, 0, 1, 1); }, DISPID_WMPOCXEVENT_MOUSEUP,
         {Short(1), Short(0), Long(1), Long(1)}, {}},
        {"move", [](IWMPEvents* e) { e->MouseMove(0, 0, 5, 5); }, DISPID_WMPOCXEVENT_MOUSEMOVE,
         {Short(0), Short(0), Long(5), Long(5)}, {{WM_PLAYER_MOUSE_MOVE, 0, 0}}},
        {"end of stream", [](IWMPEvents* e) { e->EndOfStream(0); }, DISPID_WMPCOREEVENT_ENDOFSTREAM, {Long(0)}, {}},
    };
    for (const auto& c : cases)
    {
        sent.clear();
        c.direct(m_sink);
        EXPECT_EQ(sent, c.expected) << c.name << " through IWMPEvents";
        sent.clear();
        EXPECT_EQ(Invoke(c.dispid, c.arguments), S_OK) << c.name;
        EXPECT_EQ(sent, c.expected) << c.name << " through _WMPOCXEvents";
    }
}

TEST_F(SinkTest, MalformedDispatchCallsAreRefusedWithoutAMessage)
{
    _WMPOCXEvents* dispatch = nullptr;
    ASSERT_EQ(m_sink->QueryInterface(__uuidof(_WMPOCXEvents), reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(dispatch->Invoke(DISPID_WMPOCXEVENT_CLICK, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr,
                               nullptr),
              E_POINTER);
    VARIANT named = Long(1);
    DISPID name = 0;
    DISPPARAMS withNames = {&named, &name, 1, 1};
    EXPECT_EQ(dispatch->Invoke(DISPID_WMPCOREEVENT_PLAYSTATECHANGE, IID_NULL, 0, DISPATCH_METHOD, &withNames,
                               nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
    dispatch->Release();

    EXPECT_EQ(Invoke(123456, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(DISPID_WMPOCXEVENT_CLICK, {Short(1)}), DISP_E_BADPARAMCOUNT) << "fewer arguments than the event";
    EXPECT_EQ(Invoke(DISPID_WMPCOREEVENT_PLAYSTATECHANGE, {}), DISP_E_BADPARAMCOUNT);
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"not a number");
    EXPECT_EQ(Invoke(DISPID_WMPCOREEVENT_PLAYSTATECHANGE, {text}), DISP_E_TYPEMISMATCH);
    VariantClear(&text);
    EXPECT_TRUE(sent.empty());
    // A number given as another type is converted, as the player's own
    // dispatch would.
    EXPECT_EQ(Invoke(DISPID_WMPOCXEVENT_KEYDOWN, {Long(32), Long(0)}), S_OK);
    EXPECT_EQ(sent, (std::vector<Sent>{{WM_PLAYER_CLICK, PlayerSpaceKey, 0}}));
}

namespace
{
// A player that offers the connection points of the given interfaces and
// keeps what is advised on them. Lives on the stack: no reference counting.
class FakePoint : public IConnectionPoint
{
public:
    explicit FakePoint(const IID& iid) : m_iid(iid) {}
    ~FakePoint()
    {
        if (m_advised)
            m_advised->Release();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid != IID_IUnknown && iid != IID_IConnectionPoint)
            return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override
    {
        *iid = m_iid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
    // As a real source does: asks the sink for the interface of this point.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (FAILED(sink->QueryInterface(m_iid, reinterpret_cast<void**>(&m_advised))))
            return CONNECT_E_CANNOTCONNECT;
        *cookie = 7;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    IUnknown* Advised() const { return m_advised; }
    ULONG references = 1;

private:
    IID m_iid;
    IUnknown* m_advised = nullptr;
};

class FakePlayer : public IConnectionPointContainer
{
public:
    explicit FakePlayer(bool offersEvents) : m_offersEvents(offersEvents) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid != IID_IUnknown && iid != IID_IConnectionPointContainer)
            return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        *point = nullptr;
        FakePoint* found = iid == __uuidof(IWMPEvents) && m_offersEvents ? &events
                           : iid == __uuidof(_WMPOCXEvents)               ? &dispatch
                                                                           : nullptr;
        if (!found)
            return CONNECT_E_NOCONNECTION;
        found->AddRef();
        *point = found;
        return S_OK;
    }

    FakePoint events{__uuidof(IWMPEvents)};
    FakePoint dispatch{__uuidof(_WMPOCXEvents)};

private:
    bool m_offersEvents;
};
} // namespace

TEST_F(SinkTest, AdvisedOnTheEventInterfaceOrElseOnTheDispatchPoint)
{
    {
        FakePlayer player(true);
        IConnectionPoint* point = nullptr;
        DWORD cookie = 0;
        ASSERT_EQ(AdviseMediaEventSink(&player, m_sink, &point, &cookie), S_OK);
        EXPECT_EQ(point, &player.events);
        EXPECT_EQ(cookie, 7u);
        ASSERT_NE(player.events.Advised(), nullptr);
        EXPECT_EQ(player.dispatch.Advised(), nullptr);
        static_cast<IWMPEvents*>(static_cast<void*>(player.events.Advised()))->Click(1, 0, 0, 0);
        EXPECT_EQ(sent, (std::vector<Sent>{{WM_PLAYER_CLICK, PlayerClicked, 0}}));
        point->Release();
    }
    sent.clear();
    {
        FakePlayer player(false);
        IConnectionPoint* point = nullptr;
        DWORD cookie = 0;
        ASSERT_EQ(AdviseMediaEventSink(&player, m_sink, &point, &cookie), S_OK);
        EXPECT_EQ(point, &player.dispatch);
        ASSERT_NE(player.dispatch.Advised(), nullptr);
        // The player fires through IDispatch::Invoke on that point.
        auto* dispatch = static_cast<IDispatch*>(static_cast<void*>(player.dispatch.Advised()));
        VARIANT state = Long(2);
        DISPPARAMS parameters = {&state, nullptr, 1, 0};
        EXPECT_EQ(dispatch->Invoke(DISPID_WMPCOREEVENT_PLAYSTATECHANGE, IID_NULL, 0, DISPATCH_METHOD, &parameters,
                                   nullptr, nullptr, nullptr),
                  S_OK);
        EXPECT_EQ(sent, (std::vector<Sent>{{WM_PLAYER_PLAY_STATE, 2, 0}}));
        point->Release();
    }
}
