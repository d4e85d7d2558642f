// The slide cache file in a folder of its own, with the marker under the
// program's key of the test prefix.
#include "server/SlideCacheFile.h"

#include "foundation/PrimeTableHash.h"
#include "foundation/Registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
MemoryPH<unsigned char> Bytes(const std::string& text)
{
    MemoryPH<unsigned char> bytes(text.size());
    if (!text.empty())
        std::memcpy(bytes.GetData(), text.data(), text.size());
    return bytes;
}

std::string Text(const MAtom<unsigned char>& bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), static_cast<size_t>(bytes.GetCount()));
}

bool Exists(const MStringEx<wchar_t>& path) { return GetFileAttributesW(path.GetText()) != INVALID_FILE_ATTRIBUTES; }

void SetMarker(const void* data, DWORD size, DWORD type = REG_BINARY)
{
    ASSERT_TRUE(WriteProductValue(InternetControlValueName, type, data, size));
}

bool MarkerPresent()
{
    BYTE byte = 0;
    return ReadProductValue(InternetControlValueName, REG_BINARY, &byte, 1) != RegistryRead::Missing;
}

class SlideCacheFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_path = MStringEx<wchar_t>(sX::Format(), L"%sslide-cache-%u\\data", temp, GetTickCount());
        m_folder = SlideCacheFolder(m_path);
        DeleteProductValue(InternetControlValueName);
    }
    void TearDown() override
    {
        m_folder.DeleteInternetControlValues();
        RemoveDirectoryW(m_folder.PendingPath().GetText());
    }

    MStringEx<wchar_t> m_path;
    SlideCacheFolder m_folder{MStringEx<wchar_t>(L"")};
};

TEST_F(SlideCacheFile, WrittenCommittedAndReadBack)
{
    ASSERT_TRUE(m_folder.Write(Bytes("state of the next request")));
    EXPECT_TRUE(Exists(m_folder.PendingPath()));
    EXPECT_FALSE(Exists(m_folder.CurrentPath())) << "the current cache is untouched until the commit";
    ASSERT_TRUE(m_folder.Commit());
    EXPECT_FALSE(Exists(m_folder.PendingPath()));
    EXPECT_EQ(Text(m_folder.Read()), "state of the next request");
    // The file holds cipher text only.
    MemoryPH<unsigned char> file;
    file.ReadWholeFile(m_folder.CurrentPath().GetText());
    EXPECT_EQ(Text(file).find("state"), std::string::npos);
    EXPECT_EQ(file.GetCount() % 16, 0u);
}

TEST_F(SlideCacheFile, EmptyCacheOfTwelvePlainBytesIsValid)
{
    ASSERT_TRUE(m_folder.Write(MemoryPH<unsigned char>()));
    ASSERT_TRUE(m_folder.Commit());
    const BYTE held = InternetControlHeld;
    SetMarker(&held, 1);
    EXPECT_EQ(m_folder.Read().GetCount(), 0u);
    EXPECT_TRUE(Exists(m_folder.CurrentPath())) << "an empty cache is not a failure";
    EXPECT_EQ(m_folder.HasInternetSlideState(), 1);
}

TEST_F(SlideCacheFile, PlainBlockChecks)
{
    const MemoryPH<unsigned char> plain = EncodeSlideCachePlain(Bytes("abc"));
    ASSERT_EQ(plain.GetCount(), 15u);
    MemoryPH<unsigned char> contents;
    EXPECT_TRUE(DecodeSlideCachePlain(plain, contents));
    EXPECT_EQ(Text(contents), "abc");
    // The trailer of an empty cache: version 1 and the check of those 4 bytes.
    const MemoryPH<unsigned char> empty = EncodeSlideCachePlain(MemoryPH<unsigned char>());
    ASSERT_EQ(empty.GetCount(), 12u);
    const unsigned char version[] = {1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(empty.GetData(), version, 4), 0);
    unsigned __int64 check = 0;
    std::memcpy(&check, empty.GetData() + 4, 8);
    EXPECT_EQ(check, PrimeTableHash(version, 4));
    EXPECT_TRUE(DecodeSlideCachePlain(empty, contents));
    EXPECT_EQ(contents.GetCount(), 0u);

    struct Case
    {
        const char* name;
        unsigned __int64 offset; // byte changed, or the length kept
        bool truncate;
    } cases[] = {{"eleven bytes", 11, true}, {"no bytes", 0, true}, {"version word", 3, false},
                 {"check value", 14, false}, {"contents", 0, false}};
    for (const Case& c : cases)
    {
        MemoryPH<unsigned char> damaged(plain);
        if (c.truncate)
            damaged.SetCount(c.offset);
        else
            damaged[c.offset] ^= 0x01;
        EXPECT_FALSE(DecodeSlideCachePlain(damaged, contents)) << c.name;
        EXPECT_EQ(contents.GetCount(), 0u) << c.name;
    }
}

