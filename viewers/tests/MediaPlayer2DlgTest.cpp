#include "viewers/MediaPlayer2Dlg.h"

#include "foundation/Registry.h"
#include "core/PrivateMessages.h"
#include "core/tests/UiTestSupport.h"
#include "viewers/MediaVolume.h"
#include "core/ProgramObjects.h"
#include "viewers/tests/DialogThreadScript.h"
#include "viewers/tests/FakeMediaPlayer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace
{
// A quarter second of 8 kHz mono silence.
std::wstring WriteWave(const std::wstring& path)
{
    const DWORD samples = 2000;
    std::string bytes = "RIFF";
    auto add32 = [&](DWORD value) { bytes.append(reinterpret_cast<const char*>(&value), 4); };
    auto add16 = [&](WORD value) { bytes.append(reinterpret_cast<const char*>(&value), 2); };
    add32(36 + samples);
    bytes += "WAVEfmt ";
    add32(16);
    add16(1);
    add16(1);
    add32(8000);
    add32(8000);
    add16(1);
    add16(8);
    bytes += "data";
    add32(samples);
    bytes.append(samples, static_cast<char>(0x80));
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
    return path;
}

class MediaViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        m_path = WriteWave(std::wstring(folder) + L"harbour waves.wav");
        m_savedVolume = ReadMediaVolume();
        OleInitialize(nullptr);
    }
    void TearDown() override
    {
        DeleteFileW(m_path.c_str());
        WriteMediaVolume(m_savedVolume);
        OleUninitialize();
    }

    MString Path() const { return MString(m_path.c_str()); }

    LanguageModuleScope language{1033};
    CriticalSection viewerLock;
    HWND viewerWindow = nullptr;

private:
    std::wstring m_path;
    double m_savedVolume = DefaultMediaVolume;
};

TEST_F(MediaViewerTest, WinesPlayerThatCannotPlayIsReportedAndTheViewerEnds)
{
    // Wine's player here has no decoders: play fails, the viewer says so
    // and ends; the box is the first window it shows.
    POINT anchor{10, 10};
    std::wstring shown;
    bool played = false;
    {
        CMediaPlayer2Dlg viewer(&anchor, Path(), ViewerSlot{&viewerLock, &viewerWindow}, MString(L"Waves"), nullptr);
        DialogThreadScript script([&](HWND dialog) {
            EnumChildWindows(
                dialog,
                [](HWND child, LPARAM found) -> BOOL {
                    *reinterpret_cast<std::wstring*>(found) += UiTest::WindowText(child) + L"|";
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&shown));
            // Should a player here play after all, the viewer is closed.
            played = GetDlgItem(dialog, IDC_MEDIA_HOST) != nullptr;
            PostMessageW(dialog, played ? WM_CLOSE_REQUEST : WM_COMMAND, played ? 0 : IDOK, 1);
        });
        EXPECT_EQ(viewer.DoModal(nullptr), 1);
        EXPECT_TRUE(script.Ran());
    }
    EXPECT_TRUE(played || shown.find(L"harbour waves.wav cannot be played") != std::wstring::npos)
        << std::string(shown.begin(), shown.end());
    EXPECT_EQ(viewerWindow, nullptr);
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, DialogMutexName(L"VIEWER_CMediaPlayer2Dlg").GetText());
    EXPECT_EQ(mutex, nullptr);
    if (mutex)
        CloseHandle(mutex);
}

TEST_F(MediaViewerTest, ThePlayersEventsThroughTheSinkToggleAndCloseAndTheVolumeIsKept)
{
    WriteMediaVolume(0.37);
    FakeMediaPlayer player;
    FakeMediaPlayerRegistration registration(player);
    POINT anchor{10, 10};
    CMediaPlayer2Dlg viewer(&anchor, Path(), ViewerSlot{&viewerLock, &viewerWindow}, MString(L"Waves"), nullptr);
    LONG startVolume = -1;
    SIZE client = {};
    HWND slot = nullptr;
    int pausesBeforeTheDoubleClickTime = -1, pausesAfter = -1, playsAfterSpace = -1;
    bool openAfterLoneRelease = false;
    DialogThreadScript script([&](HWND dialog) {
        slot = viewerWindow;
        startVolume = player.volume;
        RECT rect;
        GetClientRect(dialog, &rect);
        client = SIZE{rect.right, rect.bottom};
        ASSERT_NE(player.sink, nullptr);
        EXPECT_EQ(player.plays, 1);

        // A click pauses the playing media once the double-click time has passed.
        player.sink->PlayStateChange(wmppsPlaying);
        player.sink->Click(1, 0, 20, 20);
        pausesBeforeTheDoubleClickTime = player.pauses;
        UiTest::PumpUntil([&] { return player.pauses > 0; }, 10000);
        pausesAfter = player.pauses;
        // The space key plays the paused media at once.
        player.sink->KeyDown(VK_SPACE, 0);
        playsAfterSpace = player.plays;
        // A release without a seen press does nothing; a press and release closes.
        player.sink->MouseUp(2, 0, 20, 20);
        openAfterLoneRelease = IsWindowVisible(dialog) != FALSE;
        player.volume = 63;
        player.sink->MouseDown(2, 0, 20, 20);
        player.sink->MouseUp(2, 0, 20, 20);
    });
    EXPECT_EQ(viewer.DoModal(nullptr), 1);
    ASSERT_TRUE(script.Ran());
    EXPECT_EQ(startVolume, 37);
    EXPECT_NE(slot, nullptr);
    EXPECT_EQ(viewerWindow, nullptr);
    EXPECT_EQ(pausesBeforeTheDoubleClickTime, 0);
    EXPECT_EQ(pausesAfter, 1);
    EXPECT_EQ(playsAfterSpace, 2);
    EXPECT_TRUE(openAfterLoneRelease);
    EXPECT_DOUBLE_EQ(ReadMediaVolume(), 0.63);
    EXPECT_TRUE(player.closed);
    EXPECT_EQ(player.sink, nullptr);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const bool large = work.right - work.left >= 1280 && work.bottom - work.top > 784;
    EXPECT_EQ(client.cx, large ? 1280 : 640);
    EXPECT_EQ(client.cy, large ? 784 : 424);
}

TEST_F(MediaViewerTest, CloseRequestsEndTheViewer)
{
    FakeMediaPlayer player;
    FakeMediaPlayerRegistration registration(player);
    struct Case
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        INT_PTR result;
    } cases[] = {
        {WM_CLOSE_REQUEST, 0, 7, 7},
        {WM_CLOSE_REQUEST, 1, 7, 1},
        {WM_CLOSE_REQUEST, 2, 9, 9},
        {WM_COMMAND, IDCANCEL, 0, 1},
        {WM_CLOSE, 0, 0, 1},
    };
    for (const Case& c : cases)
    {
        POINT anchor{10, 10};
        CMediaPlayer2Dlg viewer(&anchor, Path(), ViewerSlot{nullptr, nullptr}, MString(L"Waves"), nullptr);
        DialogThreadScript script([&](HWND dialog) {
            // Enter does not close.
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            SendMessageW(dialog, c.message, c.wParam, c.lParam);
        });
        EXPECT_EQ(viewer.DoModal(nullptr), c.result) << c.message << " " << c.wParam;
    }
}
} // namespace
