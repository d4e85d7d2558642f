#include "slideshow/MediaPlayerHost.h"

#include "galleries/MediaProbe.h"

#include <wmp.h>

namespace
{
// Windows 8.1 or later: major version above 6, or 6 with minor at least 3.
bool IsWindows81OrLater()
{
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto getVersion = ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                                  reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                            : nullptr;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!getVersion || getVersion(&version) != 0)
        return false;
    return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 3);
}
}

MediaPlayerHost::MediaPlayerHost()
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 1);
    if (block && FAILED(CreateStreamOnHGlobal(block, TRUE, &m_emptyStream)))
        GlobalFree(block);
}

MediaPlayerHost::~MediaPlayerHost() = default;

void MediaPlayerHost::CreatePlayer()
{
    if (FAILED(CoCreateInstance(__uuidof(WindowsMediaPlayer), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWMPPlayer),
                                reinterpret_cast<void**>(&m_player))) ||
        !m_player)
    {
        m_player.Reset();
        return;
    }
    BSTR invisible = SysAllocString(L"invisible");
    m_player->put_uiMode(invisible);
    SysFreeString(invisible);
    m_player->put_enableContextMenu(VARIANT_FALSE);
    ComPtr<IWMPSettings> settings;
    if (SUCCEEDED(m_player->get_settings(&settings)) && settings)
    {
        settings->put_enableErrorDialogs(VARIANT_FALSE);
        settings->put_invokeURLs(VARIANT_FALSE);
        settings->put_autoStart(VARIANT_FALSE);
        settings->put_playCount(1);
        if (IsWindows81OrLater())
            settings->put_mute(VARIANT_TRUE);
    }
    if (FAILED(m_player->QueryInterface(__uuidof(IWMPCore3), reinterpret_cast<void**>(&m_playerCore))))
        m_playerCore.Reset();
}

MediaProbe& MediaPlayerHost::CreateProbe()
{
    m_probe = NewWindowsMediaPlayerProbe();
    return *m_probe;
}