TEST_F(SlideCacheFile, AnyChangedByteIsRejectedAndEverythingRemoved)
{
    ASSERT_TRUE(m_folder.Write(Bytes("0123456789")));
    ASSERT_TRUE(m_folder.Commit());
    MemoryPH<unsigned char> good;
    good.ReadWholeFile(m_folder.CurrentPath().GetText());
    ASSERT_GT(good.GetCount(), 0u);
    const BYTE held = InternetControlHeld;
    for (unsigned __int64 i = 0; i < good.GetCount(); ++i)
    {
        MemoryPH<unsigned char> damaged(good);
        damaged[i] ^= 0x40;
        ASSERT_TRUE(damaged.WriteFile(m_folder.CurrentPath().GetText(), FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(m_folder.Write(Bytes("pending")));
        SetMarker(&held, 1);
        EXPECT_EQ(m_folder.Read().GetCount(), 0u) << "byte " << i;
        EXPECT_FALSE(Exists(m_folder.CurrentPath())) << "byte " << i;
        EXPECT_FALSE(Exists(m_folder.PendingPath())) << "byte " << i;
        EXPECT_FALSE(MarkerPresent()) << "byte " << i;
    }
    // A shortened file, and one with a byte more.
    for (unsigned __int64 length : {good.GetCount() - 1, good.GetCount() + 1})
    {
        MemoryPH<unsigned char> changed(length, 0);
        std::memcpy(changed.GetData(), good.GetData(), static_cast<size_t>(length < good.GetCount() ? length : good.GetCount()));
        ASSERT_TRUE(changed.WriteFile(m_folder.CurrentPath().GetText(), FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_EQ(m_folder.Read().GetCount(), 0u) << length;
        EXPECT_FALSE(Exists(m_folder.CurrentPath())) << length;
    }
}

TEST_F(SlideCacheFile, FailedWriteKeepsTheCurrentCache)
{
    ASSERT_TRUE(m_folder.Write(Bytes("good")));
    ASSERT_TRUE(m_folder.Commit());
    // "ssdt" cannot be created while a folder of that name stands there.
    ASSERT_TRUE(CreateDirectoryW(m_folder.PendingPath().GetText(), nullptr));
    EXPECT_FALSE(m_folder.Write(Bytes("new")));
    EXPECT_FALSE(m_folder.Commit());
    EXPECT_EQ(Text(m_folder.Read()), "good");
    RemoveDirectoryW(m_folder.PendingPath().GetText());
    // Contents beyond the limit are refused before anything is written.
    EXPECT_FALSE(m_folder.Write(MemoryPH<unsigned char>(MaximumSlideCacheBytes + 1, 0)));
    EXPECT_FALSE(Exists(m_folder.PendingPath()));
    EXPECT_EQ(Text(m_folder.Read()), "good");
}

TEST_F(SlideCacheFile, CommitReplacesAReadOnlyCache)
{
    ASSERT_TRUE(m_folder.Write(Bytes("old")));
    ASSERT_TRUE(m_folder.Commit());
    ASSERT_TRUE(SetFileAttributesW(m_folder.CurrentPath().GetText(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(m_folder.Write(Bytes("new")));
    ASSERT_TRUE(m_folder.Commit());
    EXPECT_EQ(Text(m_folder.Read()), "new");
}

TEST_F(SlideCacheFile, MarkerOfWrongTypeSizeOrValueIsDeleted)
{
    ASSERT_TRUE(m_folder.Write(Bytes("x")));
    ASSERT_TRUE(m_folder.Commit());
    const BYTE bad = 0x81, zero = InternetControlNone, held = InternetControlHeld;
    const BYTE two[] = {0x80, 0x00};
    const DWORD word = 0x80;
    SetMarker(&bad, 1);
    EXPECT_EQ(m_folder.HasInternetSlideState(), 0);
    EXPECT_FALSE(MarkerPresent());
    SetMarker(two, 2);
    EXPECT_EQ(m_folder.HasInternetSlideState(), 0);
    EXPECT_FALSE(MarkerPresent());
    SetMarker(&word, sizeof(word), REG_DWORD);
    EXPECT_EQ(m_folder.HasInternetSlideState(), 0);
    EXPECT_FALSE(MarkerPresent());
    SetMarker(&zero, 1);
    EXPECT_EQ(m_folder.HasInternetSlideState(), 0);
    EXPECT_TRUE(MarkerPresent());
    SetMarker(&held, 1);
    EXPECT_EQ(m_folder.HasInternetSlideState(), 1);
    m_folder.DeleteFiles();
    EXPECT_EQ(m_folder.HasInternetSlideState(), 0) << "a marker without the file";
    EXPECT_FALSE(MarkerPresent());
}

TEST_F(SlideCacheFile, DirectoryPathIsMadeLevelByLevel)
{
    const MStringEx<wchar_t> deep = m_path + MStringEx<wchar_t>(L"\\a\\b");
    EXPECT_TRUE(CreateDirectoryPath(deep));
    EXPECT_TRUE(CreateDirectoryPath(deep)) << "an existing folder";
    ASSERT_TRUE(m_folder.Write(Bytes("f")));
    EXPECT_FALSE(CreateDirectoryPath(m_folder.PendingPath())) << "a file is no folder";
    RemoveDirectoryW(deep.GetText());
    RemoveDirectoryW((m_path + MStringEx<wchar_t>(L"\\a")).GetText());
}
} // namespace
