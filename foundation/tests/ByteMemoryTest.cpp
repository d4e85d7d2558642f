#include "foundation/ByteMemory.h"
#include "foundation/Handle.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using TestFiles::ReadBytes;
using TestFiles::TempFolder;
using TestFiles::WriteBytes;

namespace
{
using Bytes = MMemoryPH<unsigned char, 4>;

Bytes Make(const std::string& text)
{
    Bytes bytes;
    bytes.AssignRaw(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    return bytes;
}

template <class T> std::string AsString(const MMemory<T>& memory)
{
    return std::string(reinterpret_cast<const char*>(memory.GetData()), static_cast<size_t>(memory.GetSize()));
}

bool AllZero(const void* data, size_t bytes)
{
    const unsigned char* b = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < bytes; ++i)
        if (b[i])
            return false;
    return true;
}

// A record of 8-byte elements.
using Words = MMemoryPH<unsigned __int64, 4>;
}

TEST(StackMemory, HoldsOneZeroedRecordAndNeverAllocates)
{
    MStackMemory<STARTUPINFOW, 1, 8> startup;
    EXPECT_EQ(startup.GetSize(), sizeof(STARTUPINFOW));
    EXPECT_TRUE(AllZero(startup.GetData(), sizeof(STARTUPINFOW)));
    EXPECT_FALSE(startup.IsResizable());
    EXPECT_EQ(startup.Clone(), nullptr);

    STARTUPINFOW* record = startup.GetData();
    startup->cb = sizeof(STARTUPINFOW);
    startup.Resize(10);
    startup.SetSize(3);
    startup.Clear();
    startup.Reset();
    startup.AppendCopies(startup, 3);
    startup.InsertSumMark(0, 1, 0);
    EXPECT_EQ(startup.GetData(), record);
    EXPECT_EQ(startup.GetSize(), sizeof(STARTUPINFOW));
    EXPECT_EQ(startup->cb, sizeof(STARTUPINFOW));

    // Only the size field moves.
    startup.DropUnits(1);
    EXPECT_EQ(startup.GetSize(), 0u);
    EXPECT_TRUE(startup.IsEmpty());
    startup.SetUnits(1);
    EXPECT_EQ(startup.GetSize(), sizeof(STARTUPINFOW));

    MStackMemory<PROCESS_INFORMATION, 1, 8> first, second;
    first->dwProcessId = 42;
    second.Assign(first);
    EXPECT_EQ(second->dwProcessId, 42u);
    EXPECT_TRUE(second.Equals(first));
}

TEST(HeapMemory, BlocksOfFlag12StartZeroed)
{
    MMemoryPH<PACL, 12> acl;
    acl.SetSize(16);
    EXPECT_EQ(acl.GetSize(), 16u);
    EXPECT_TRUE(AllZero(acl.GetData(), 16));
    acl.Resize(3);
    EXPECT_EQ(acl.GetSize(), 3 * sizeof(PACL));
    EXPECT_EQ(acl.GetUnits(), 3u);
    EXPECT_TRUE(AllZero(acl.GetData(), 3 * sizeof(PACL)));
    acl.Reset();
    EXPECT_TRUE(acl.IsEmpty());
    EXPECT_NE(acl.GetData(), nullptr);

    MMemoryPH<wchar_t, 4> text(5);
    EXPECT_EQ(text.GetSize(), 10u);
}

