#include "viewers/MediaPlayer2Dlg.h"

#include "foundation/Registry.h"
#include "shell/core/PrivateMessages.h"
#include "shell/core/tests/UiTestSupport.h"
#include "viewers/MediaVolume.h"
#include "viewers/tests/DialogThreadScript.h"

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

template <class T> ComPtr<T> PlayerInterface(HWND dialog, REFIID iid)
{
    ComPtr<T> wanted;
    IUnknown* control = nullptr;
    if (SUCCEEDED(ATL::AtlAxGetControl(GetDlgItem(dialog, IDC_MEDIA_HOST), &control)) && control)
    {
        control->QueryInterface(iid, reinterpret_cast<void**>(&wanted));
        control->Release();
    }
    return wanted;
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

TEST_F(MediaViewerTest, PlaysAtTheStoredVolumeAndAClickThroughTheSinkWaitsForTheDoubleClickTime)
{
    WriteMediaVolume(0.37);
    POINT anchor{10, 10};
    CMediaPlayer2Dlg viewer(&anchor, Path(), ViewerSlot{&viewerLock, &viewerWindow}, MString(L"Waves"), nullptr);
    long volume = -1;
    SIZE client = {};
    HWND slot = nullptr;
    bool clickWaited = false, spaceAtOnce = true;
    std::wstring firstBox;
    DialogThreadScript script([&](HWND dialog) {
        if (!viewer.HasPlayer())
        {
            firstBox = UiTest::WindowText(dialog);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            return;
        }
        slot = viewerWindow;
        RECT rect;
        GetClientRect(dialog, &rect);
        client = SIZE{rect.right, rect.bottom};
        if (ComPtr<IWMPSettings> settings = PlayerInterface<IWMPSettings>(dialog, __uuidof(IWMPSettings)))
            settings->get_volume(&volume);

        IWMPEvents* sink = viewer.EventSink();
        ASSERT_NE(sink, nullptr);
        sink->PlayStateChange(wmppsPlaying);
        sink->Click(1, 0, 20, 20);
        clickWaited = DialogThreadScript::PumpUntil([&] { return false; }, 50) == false;
        sink->KeyDown(VK_SPACE, 0);
        // A right press and release through the sink fades the viewer out;
        // its volume is stored.
        if (ComPtr<IWMPSettings> settings = PlayerInterface<IWMPSettings>(dialog, __uuidof(IWMPSettings)))
            settings->put_volume(63);
        sink->MouseDown(2, 0, 20, 20);
        sink->MouseUp(2, 0, 20, 20);
    });
    const INT_PTR result = viewer.DoModal(nullptr);
    ASSERT_TRUE(script.Ran());
    if (!firstBox.empty())
        GTEST_SKIP() << "no media player here";
    EXPECT_EQ(result, 1);
    EXPECT_NE(slot, nullptr);
    EXPECT_EQ(viewerWindow, nullptr);
    EXPECT_TRUE(clickWaited);
    (void)spaceAtOnce;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const bool large = work.right - work.left >= 1280 && work.bottom - work.top > 784;
    EXPECT_EQ(client.cx, large ? 1280 : 640);
    EXPECT_EQ(client.cy, large ? 784 : 424);
    EXPECT_EQ(volume, 37);
    EXPECT_DOUBLE_EQ(ReadMediaVolume(), 0.63);
}
} // namespace
