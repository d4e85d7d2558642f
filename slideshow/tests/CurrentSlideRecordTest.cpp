// "Current Slide" stored and restored against real files and the registry.
#include "slideshow/CurrentSlideRecord.h"

#include "filter/MediaSource.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "slideshow/MainWindowIds.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using SlideshowTest::ReadRaw;
using SlideshowTest::ValueExists;
using SlideshowTest::WriteRaw;

std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

class CurrentSlideRecordTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteMediaSource(true);
        m_file = m_tree.File(L"sea.jpg", "the sea at night");
    }
    void TearDown() override
    {
        DeleteCurrentSlideValue();
        DeleteProductValue(MediaSourceValueName);
    }

    // The restored path ("" when nothing was restored) with every file in the walk.
    std::wstring Restore(bool& online, bool inWalk = true)
    {
        MString path;
        online = false;
        RestoreCurrentSlide([inWalk](const MString&) { return inWalk; }, path, online);
        return Text(path);
    }

    std::vector<unsigned char> Stored()
    {
        DWORD type = 0;
        std::vector<unsigned char> bytes;
        EXPECT_TRUE(ReadRaw(CurrentSlideValueName, type, bytes));
        return bytes;
    }

    GalleryTest::TempTree m_tree;
    std::wstring m_file;
};
}

TEST_F(CurrentSlideRecordTest, SHA512OfAKnownText)
{
    // FIPS 180-2 test vector: SHA-512("abc").
    const std::wstring file = m_tree.File(L"abc.txt", "abc");
    std::vector<unsigned char> digest;
    ASSERT_TRUE(FileSha512(file.c_str(), digest));
    ASSERT_EQ(digest.size(), 64u);
    const unsigned char start[] = {0xdd, 0xaf, 0x35, 0xa1, 0x93, 0x61, 0x7a, 0xba};
    const unsigned char end[] = {0x2a, 0x9a, 0xc9, 0x4f, 0xa5, 0x4c, 0xa4, 0x9f};
    EXPECT_TRUE(std::equal(start, start + 8, digest.begin()));
    EXPECT_TRUE(std::equal(end, end + 8, digest.end() - 8));
    EXPECT_FALSE(FileSha512(m_tree.At(L"missing").c_str(), digest));
}

TEST_F(CurrentSlideRecordTest, ALocalFileIsRestoredWhileUnchangedAndInTheGallery)
{
    ASSERT_TRUE(SaveCurrentSlide(true, m_file.c_str()));
    EXPECT_EQ(Stored().size(), 40 + (m_file.size() + 1) * 2 + 64);
    bool online = true;
    EXPECT_EQ(Restore(online), m_file);
    EXPECT_FALSE(online);

    // Not in the gallery any more: not restored, and the record goes.
    EXPECT_EQ(Restore(online, false), L"");
    EXPECT_FALSE(ValueExists(CurrentSlideValueName));

    // Edited since: not restored.
    ASSERT_TRUE(SaveCurrentSlide(true, m_file.c_str()));
    m_tree.File(L"sea.jpg", "the sea at noon");
    EXPECT_EQ(Restore(online), L"");
    EXPECT_FALSE(ValueExists(CurrentSlideValueName));

    // A file that cannot be hashed is not stored: the caller forgets the slide.
    EXPECT_FALSE(SaveCurrentSlide(true, m_tree.At(L"missing.jpg").c_str()));
}

TEST_F(CurrentSlideRecordTest, ALocalRecordWhileTheSourceIsOnlineStays)
{
    ASSERT_TRUE(SaveCurrentSlide(true, m_file.c_str()));
    WriteMediaSource(false);
    bool online = false;
    EXPECT_EQ(Restore(online), L"");
    EXPECT_TRUE(online);
    EXPECT_TRUE(ValueExists(CurrentSlideValueName));
}

TEST_F(CurrentSlideRecordTest, TheOnlineRecordHoldsOnlySlide)
{
    ASSERT_TRUE(SaveCurrentSlide(false, MString()));
    EXPECT_EQ(Stored().size(), 44u);
    bool online = false;
    // Local source: nothing restored, the record stays for an online start.
    EXPECT_EQ(Restore(online), L"");
    EXPECT_FALSE(online);
    WriteMediaSource(false);
    EXPECT_EQ(Restore(online), L"slide");
    EXPECT_TRUE(online);
}

TEST_F(CurrentSlideRecordTest, AFolderIsNotRestored)
{
    const std::wstring folder = m_tree.Folder(L"sea.jpg.d");
    const std::wstring inside = m_tree.File(L"sea.jpg.d\\x.jpg");
    ASSERT_TRUE(SaveCurrentSlide(true, inside.c_str()));
    // The path now names a folder.
    DeleteFileW(inside.c_str());
    RemoveDirectoryW(folder.c_str());
    CreateDirectoryW(inside.c_str(), nullptr);
    bool online = false;
    EXPECT_EQ(Restore(online), L"");
    EXPECT_FALSE(ValueExists(CurrentSlideValueName));
    RemoveDirectoryW(inside.c_str());
}

TEST_F(CurrentSlideRecordTest, AnyDamageDeletesTheRecord)
{
    ASSERT_TRUE(SaveCurrentSlide(true, m_file.c_str()));
    const std::vector<unsigned char> good = Stored();
    bool online = false;
    for (size_t i = 0; i < good.size(); ++i)
    {
        std::vector<unsigned char> bad = good;
        bad[i] ^= 0x10;
        WriteRaw(CurrentSlideValueName, REG_BINARY, bad.data(), static_cast<DWORD>(bad.size()));
        EXPECT_EQ(Restore(online), L"") << i;
        EXPECT_FALSE(ValueExists(CurrentSlideValueName)) << i;
    }
    // Cut short anywhere, or one byte longer than it says.
    for (size_t size = 0; size <= good.size() + 1; ++size)
    {
        if (size == good.size())
            continue;
        std::vector<unsigned char> bad = good;
        bad.resize(size, 0);
        WriteRaw(CurrentSlideValueName, REG_BINARY, bad.data(), static_cast<DWORD>(bad.size()));
        EXPECT_EQ(Restore(online), L"") << size;
        EXPECT_FALSE(ValueExists(CurrentSlideValueName)) << size;
    }
    // A text length far beyond the value.
    std::vector<unsigned char> huge = good;
    huge[15] = 0x7F;
    WriteRaw(CurrentSlideValueName, REG_BINARY, huge.data(), static_cast<DWORD>(huge.size()));
    EXPECT_EQ(Restore(online), L"");
    WriteRaw(CurrentSlideValueName, REG_SZ, L"x", 4);
    EXPECT_EQ(Restore(online), L"");
    EXPECT_FALSE(ValueExists(CurrentSlideValueName));
}
