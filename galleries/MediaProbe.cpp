#include "galleries/MediaProbe.h"

#include "foundation/Bstr.h"
#include "foundation/ComPtr.h"

#include <oleauto.h>
#include <wmp.h>

namespace
{
// {6BF52A52-394A-11D3-B153-00C04F79FAA6}
const CLSID WindowsMediaPlayerClass = {0x6bf52a52, 0x394a, 0x11d3, {0xb1, 0x53, 0x00, 0xc0, 0x4f, 0x79, 0xfa, 0xa6}};

class WindowsMediaPlayerProbe : public MediaProbe
{
public:
    WindowsMediaPlayerProbe()
    {
        ComPtr<IWMPPlayer> player;
        if (FAILED(CoCreateInstance(WindowsMediaPlayerClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWMPPlayer),
                                    reinterpret_cast<void**>(&player))))
            return;
        Bstr invisible(L"invisible");
        player->put_uiMode(invisible.Get());
        player->put_enableContextMenu(VARIANT_FALSE);
        ComPtr<IWMPSettings> settings;
        if (SUCCEEDED(player->get_settings(&settings)) && settings)
        {
            settings->put_enableErrorDialogs(VARIANT_FALSE);
            settings->put_invokeURLs(VARIANT_FALSE);
            settings->put_autoStart(VARIANT_FALSE);
            settings->put_playCount(1);
            settings->put_mute(VARIANT_TRUE);
        }
        player->QueryInterface(__uuidof(IWMPCore3), reinterpret_cast<void**>(&m_core));
    }

    bool Probe(const MString& path, MediaFacts& facts) override
    {
        if (!m_core)
            return false;
        Bstr url(path.GetText());
        ComPtr<IWMPMedia> media;
        if (FAILED(m_core->newMedia(url.Get(), &media)) || !media)
            return false;
        ComPtr<IWMPMedia2> media2;
        if (FAILED(media->QueryInterface(__uuidof(IWMPMedia2), reinterpret_cast<void**>(&media2))) || !media2)
            return false;
        ComPtr<IWMPErrorItem> error;
        if (FAILED(media2->get_error(&error)) || error)
            return false;
        if (FAILED(media->get_duration(&facts.duration)) || FAILED(media->get_imageSourceWidth(&facts.width)) ||
            FAILED(media->get_imageSourceHeight(&facts.height)))
            return false;
        Bstr name(L"Title"), title;
        facts.title = SUCCEEDED(media->getItemInfo(name.Get(), title.Out())) && title.Get() ? MString(title.Get())
                                                                                             : MString();
        return true;
    }

private:
    ComPtr<IWMPCore3> m_core;
};
}

std::unique_ptr<MediaProbe> NewWindowsMediaPlayerProbe()
{
    return std::make_unique<WindowsMediaPlayerProbe>();
}
