#include "foundation/Handle.h"
#include "foundation/SmartPtr.h"
#include "foundation/StringEx.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using TestFiles::ReadBytes;
using TestFiles::TempFolder;
using TestFiles::TestModule;
using TestFiles::WriteBytes;

namespace
{
MemoryPH<unsigned char> Bytes(const std::string& text)
{
    MemoryPH<unsigned char> bytes(text.size());
    if (!text.empty())
        std::memcpy(bytes.GetData(), text.data(), text.size());
    return bytes;
}

template <class T> std::string AsString(const MAtom<T>& atom)
{
    return std::string(reinterpret_cast<const char*>(atom.GetData()), static_cast<size_t>(atom.GetByteCount()));
}

MHandle OpenForReading(const std::wstring& path)
{
    return MHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}
}

// ---- resources ----------------------------------------------------------------

TEST(AtomResources, LoadChecksTheElementSize)
{
    TestModule module;
    ASSERT_NE(module.Get(), nullptr);

    MemoryPH<unsigned char> bytes = Bytes("old");
    bytes.LoadFromResource(module.Get(), RT_RCDATA, 200);
    EXPECT_EQ(AsString(bytes), "abcde");

    // 5 bytes are no whole number of 16-bit elements; 8 bytes are four.
    MemoryPH<wchar_t> wide(3, L'x');
    wide.LoadFromResource(module.Get(), RT_RCDATA, 200);
    EXPECT_EQ(wide.GetCount(), 0u);
    wide.LoadFromResource(module.Get(), RT_RCDATA, 201);
    EXPECT_EQ(wide.GetCount(), 4u);
    EXPECT_EQ(AsString(wide), "ABCDEFGH");

    // Only the low 16 bits of the id count.
    bytes.LoadFromResource(module.Get(), RT_RCDATA, 0x10000 + 200);
    EXPECT_EQ(AsString(bytes), "abcde");
}

TEST(AtomResources, FailedLoadsEmptyTheBuffer)
{
    TestModule module;
    MemoryPH<unsigned char> bytes = Bytes("old");
    bytes.LoadFromResource(nullptr, RT_RCDATA, 300);
    EXPECT_EQ(bytes.GetCount(), 0u) << "a null module is no module for a plain buffer";

    bytes = Bytes("old");
    bytes.LoadFromResource(module.Get(), RT_RCDATA, 299);
    EXPECT_EQ(bytes.GetCount(), 0u);

    bytes = Bytes("old");
    bytes.LoadFromResourceFile(L"C:\\no such folder\\missing.dll", RT_RCDATA, 200);
    EXPECT_EQ(bytes.GetCount(), 0u);

    // A view cannot take a copy and stays as it was.
    MemoryPH<unsigned char> backing = Bytes("view");
    ShellMemory<unsigned char> view(backing);
    view.LoadFromResource(module.Get(), RT_RCDATA, 200);
    EXPECT_EQ(AsString(view), "view");
}

TEST(AtomResources, LoadsFromAModuleFileAndFromTheLanguageModule)
{
    MemoryPH<unsigned char> bytes;
    bytes.LoadFromResourceFile(TestFiles::BesideProgram(L"FoundationTestModule.dll").c_str(), RT_RCDATA, 202);
    EXPECT_EQ(AsString(bytes), "123456789");

    TestModule module;
    const HMODULE previous = LanguageModule;
    LanguageModule = module.Get();
    bytes.LoadFromLanguageResource(RT_RCDATA, 200);
    LanguageModule = previous;
    EXPECT_EQ(AsString(bytes), "abcde");
}

TEST(AtomResources, WriteToResourceStoresTheElementsInTheExecutable)
{
    TempFolder folder;
    const std::wstring copy = folder.File(L"copy.dll");
    ASSERT_TRUE(CopyFileW(TestFiles::BesideProgram(L"FoundationTestModule.dll").c_str(), copy.c_str(), FALSE));

    const MemoryPH<wchar_t> text(3, L'Q');
    EXPECT_TRUE(text.WriteToResource(copy.c_str(), RT_RCDATA, 500, LANG_BULGARIAN, SUBLANG_DEFAULT, false));

    HMODULE module = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(500), MAKELANGID(LANG_BULGARIAN, SUBLANG_DEFAULT)),
              nullptr);
    FreeLibrary(module);

    MemoryPH<wchar_t> loaded;
    loaded.LoadFromResourceFile(copy.c_str(), RT_RCDATA, 500);
    EXPECT_TRUE(loaded.Equals(text));
    // The resources that were there stay unless they are to be deleted.
    MemoryPH<unsigned char> kept;
    kept.LoadFromResourceFile(copy.c_str(), RT_RCDATA, 200);
    EXPECT_EQ(AsString(kept), "abcde");

    EXPECT_TRUE(text.WriteToResource(copy.c_str(), RT_RCDATA, 501, LANG_ENGLISH, SUBLANG_ENGLISH_US, true));
    kept.LoadFromResourceFile(copy.c_str(), RT_RCDATA, 200);
    EXPECT_EQ(kept.GetCount(), 0u);

    EXPECT_FALSE(text.WriteToResource(folder.File(L"missing.exe").c_str(), RT_RCDATA, 500, LANG_ENGLISH,
                                      SUBLANG_ENGLISH_US, false));
}

