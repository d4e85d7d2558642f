#include "foundation/HandleMemory.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using TestFiles::TestModule;

namespace
{
// Everything the buffer's stream delivers from its start.
std::string StreamBytes(IStream* stream)
{
    LARGE_INTEGER start = {};
    if (!stream || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)))
        return "<no stream>";
    std::string bytes;
    char chunk[64];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(chunk, sizeof chunk, &read)) && read)
        bytes.append(chunk, read);
    return bytes;
}

template <class T> void ExpectEmpty(HandleMemory<T>& buffer)
{
    EXPECT_EQ(buffer.GetCount(), 0u);
    EXPECT_EQ(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetBlock(), nullptr);
    EXPECT_EQ(buffer.GetStream(), nullptr);
    EXPECT_TRUE(buffer.IsEmpty());
}
}

TEST(HandleMemory, ResizeTakesALockedBlockWithAStream)
{
    HandleMemory<unsigned char> buffer;
    EXPECT_EQ(buffer.StorageKind(), 1u);
    EXPECT_TRUE(buffer.IsResizable());
    ExpectEmpty(buffer);

    buffer.Resize(5);
    ASSERT_NE(buffer.GetStream(), nullptr);
    EXPECT_EQ(buffer.GetCount(), 5u);
    EXPECT_EQ(GlobalLock(buffer.GetBlock()), buffer.GetData()) << "the block stays locked at the same address";
    GlobalUnlock(buffer.GetBlock());
    std::memcpy(buffer.GetData(), "12345", 5);
    EXPECT_EQ(StreamBytes(buffer.GetStream()), "12345");

    buffer.Resize(0);
    ExpectEmpty(buffer);
}

TEST(HandleMemory, IsEmptyTakesTheCountFromTheStream)
{
    HandleMemory<unsigned char> bytes;
    bytes.Resize(6);
    bytes.SetCount(1);
    EXPECT_FALSE(bytes.IsEmpty());
    EXPECT_EQ(bytes.GetCount(), 6u);

    HandleMemory<wchar_t> wide;
    wide.Resize(3);
    wide.SetCount(0);
    EXPECT_FALSE(wide.IsEmpty());
    EXPECT_EQ(wide.GetCount(), 3u) << "6 bytes are 3 units";
}

TEST(HandleMemory, LoadsResourcesOfTheProgramAndOfModules)
{
    HandleMemory<unsigned char> own;
    own.LoadFromResource(nullptr, RT_RCDATA, 300);
    EXPECT_EQ(StreamBytes(own.GetStream()), "program");
    EXPECT_EQ(own.GetCount(), 7u);

    TestModule module;
    HandleMemory<wchar_t> wide;
    wide.LoadFromResource(module.Get(), RT_RCDATA, 201);
    EXPECT_EQ(wide.GetCount(), 4u);
    EXPECT_EQ(StreamBytes(wide.GetStream()), "ABCDEFGH");

    // 9 bytes are no whole number of units; the old contents are gone too.
    wide.LoadFromResource(module.Get(), RT_RCDATA, 202);
    ExpectEmpty(wide);

    HandleMemory<unsigned char> odd;
    odd.LoadFromResource(module.Get(), RT_RCDATA, 202);
    EXPECT_EQ(StreamBytes(odd.GetStream()), "123456789");

    // A module that cannot be loaded is not the program's own.
    odd.LoadFromResourceFile(L"C:\\no such folder\\missing.dll", RT_RCDATA, 300);
    ExpectEmpty(odd);

    // The shared loader leaves the buffer alone when the resource is missing.
    HandleMemory<unsigned char> untouched;
    HandleMemory<unsigned char>::LoadResource(untouched, module.Get(), RT_RCDATA, 299);
    ExpectEmpty(untouched);
}

TEST(HandleMemory, AssignCopiesIntoABlockOfItsOwn)
{
    MemoryPH<unsigned char> source(3, 'z');
    HandleMemory<unsigned char> first;
    first.Assign(source);
    EXPECT_EQ(StreamBytes(first.GetStream()), "zzz");

    HandleMemory<unsigned char> second;
    second.Assign(first);
    EXPECT_EQ(StreamBytes(second.GetStream()), "zzz");
    EXPECT_NE(second.GetBlock(), first.GetBlock());
    EXPECT_NE(second.GetStream(), first.GetStream());
    EXPECT_TRUE(second.Equals(first));

    // The source's count is refreshed from its stream before the copy.
    first.SetCount(1);
    second.Assign(first);
    EXPECT_EQ(second.GetCount(), 3u);

    second.Assign(MemoryPH<unsigned char>(0));
    ExpectEmpty(second);
    HandleMemory<unsigned char> empty;
    first.Assign(empty);
    ExpectEmpty(first);
}

TEST(HandleMemory, ReadsFilesIntoGlobalMemory)
{
    TestFiles::TempFolder folder;
    const std::wstring path = folder.File(L"picture.bin");
    TestFiles::WriteBytes(path, "not really a picture");
    HandleMemory<unsigned char> buffer;
    buffer.ReadWholeFile(path.c_str(), true);
    EXPECT_EQ(StreamBytes(buffer.GetStream()), "not really a picture");

    buffer.ReadWholeFile(folder.File(L"missing.bin").c_str(), true);
    ExpectEmpty(buffer);
}
