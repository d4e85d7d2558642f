// The main window's invisible Windows Media Player, an empty stream, and the
// media test of the slide preparation (the player of the window's thread,
// made on that thread).
#pragma once

#include "foundation/ComPtr.h"

#include <objidl.h>

#include <memory>

struct IWMPPlayer;
struct IWMPCore3;
class MediaProbe;

class MediaPlayerHost
{
public:
    MediaPlayerHost();
    MediaPlayerHost(const MediaPlayerHost&) = delete;
    MediaPlayerHost& operator=(const MediaPlayerHost&) = delete;
    ~MediaPlayerHost();

    // The invisible player, muted on Windows 8.1 and later; none when it
    // cannot be made.
    void CreatePlayer();
    // The media test, made on the thread whose apartment it belongs to.
    MediaProbe& CreateProbe();

private:
    ComPtr<IWMPPlayer> m_player;
    ComPtr<IWMPCore3> m_playerCore;
    ComPtr<IStream> m_emptyStream;
    std::unique_ptr<MediaProbe> m_probe;
};