// ---- writes ---------------------------------------------------------------------

TEST(AtomWrites, WriteFileReplacesTheFileAndReportsFailures)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"out.bin");
    WriteBytes(path, "0123456789");

    DWORD error = 12345;
    EXPECT_TRUE(MemoryPH<unsigned char>().WriteFile(path.c_str(), FILE_ATTRIBUTE_NORMAL, &error));
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(ReadBytes(path), "");

    const MemoryPH<wchar_t> wide(2, L'A');
    EXPECT_TRUE(wide.WriteFile(path.c_str(), FILE_ATTRIBUTE_NORMAL, &error));
    EXPECT_EQ(ReadBytes(path), std::string("A\0A\0", 4));

    const std::wstring nowhere = folder.File(L"missing folder\\out.bin");
    EXPECT_FALSE(wide.WriteFile(nowhere.c_str(), FILE_ATTRIBUTE_NORMAL, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // Without the out-parameter a failure still answers false.
    EXPECT_FALSE(wide.WriteFile(nowhere.c_str(), FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(wide.WriteFile(folder.File(L"absent.bin").c_str(), OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(AtomWrites, HandleWritesPlaceTheBytesAndNeverTruncate)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"handle.bin");
    WriteBytes(path, "0123456789");
    MHandle file(
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file.IsValid());

    Bytes("abcd").WriteToHandleAtStart(file);
    EXPECT_EQ(ReadBytes(path), "abcd456789");
    Bytes("XY").AppendToHandle(file);
    EXPECT_EQ(ReadBytes(path), "abcd456789XY");
    LARGE_INTEGER two = {};
    two.QuadPart = 2;
    SetFilePointerEx(file, two, nullptr, FILE_BEGIN);
    Bytes("--").WriteToHandle(file);
    EXPECT_EQ(ReadBytes(path), "ab--456789XY");
    file.Close();

    // No file: nothing happens.
    Bytes("zz").WriteToHandle(nullptr).WriteToHandleAtStart(INVALID_HANDLE_VALUE).AppendToHandle(nullptr);

    const std::wstring appended = folder.File(L"appended.bin");
    Bytes("one").AppendToFile(appended.c_str());
    Bytes("two").AppendToFile(appended.c_str());
    EXPECT_EQ(ReadBytes(appended), "onetwo");
}

// ---- reads ----------------------------------------------------------------------

TEST(AtomReads, SizesMustBeWholeElements)
{
    TempFolder folder;
    struct Case
    {
        std::string content;
        unsigned __int64 wideCount;
    };
    const Case cases[] = {{"1234567", 0}, {"12345678", 4}, {"", 0}};
    for (const Case& c : cases)
    {
        const std::wstring path = folder.File(L"sized.bin");
        WriteBytes(path, c.content);
        MemoryPH<wchar_t> wide(5, L'x');
        wide.ReadWholeFile(path.c_str());
        EXPECT_EQ(wide.GetCount(), c.wideCount) << c.content.size() << " bytes";
        MHandle holder(INVALID_HANDLE_VALUE);
        wide.Fill(5, L'x');
        wide.ReadFile(path.c_str(), holder);
        EXPECT_EQ(wide.GetCount(), c.wideCount) << c.content.size() << " bytes";
    }
}

TEST(AtomReads, ReadFileStopsAtTheMaximumAndKeepsTheFileInTheHolder)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"ten.bin");
    WriteBytes(path, "0123456789");

    MemoryPH<unsigned char> bytes;
    bytes.ReadFile(path.c_str(), 3, nullptr);
    EXPECT_EQ(AsString(bytes), "012");

    MHandle holder(INVALID_HANDLE_VALUE);
    bytes.ReadFile(path.c_str(), 100, &holder);
    EXPECT_EQ(AsString(bytes), "0123456789");
    LARGE_INTEGER size = {};
    ASSERT_TRUE(holder.IsValid());
    EXPECT_TRUE(GetFileSizeEx(holder, &size));
    EXPECT_EQ(size.QuadPart, 10);

    // The holder's previous file is closed when it takes the next one.
    bytes.ReadFile(path.c_str(), holder);
    EXPECT_EQ(AsString(bytes), "0123456789");
    holder.Close();
    EXPECT_TRUE(DeleteFileW(path.c_str())) << "no handle may stay open";
}

TEST(AtomReads, FilesThatCannotBeOpenedLeaveAnEmptyBuffer)
{
    TempFolder folder;
    const std::wstring missing = folder.File(L"missing.bin");
    const std::wstring missingFolder = folder.File(L"no folder\\missing.bin");

    MemoryPH<unsigned char> bytes = Bytes("old");
    bytes.ReadWholeFile(missing.c_str(), true);
    EXPECT_EQ(bytes.GetCount(), 0u);
    bytes = Bytes("old");
    bytes.ReadWholeFile(missingFolder.c_str(), false);
    EXPECT_EQ(bytes.GetCount(), 0u);
    bytes = Bytes("old");
    bytes.ReadWholeFile(missing.c_str());
    EXPECT_EQ(bytes.GetCount(), 0u);

    bytes = Bytes("old");
    bytes.ReadFile(missing.c_str(), 10, nullptr);
    EXPECT_EQ(bytes.GetCount(), 0u);

    // Only the read into the caller's holder throws for a file that cannot
    // be opened.
    MHandle holder(INVALID_HANDLE_VALUE);
    bytes = Bytes("old");
    EXPECT_THROW(bytes.ReadFile(missing.c_str(), 10, &holder), MSmartPtrError);
    EXPECT_EQ(bytes.GetCount(), 0u);
    bytes = Bytes("old");
    EXPECT_NO_THROW(bytes.ReadFile(missing.c_str(), holder));
    EXPECT_EQ(bytes.GetCount(), 0u);
}

TEST(AtomReads, StringsReadBackAsStoredWithoutAddingANul)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"text.bin");
    const MStringEx<wchar_t> text(L"Quillory");
    ASSERT_TRUE(text.WriteTextFile(path.c_str(), true, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    MStringEx<wchar_t> read;
    read.ReadWholeFile(path.c_str());
    EXPECT_TRUE(read.Equals(text));

    WriteBytes(path, "odd");
    read.ReadWholeFile(path.c_str());
    EXPECT_TRUE(read.IsEmpty());
    EXPECT_EQ(read.GetCount(), 1u);
}

TEST(AtomReads, ReadFromHandleTakesWhatRemainsAndNeverGrows)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"tail.bin");
    WriteBytes(path, "0123456789");
    LARGE_INTEGER eight = {};
    eight.QuadPart = 8;

    MHandle file = OpenForReading(path);
    SetFilePointerEx(file, eight, nullptr, FILE_BEGIN);
    MemoryPH<unsigned char> bytes(8);
    bytes.ReadFromHandle(file);
    EXPECT_EQ(AsString(bytes), "89");

    SetFilePointerEx(file, eight, nullptr, FILE_BEGIN);
    MemoryPH<wchar_t> wide(8);
    wide.ReadFromHandle(file);
    EXPECT_EQ(wide.GetCount(), 1u);
    EXPECT_EQ(AsString(wide), "89");

    // A buffer smaller than the rest reads only its own count, from the
    // current position.
    LARGE_INTEGER two = {};
    two.QuadPart = 2;
    SetFilePointerEx(file, two, nullptr, FILE_BEGIN);
    MemoryPH<unsigned char> three(3);
    three.ReadFromHandle(file);
    EXPECT_EQ(AsString(three), "234");

    // A view shrinks its count instead of reallocating.
    MemoryPH<unsigned char> backing = Bytes("abcdef");
    ShellMemory<unsigned char> view(backing);
    SetFilePointerEx(file, eight, nullptr, FILE_BEGIN);
    view.ReadFromHandle(file);
    EXPECT_EQ(view.GetData(), backing.GetData());
    EXPECT_EQ(AsString(view), "89");
}

