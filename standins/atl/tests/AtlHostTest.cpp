#include "standins/atl/AtlHost.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <wmp.h>

namespace
{
class OleScope
{
public:
    OleScope() : m_result(OleInitialize(nullptr)) {}
    ~OleScope()
    {
        if (SUCCEEDED(m_result))
            OleUninitialize();
    }

private:
    HRESULT m_result;
};

// A top-level parent with one host window filling it.
struct HostedWindow
{
    explicit HostedWindow(const wchar_t* name)
    {
        parent = CreateWindowExW(0, L"STATIC", L"host test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
        host = CreateWindowExW(0, ATL::AxWinClassName, name, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300,
                               parent, reinterpret_cast<HMENU>(200), nullptr, nullptr);
    }
    ~HostedWindow() { DestroyWindow(parent); }
    HWND parent;
    HWND host;
};

TEST(AxHost, HostsControlsByClassIdOrProgIdAndStaysEmptyWhenOneCannotBeMade)
{
    OleScope ole;
    ASSERT_TRUE(ATL::AtlAxWinInit());
    ASSERT_TRUE(ATL::AtlAxWinInit());
    struct Case
    {
        const wchar_t* name;
        REFIID iid;
        bool hosted;
    } cases[] = {
        {L"{8856F961-340A-11D0-A96B-00C04FD705A2}", IID_IWebBrowser2, true},
        {L"Shell.Explorer.2", IID_IWebBrowser2, true},
        {L"{6BF52A52-394A-11d3-B153-00C04F79FAA6}", __uuidof(IWMPPlayer), true},
        {L"No.Such.Control", IID_IUnknown, false},
        {L"{00000000-1111-2222-3333-444444444444}", IID_IUnknown, false},
        {L"", IID_IUnknown, false},
    };
    for (const Case& c : cases)
    {
        HostedWindow window(c.name);
        ASSERT_NE(window.host, nullptr) << c.name;
        IUnknown* control = nullptr;
        const HRESULT result = ATL::AtlAxGetControl(window.host, &control);
        EXPECT_EQ(SUCCEEDED(result), c.hosted) << c.name;
        if (!control)
            continue;
        void* wanted = nullptr;
        EXPECT_EQ(control->QueryInterface(c.iid, &wanted), S_OK) << c.name;
        if (wanted)
            static_cast<IUnknown*>(wanted)->Release();
        control->Release();
        MoveWindow(window.parent, 0, 0, 500, 350, TRUE);
    }
}

TEST(AxHost, CreateControlThroughTheHostReplacesTheControlAndReportsFailures)
{
    OleScope ole;
    ASSERT_TRUE(ATL::AtlAxWinInit());
    HostedWindow window(nullptr);
    ATL::IAxWinHostWindow* host = nullptr;
    ASSERT_EQ(ATL::AtlAxGetHost(window.host, &host), S_OK);
    IUnknown* control = nullptr;
    EXPECT_EQ(host->QueryControl(IID_IUnknown, reinterpret_cast<void**>(&control)), E_NOINTERFACE);
    EXPECT_EQ(host->CreateControl(L"{6BF52A52-394A-11d3-B153-00C04F79FAA6}", window.host, nullptr), S_OK);
    IWMPPlayer* player = nullptr;
    EXPECT_EQ(host->QueryControl(__uuidof(IWMPPlayer), reinterpret_cast<void**>(&player)), S_OK);
    if (player)
        player->Release();
    EXPECT_TRUE(FAILED(host->CreateControl(L"No.Such.Control", window.host, nullptr)));
    EXPECT_EQ(host->QueryControl(IID_IUnknown, reinterpret_cast<void**>(&control)), E_NOINTERFACE);
    host->Release();

    // Any other window has no host.
    {
        ATL::IAxWinHostWindow* none = nullptr;
        EXPECT_TRUE(FAILED(ATL::AtlAxGetHost(window.parent, &none)));
        EXPECT_EQ(none, nullptr);
    }
}
} // namespace