TEST(HeapMemory, AssignCloneAndAppendCopies)
{
    Bytes buffer = Make("abcd");
    std::unique_ptr<MMemory<unsigned char>> clone(buffer.Clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(clone->Equals(buffer));
    EXPECT_NE(clone->GetData(), buffer.GetData());

    buffer.AppendCopies(Make("xy"), 3);
    EXPECT_EQ(AsString(buffer), "abcdxyxyxy");
    buffer.AppendCopies(buffer, 1);
    EXPECT_EQ(AsString(buffer), "abcdxyxyxyabcdxyxyxy");

    Bytes copy;
    copy.Assign(buffer);
    EXPECT_TRUE(copy.Equals(buffer));
    copy.Assign(Make("same size, kept block"));
    EXPECT_FALSE(copy.Equals(buffer));
    EXPECT_TRUE(copy.NotEquals(buffer));
}

TEST(HeapMemory, FileWritesAndReads)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"memory.bin");
    EXPECT_TRUE(Make("0123").WriteFile(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(Make("45").AppendToFile(path.c_str()));
    EXPECT_EQ(ReadBytes(path), "012345");
    EXPECT_TRUE(Bytes().WriteFile(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_FALSE(Make("x").WriteFile(folder.File(L"no folder\\x.bin").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(Make("x").AppendToFile(folder.File(L"no folder\\x.bin").c_str()));
    EXPECT_FALSE(Make("x").AppendToHandle(nullptr));
    EXPECT_FALSE(Make("x").AppendToHandle(INVALID_HANDLE_VALUE));

    struct Case
    {
        std::string content;
        std::string read;
    };
    // Whole 8-byte elements only.
    const Case cases[] = {{"twelve bytes", ""}, {"sixteen bytes!!!", "sixteen bytes!!!"}, {"", ""}};
    for (const Case& c : cases)
    {
        WriteBytes(path, c.content);
        MHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        // The read starts at the beginning wherever the handle stands.
        SetFilePointer(file, 3, nullptr, FILE_BEGIN);
        Words words(1);
        words.ReadFromHandle(file);
        EXPECT_EQ(AsString(words), c.read) << c.content;
        EXPECT_TRUE(Make("!").AppendToHandle(file));
        file.Close();
        EXPECT_EQ(ReadBytes(path), c.content + "!");
    }

    Words words(1);
    words.ReadFromHandle(nullptr);
    EXPECT_TRUE(words.IsEmpty());
}

TEST(HeapMemory, ResourceLoadsCheckTheElementSize)
{
    TestFiles::TestModule module;
    MMemoryPH<wchar_t, 4> wide(2);
    wide.LoadFromResource(module.Get(), RT_RCDATA, 201);
    EXPECT_EQ(AsString(wide), "ABCDEFGH");
    wide.LoadFromResource(module.Get(), RT_RCDATA, 200);
    EXPECT_TRUE(wide.IsEmpty());

    Bytes own;
    own.LoadFromResource(nullptr, RT_RCDATA, 300);
    EXPECT_EQ(AsString(own), "program");
    own.LoadFromResourceFile(nullptr, RT_RCDATA, 300);
    EXPECT_EQ(AsString(own), "program");
    own.LoadFromResourceFile(TestFiles::BesideProgram(L"FoundationTestModule.dll").c_str(), RT_RCDATA, 202);
    EXPECT_EQ(AsString(own), "123456789");
    own.LoadFromResourceFile(L"C:\\no such folder\\missing.dll", RT_RCDATA, 300);
    EXPECT_TRUE(own.IsEmpty());

    MStackMemory<PROCESS_INFORMATION, 1, 8> record;
    record.LoadFromResource(module.Get(), RT_RCDATA, 200);
    EXPECT_EQ(record.GetSize(), sizeof(PROCESS_INFORMATION));
}

TEST(HeapMemory, ChecksumAndBlockSums)
{
    EXPECT_EQ(Make(std::string("\x01\x01", 2)).Checksum(), 1.0 / 256 + 2.0 / 257);

    const Bytes bytes = Make(std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09", 10));
    MMemoryPH<double, 4> sums;
    bytes.BlockSums(sums, 4);
    ASSERT_EQ(sums.GetUnits(), 3u);
    // (byte / 256 + position in the block), summed per block.
    EXPECT_EQ(sums.GetData()[0], (0 + 1 + 2 + 3) / 256.0 + 6);
    EXPECT_EQ(sums.GetData()[1], (4 + 5 + 6 + 7) / 256.0 + 6);
    EXPECT_EQ(sums.GetData()[2], (8 + 9) / 256.0 + 1);
    EXPECT_TRUE(bytes.MatchesBlockSums(sums, 4));
    EXPECT_FALSE(bytes.MatchesBlockSums(sums, 5));
    EXPECT_FALSE(Make("other bytes").MatchesBlockSums(sums, 4));

    // Wide elements: blocks of 2 units are 4 bytes.
    MMemoryPH<wchar_t, 4> wide;
    wide.AssignRaw(reinterpret_cast<const wchar_t*>(bytes.GetData()), 5);
    EXPECT_TRUE(wide.MatchesBlockSums(sums, 2));
}

TEST(HeapMemory, SumMarkRoundTripsAndDetectsChanges)
{
    const std::string original = "the settings record";
    Bytes marked = Make(original);
    marked.InsertSumMark(2, 10, 4);
    ASSERT_EQ(marked.GetSize(), original.size() + 8);
    EXPECT_EQ(AsString(marked).substr(0, 6), "the se");
    EXPECT_EQ(AsString(marked).substr(14), original.substr(6));

    Bytes verified = marked;
    EXPECT_TRUE(verified.VerifySumMark(2, 10, 4));
    EXPECT_EQ(AsString(verified), original);

    // Any byte of the range, the mark's own included, counts.
    for (size_t changed : {size_t(2), size_t(7), size_t(17), size_t(19)})
    {
        Bytes tampered = marked;
        tampered.GetData()[changed] ^= 1;
        EXPECT_FALSE(tampered.VerifySumMark(2, 10, 4)) << "byte " << changed;
        EXPECT_EQ(tampered.GetSize(), marked.GetSize());
    }
    // Outside the range nothing counts.
    Bytes outside = marked;
    outside.GetData()[0] ^= 1;
    EXPECT_TRUE(outside.VerifySumMark(2, 10, 4));

    EXPECT_FALSE(Make("short").VerifySumMark(0, 0, 0));
    // Ranges beyond the buffer are refused, not read.
    EXPECT_FALSE(Bytes(marked).VerifySumMark(2, 1000, 4));
    Bytes unmarked = Make(original);
    unmarked.InsertSumMark(30, 1, 0);
    EXPECT_EQ(AsString(unmarked), original);
}
