// The gallery dialog's pure parts: the supported file kinds, the sorting of
// the list's columns, the stored look of the list, the file-name check and
// the file-list block of drops and the clipboard.
#include "galleries/FileDrop.h"
#include "galleries/FileListState.h"
#include "galleries/FileTypes.h"
#include "galleries/GalleryNames.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "resources/languages/LanguageIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }
}

TEST(GalleryFileTypes, ExtensionsAreWholeAndInPatternOrder)
{
    const std::vector<MString>& extensions = SupportedExtensions();
    ASSERT_EQ(extensions.size(), 65u);
    EXPECT_EQ(Text(extensions.front()), L"bmp");
    EXPECT_EQ(Text(extensions.back()), L"mht");
    bool dvr = false, gp2 = false;
    for (const MString& extension : extensions)
    {
        EXPECT_EQ(Text(extension).find_first_of(L"*."), std::wstring::npos) << Text(extension);
        dvr = dvr || Text(extension) == L"dvr-ms";
        gp2 = gp2 || Text(extension) == L"3gp2";
    }
    EXPECT_TRUE(dvr);
    EXPECT_TRUE(gp2);
    EXPECT_TRUE(HasExtensionOf(MString(L"C:\\a\\PAGE.HTM"), ExtensionsOfPattern(WebDocumentPattern)));
    EXPECT_FALSE(HasExtensionOf(MString(L"C:\\a.txt\\readme"), ExtensionsOfPattern(TextDocumentPattern)));
}

TEST(GalleryFileTypes, FilterRowsFollowTheLanguage)
{
    const std::vector<FileTypeFilter> english = FileTypeFilters(1033, false);
    const std::vector<FileTypeFilter> bulgarian = FileTypeFilters(1026, true);
    ASSERT_EQ(english.size(), 38u);
    ASSERT_EQ(bulgarian.size(), 38u);
    EXPECT_EQ(Text(english[0].pattern), Text(MString(SupportedTypePattern)));
    EXPECT_EQ(Text(bulgarian[0].name), L"Всички познати формати");
    EXPECT_EQ(Text(bulgarian[2].name), L"   Bitmap image (*.bmp, *.dib)");
    EXPECT_EQ(Text(english[2].name), L"   Bitmap image");
    EXPECT_EQ(Text(bulgarian[37].name), L"Всички файлове");
}

TEST(GalleryListSort, ColumnsCompareByTheirValues)
{
    const struct
    {
        int column;
        const wchar_t* a;
        const wchar_t* b;
        int expected;
    } cases[] = {
        {ColumnSize, L"999", L"1,024", -1},
        {ColumnSize, L"1,024", L"1,024", 0},
        // A difference beyond 32 bits still compares by sign.
        {ColumnSize, L"4,294,967,296", L"1", 1},
        {ColumnSize, L"1", L"4,294,967,297", -1},
        {ColumnWidth, L"", L"24", -1},
        {ColumnHeight, L"100", L"99", 1},
        // Durations compare as a whole, not by their hours.
        {ColumnDuration, L"0:59:59", L"0:10:00", 1},
        {ColumnDuration, L"1:00:00", L"0:59:59", 1},
        {ColumnDuration, L"0:00:05", L"0:00:05", 0},
        {ColumnName, L"apple.png", L"BANANA.png", -1},
        {ColumnName, L"b.png", L"B.PNG", 0},
        {ColumnFolder, L"C:\\z", L"C:\\a", 1},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(CompareColumnTexts(c.column, MString(c.a), MString(c.b)), c.expected) << c.a << L" " << c.b;
        EXPECT_EQ(CompareColumnTexts(c.column, MString(c.b), MString(c.a)), -c.expected) << c.a << L" " << c.b;
    }
}

TEST(GalleryListState, ViewValueRoundTripsAndRefusesBadOnes)
{
    FileListState state;
    state.sortColumn = ColumnSize;
    state.ascending[ColumnSize] = false;
    const int order[FileListColumns] = {8, 0, 1, 2, 3, 4, 5, 6, 7};
    std::memcpy(state.order, order, sizeof(order));
    for (int c = 0; c < FileListColumns; ++c)
        state.widths[c] = 40 + c;
    const std::vector<unsigned char> bytes = EncodeFileListView(state);
    ASSERT_EQ(bytes.size(), 40u);
    FileListState read;
    ASSERT_TRUE(DecodeFileListView(bytes.data(), bytes.size(), read));
    EXPECT_EQ(read.sortColumn, ColumnSize);
    EXPECT_FALSE(read.ascending[ColumnSize]);
    EXPECT_TRUE(read.ascending[ColumnName]);
    EXPECT_EQ(read.order[0], 8);
    EXPECT_EQ(read.widths[8], 48);

    std::vector<unsigned char> repeated = bytes;
    repeated[8] = 0; // order entry 1 becomes column 0, which entry 2 also names
    repeated[4] = 0;
    FileListState untouched;
    EXPECT_FALSE(DecodeFileListView(repeated.data(), repeated.size(), untouched));
    EXPECT_EQ(untouched.order[1], 1);
    std::vector<unsigned char> badSort = bytes;
    badSort[0] = 9;
    EXPECT_FALSE(DecodeFileListView(badSort.data(), badSort.size(), untouched));
    EXPECT_FALSE(DecodeFileListView(bytes.data(), bytes.size() - 1, untouched));

    EXPECT_EQ(ClampColumnWidth(1, 0), 3);
    EXPECT_EQ(ClampColumnWidth(5000, 0), 2000);
    EXPECT_EQ(ClampColumnWidth(500, 400), 300);
}