TEST(AtomReads, FailedReadFromHandleLeavesNoStaleBytes)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"writeonly.bin");
    WriteBytes(path, "0123456789");
    // A handle without read access: the size can be had, the read fails.
    MHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file.IsValid());
    MemoryPH<unsigned char> bytes = Bytes("stale");
    bytes.ReadFromHandle(file);
    EXPECT_EQ(bytes.GetCount(), 0u);

    MHandle none(INVALID_HANDLE_VALUE);
    bytes = Bytes("stale");
    bytes.ReadFromHandle(none);
    EXPECT_EQ(bytes.GetCount(), 0u);
}

// ---- checksum -------------------------------------------------------------------

TEST(AtomChecksum, SumsEachByteWithItsPosition)
{
    struct Case
    {
        std::string bytes;
        double sum;
    };
    const Case cases[] = {
        {"", 0.0},
        {std::string(1, '\0'), 0.0},
        {"\x01\x01", 1.0 / 256 + 2.0 / 257},
        {"\xFF", 255.0 / 256},
    };
    for (const Case& c : cases)
    {
        const MemoryPH<unsigned char> bytes = Bytes(c.bytes);
        EXPECT_EQ(bytes.Checksum(), c.sum) << c.bytes.size() << " bytes";
        unsigned __int64 bits;
        std::memcpy(&bits, &c.sum, sizeof bits);
        EXPECT_EQ(bytes.ChecksumBits(), bits);
    }
    // The sum is over bytes, whatever the element size.
    const MemoryPH<wchar_t> wide(1, static_cast<wchar_t>(0x0101));
    EXPECT_EQ(wide.Checksum(), 1.0 / 256 + 2.0 / 257);
}
