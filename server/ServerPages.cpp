#include "server/ServerPages.h"

#include "server/HttpTransport.h"
#include "core/Language.h"

#include <iphlpapi.h>

namespace
{
const wchar_t* const PageNames[] = {
    L"get-slide.aspx", L"get-galleries.aspx", L"get-cv.aspx",        L"get-ip.aspx",
    L"get-am.aspx",    L"wnd-properties.css", L"set-cd.aspx",        L"get-pk.aspx",
};

// Three well-known sites on different networks.
const wchar_t* const PublicSites[3] = {
    L"https://www.microsoft.com",
    L"https://www.wikipedia.org",
    L"https://www.cloudflare.com",
};

// Every time-out of the test's session, in milliseconds.
constexpr DWORD ReachabilityTimeout = 1000;

bool HasDefaultRoute()
{
    ULONG size = 0;
    if (GetIpForwardTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER)
        return false;
    MemoryPH<unsigned char> table(size);
    MIB_IPFORWARDTABLE* routes = reinterpret_cast<MIB_IPFORWARDTABLE*>(table.GetData());
    if (GetIpForwardTable(routes, &size, FALSE) != NO_ERROR || routes->dwNumEntries == 0)
        return false;
    for (DWORD i = 0; i < routes->dwNumEntries; ++i)
        if (routes->table[i].dwForwardDest == 0)
            return true;
    return false;
}
} // namespace

MStringEx<wchar_t> GetServerPageUrl(unsigned index)
{
    if (index >= sizeof(PageNames) / sizeof(PageNames[0]))
        return MStringEx<wchar_t>();
    return MStringEx<wchar_t>(sX::Format(), L"%s/%s", ServerBaseAddress().GetText(), PageNames[index]);
}

bool HasRouteOut()
{
    if (!HasDefaultRoute())
        return false;
    DWORD state = 0;
    return InternetGetConnectedState(&state, 0) && (state & INTERNET_CONNECTION_OFFLINE) == 0;
}

bool IsInternetReachable() { return IsInternetReachable(PublicSites, HasRouteOut); }

bool IsInternetReachable(const wchar_t* const (&sites)[3], const std::function<bool()>& hasRouteOut)
{
    if (!hasRouteOut())
        return false;
    InternetHandle session(InternetOpenW(L"ABC", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return false;
    const DWORD timeouts[] = {INTERNET_OPTION_CONNECT_TIMEOUT,      INTERNET_OPTION_SEND_TIMEOUT,
                              INTERNET_OPTION_RECEIVE_TIMEOUT,      INTERNET_OPTION_DATA_SEND_TIMEOUT,
                              INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, INTERNET_OPTION_LISTEN_TIMEOUT};
    for (DWORD option : timeouts)
    {
        DWORD value = ReachabilityTimeout;
        InternetSetOptionW(session.Get(), option, &value, sizeof(value));
    }
    for (const wchar_t* site : sites)
    {
        // The public sites are all "https://", so they get the secure flags;
        // a plain "http://" site (the stand-in server of the tests) is asked
        // without them.
        InternetHandle answer(
            InternetOpenUrlW(session.Get(), site, L"", 0, GetRequestFlags(MStringEx<wchar_t>(site)), 0));
        if (answer)
            return true;
    }
    return false;
}