TEST(GalleryListState, ThumbnailSizeMustBeAStoredNumberInRange)
{
    const struct
    {
        DWORD type;
        DWORD value;
        DWORD size;
        UINT expected;
    } cases[] = {{REG_DWORD, 24, 4, 24}, {REG_DWORD, 256, 4, 256}, {REG_DWORD, 23, 4, 0},
                 {REG_DWORD, 257, 4, 0}, {REG_BINARY, 100, 4, 0},  {REG_DWORD, 100, 2, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(DecodeThumbnailSize(c.type, &c.value, c.size), c.expected) << c.value;
}

TEST(GalleryFileNames, FaultsInTheirOrder)
{
    GalleryTest::TempTree tree;
    tree.File(L"taken.txt");
    const MString folder(tree.Path().c_str());
    const struct
    {
        const wchar_t* name;
        UINT expected;
    } cases[] = {{L"", IDS_FILE_NAME_EMPTY},        {L"a|b.txt", IDS_FILE_NAME_FORBIDDEN},
                 {L"...", IDS_FILE_NAME_DOTS},      {L".hidden", IDS_FILE_NAME_LEADING_DOT},
                 {L"a.b.", IDS_FILE_NAME_TRAILING_DOT}, {L"con.txt", IDS_FILE_NAME_DEVICE},
                 {L"LPT9", IDS_FILE_NAME_DEVICE},   {L"console.txt", 0},
                 {L"TAKEN.TXT", IDS_FILE_NAME_EXISTS}, {L"new.txt", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CheckFileName(MString(c.name), folder), c.expected) << c.name;
    const std::wstring longName(MAX_PATH - tree.Path().size(), L'x');
    EXPECT_EQ(CheckFileName(MString(longName.c_str()), folder), IDS_FILE_NAME_TOO_LONG);
}

TEST(GalleryFileList, BlockRoundTripsInOrder)
{
    const std::vector<MString> paths = {MString(L"C:\\one.png"), MString(L"D:\\two\\three.jpg")};
    const std::vector<unsigned char> block = BuildFileList(paths);
    EXPECT_EQ(block.size(), (11u + 17u) * 2 + 22u);
    std::vector<MString> read, tooLong;
    ASSERT_TRUE(ReadFileList(block.data(), block.size(), read, tooLong));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(Text(read[1]), L"D:\\two\\three.jpg");
    EXPECT_TRUE(tooLong.empty());
}

TEST(GalleryFileList, ShortOrLyingBlocksAddNothing)
{
    const std::vector<unsigned char> good = BuildFileList({MString(L"C:\\one.png")});
    std::vector<MString> paths, tooLong;
    // Cut inside the header, inside a name, before the closing NUL.
    for (size_t size : {size_t(0), size_t(19), size_t(24), good.size() - 2})
        EXPECT_FALSE(ReadFileList(good.data(), size, paths, tooLong)) << size;
    std::vector<unsigned char> lying = good;
    lying[0] = 0xFF; // the names' offset lies past the block
    EXPECT_FALSE(ReadFileList(lying.data(), lying.size(), paths, tooLong));
    std::vector<unsigned char> narrow = good;
    narrow[16] = 0; // ANSI names are not taken
    EXPECT_FALSE(ReadFileList(narrow.data(), narrow.size(), paths, tooLong));
    EXPECT_TRUE(paths.empty());
}

TEST(GalleryFileList, TooLongPathsAreRefusedWhole)
{
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'a') + L".png";
    const std::vector<unsigned char> block =
        BuildFileList({MString(L"C:\\short.png"), MString(longPath.c_str()), MString(L"C:\\after.png")});
    std::vector<MString> paths, tooLong;
    ASSERT_TRUE(ReadFileList(block.data(), block.size(), paths, tooLong));
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(Text(paths[1]), L"C:\\after.png");
    ASSERT_EQ(tooLong.size(), 1u);
    EXPECT_EQ(Text(tooLong[0]), longPath);
}

TEST(GalleryFileList, DataObjectOffersWhatItHolds)
{
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        const std::vector<MString> paths = {MString(L"C:\\one.png")};
        IDataObject* data = NewFileDataObject({{CF_HDROP, BuildFileList(paths)}});
        ASSERT_NE(data, nullptr);
        EXPECT_TRUE(OffersFileList(data));
        FORMATETC text = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        EXPECT_EQ(data->QueryGetData(&text), DV_E_FORMATETC);
        FORMATETC indexed = {CF_HDROP, nullptr, DVASPECT_CONTENT, 3, TYMED_HGLOBAL};
        EXPECT_EQ(data->QueryGetData(&indexed), DV_E_LINDEX);
        std::vector<MString> read, tooLong;
        ASSERT_TRUE(ReadDataObjectPaths(data, read, tooLong));
        ASSERT_EQ(read.size(), 1u);
        EXPECT_EQ(Text(read[0]), L"C:\\one.png");
        data->Release();
        // A clipboard of text only offers no files.
        IDataObject* other = NewFileDataObject({{CF_UNICODETEXT, std::vector<unsigned char>(4)}});
        EXPECT_FALSE(OffersFileList(other));
        other->Release();
    }
    OleUninitialize();
}

TEST(GalleryFileList, FileDescriptorCountMustFitItsBlock)
{
    UINT count = 99;
    EXPECT_FALSE(CountFileDescriptors(nullptr, 0, count));
    const struct
    {
        UINT declared, entries;
        size_t cut;
        bool sound;
    } cases[] = {
        {0, 0, 0, true}, {2, 2, 0, true}, {1, 2, 0, true}, // room to spare is harmless
        {3, 2, 0, false},                                   // counts more than it holds
        {0xFFFFFFFFu, 1, 0, false},                         // a count that overflows a product
        {1, 1, 1, false},                                   // one byte short of its one entry
        {0, 0, 1, false},                                   // shorter than the count itself
    };
    for (const auto& c : cases)
    {
        const std::vector<unsigned char> block = GalleryTest::FileDescriptorBlock(c.declared, c.entries);
        count = 99;
        EXPECT_EQ(CountFileDescriptors(block.data(), block.size() - c.cut, count), c.sound) << c.declared;
        EXPECT_EQ(count, c.sound ? c.declared : 99u) << c.declared;
    }
}

TEST(GalleryFileList, FileContentsAreFoundOnlyByAnIndexTheDescriptorsHold)
{
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        const std::vector<unsigned char> first = {'o', 'n', 'e', 0}, second = {'t', 'w', 'o', 0};
        const auto contentsAt = [&](IDataObject* data, LONG index, std::string& read) {
            FORMATETC format = {static_cast<CLIPFORMAT>(FileContentsFormat()), nullptr, DVASPECT_CONTENT, index,
                                TYMED_HGLOBAL};
            STGMEDIUM medium = {};
            const HRESULT result = data->GetData(&format, &medium);
            if (result == S_OK)
            {
                read.assign(static_cast<const char*>(GlobalLock(medium.hGlobal)));
                GlobalUnlock(medium.hGlobal);
                ReleaseStgMedium(&medium);
            }
            return result;
        };
        const struct
        {
            UINT declared, entries;
            std::vector<LONG> found; // the indices that give contents
        } cases[] = {
            {2, 2, {0, 1}},
            {5, 5, {0, 1}}, // more files described than contents stored
            {1, 1, {0}},    // more contents than described
            {7, 2, {}},     // a lying count: nothing is taken
        };
        for (const auto& c : cases)
        {
            IDataObject* data = NewFileDataObject({{FileDescriptorFormat(), GalleryTest::FileDescriptorBlock(c.declared, c.entries)},
                                                   {FileContentsFormat(), first},
                                                   {FileContentsFormat(), second},
                                                   {CF_UNICODETEXT, first}});
            ASSERT_NE(data, nullptr);
            for (LONG index : {-1, 0, 1, 2, 3, 0x7FFFFFFF})
            {
                std::string read;
                const bool expected = std::find(c.found.begin(), c.found.end(), index) != c.found.end();
                EXPECT_EQ(contentsAt(data, index, read), expected ? S_OK : DV_E_LINDEX) << c.declared << " " << index;
                if (expected)
                {
                    EXPECT_EQ(read, index == 0 ? "one" : "two");
                }
            }
            // The form offers no file list of its own.
            EXPECT_FALSE(OffersFileList(data));
            data->Release();
        }
        // Contents without their descriptors are not found either.
        IDataObject* bare = NewFileDataObject({{FileContentsFormat(), first}});
        std::string read;
        EXPECT_EQ(contentsAt(bare, 0, read), DV_E_LINDEX);
        bare->Release();
    }
    OleUninitialize();
}
