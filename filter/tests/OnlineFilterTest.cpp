// The stored online filter: its byte form against a blob made by an
// independent encoder, every changed byte refused, the encrypted registry
// value, and what a damaged value gives the dialog and the slide request.
#include "filter/MediaSource.h"
#include "filter/OnlineFilter.h"
#include "foundation/Registry.h"
#include "resources/languages/LanguageIds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
using Bytes = std::vector<unsigned char>;

// One line "Number = 2" (property 102, UInt64, any language), made by a
// Python encoder written from the byte layout.
const char KnownBlobHex[] =
    "00000001000000010000004000000001000000000000000066003D000000001A000000010000000C0000000232000000001A3FED2308FD"
    "C0A9D3FFFFFFFF003D00000040402BF0F6CE2D43A700000040845A85E8C9921AD3E068902EA4D3E0AEF1D9631EBE3C49D0A2C3BF6708"
    "AC5E01E421469DF2BC7328BB5AB89BECDFC9C27F73EF4F438D5370A9D3B6B4240B899B0000009C405116860291991D";

Bytes FromHex(const std::string& hex)
{
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

Property_Manager::search_line_data Line(unsigned __int64 id, wchar_t op, DWORD type, const wchar_t* text,
                                        unsigned char conjunction = '=')
{
    Property_Manager::search_line_data line;
    line.property_id = id;
    line.operator_code = op;
    line.value = Property_Manager::Value(type, text);
    line.conjunction = conjunction;
    return line;
}

FilterBlobCheck Read(const Bytes& blob, SearchLineList& lines)
{
    return ReadOnlineFilterBlob(blob.data(), blob.size(), lines);
}

class StoredFilterTest : public ::testing::Test
{
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), OnlineFilterDataValueName);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), OnlineFilterSwitchValueName);
    }
    static DWORD StoredSize()
    {
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), OnlineFilterDataValueName, RRF_RT_ANY, nullptr,
                         nullptr, &size) != ERROR_SUCCESS)
            return 0;
        return size;
    }
    static bool Stored() { return StoredSize() != 0; }
    static void StoreRaw(const Bytes& bytes, DWORD type = REG_BINARY)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), OnlineFilterDataValueName, type,
                                  bytes.data(), static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    // A plain blob encrypted as the program stores it.
    static void StoreEncrypted(const Bytes& blob)
    {
        MemoryPH<unsigned char> encrypted;
        DeriveOnlineFilterKey()->EncryptCbc(
            ShellMemory<unsigned char>(const_cast<unsigned char*>(blob.data()), blob.size()), encrypted);
        StoreRaw(Bytes(encrypted.GetData(), encrypted.GetData() + encrypted.GetCount()));
    }
};
} // namespace

TEST(OnlineFilterBlob, MatchesTheIndependentEncoderAndReadsBack)
{
    const SearchLineList lines = {Line(102, L'=', 12, L"2")};
    const Bytes blob = BuildOnlineFilterBlob(lines);
    EXPECT_EQ(blob, FromHex(KnownBlobHex));

    SearchLineList read;
    ASSERT_EQ(Read(blob, read), FilterBlobCheck::Accepted);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_FALSE(SearchLinesDiffer(lines, read));
    EXPECT_EQ(read[0].language, AnyLanguage);
}

TEST(OnlineFilterBlob, SizesFollowTheTextLength)
{
    // An empty text: record 62 bytes, blob 8 + 4 + 62 + 80.
    EXPECT_EQ(BuildOnlineFilterBlob({Line(1, L'=', 0, L"")}).size(), 154u);
    // Five lines of every field, read back unchanged.
    SearchLineList lines;
    for (int i = 0; i < 5; ++i)
    {
        Property_Manager::search_line_data line = Line(0xFEDCBA9876543210ull + i, 0x2288, 0, L"Ünïcode текст", "&^|&="[i]);
        line.from_value_list = i % 2 != 0;
        line.open_parenthesis = i == 1;
        line.close_parenthesis = i == 3;
        line.language = 1026;
        lines.push_back(line);
    }
    SearchLineList read;
    ASSERT_EQ(Read(BuildOnlineFilterBlob(lines), read), FilterBlobCheck::Accepted);
    EXPECT_FALSE(SearchLinesDiffer(lines, read));
}

TEST(OnlineFilterBlob, EveryChangedByteIsRefused)
{
    const Bytes blob = BuildOnlineFilterBlob({Line(102, L'=', 12, L"2"), Line(103, L'=', 1, L"red")});
    for (size_t i = 0; i < blob.size(); ++i)
    {
        Bytes changed = blob;
        changed[i] ^= 0x5A;
        SearchLineList read;
        EXPECT_NE(Read(changed, read), FilterBlobCheck::Accepted) << "byte " << i;
        EXPECT_TRUE(read.empty());
    }
}

TEST(OnlineFilterBlob, DigestCatchesAChangeWithRepairedChecksums)
{
    // Changing the value text and rebuilding the record's checksums is
    // still caught by the blob's digest: only the digest covers the lines.
    const Bytes good = BuildOnlineFilterBlob({Line(102, L'=', 12, L"2")});
    Bytes forged = good;
    const Bytes record = Property_Manager::SerializeSearchLine(Line(102, L'=', 12, L"3"));
    std::copy(record.begin(), record.end(), forged.begin() + 12);
    SearchLineList read;
    EXPECT_EQ(Read(forged, read), FilterBlobCheck::BlobDigest);
}

TEST(OnlineFilterBlob, LengthsThatLieAreRefusedBeforeUse)
{
    const Bytes blob = BuildOnlineFilterBlob({Line(102, L'=', 12, L"2")});
    const struct
    {
        size_t offset;
        Bytes value;
        FilterBlobCheck expected;
        const char* what;
    } cases[] = {
        {4, {0, 0, 0, 0}, FilterBlobCheck::BlobLineCount, "no lines"},
        {4, {0, 0, 0, 6}, FilterBlobCheck::BlobLineCount, "six lines"},
        {4, {0, 0, 0, 2}, FilterBlobCheck::BlobSize, "a second line past the records"},
        {8, {0x7F, 0xFF, 0xFF, 0xFF}, FilterBlobCheck::BlobSize, "record length past the blob"},
        {8, {0, 0, 0, 10}, FilterBlobCheck::RecordSize, "record shorter than its fields"},
        {12 + 16, {0xFF, 0xFF, 0xFF, 0xF0}, FilterBlobCheck::RecordSize, "value block past the record"},
        {12 + 20 + 8, {0xFF, 0xFF, 0xFF, 0xFE}, FilterBlobCheck::ValueSize, "text past the value block"},
        {12 + 20 + 8, {0, 0, 0, 3}, FilterBlobCheck::ValueTextOdd, "odd text length"},
        {12 + 20 + 4, {0, 0, 0, 15}, FilterBlobCheck::ValueType, "type 15"},
    };
    for (const auto& c : cases)
    {
        Bytes changed = blob;
        std::copy(c.value.begin(), c.value.end(), changed.begin() + c.offset);
        SearchLineList read;
        EXPECT_EQ(Read(changed, read), c.expected) << c.what;
    }
    // Cut short anywhere: refused.
    for (size_t size = 0; size < blob.size(); size += 7)
    {
        SearchLineList read;
        EXPECT_NE(ReadOnlineFilterBlob(blob.data(), size, read), FilterBlobCheck::Accepted) << size;
    }
}

TEST(OnlineFilterBlob, FlagsAreTrueOnlyForOneAndConjunctionsAreChecked)
{
    // A record read on its own: a flag byte of 2 is false, the record good.
    Bytes record = Property_Manager::SerializeSearchLine(Line(5, L'<', 12, L"7", '&'));
    Property_Manager::search_line_data line;
    ASSERT_EQ(Property_Manager::DeserializeSearchLine(record.data(), record.size(), line), FilterBlobCheck::Accepted);
    EXPECT_EQ(line.conjunction, '&');

    // An open-parenthesis byte of 2, the record's checksum made good again:
    // accepted, and the flag reads false.
    record[4] = 2;
    const double sum = AtomDetail::Checksum(record.data(), record.size() - 8);
    unsigned __int64 bits = 0;
    std::memcpy(&bits, &sum, sizeof(bits));
    for (int i = 0; i < 8; ++i)
        record[record.size() - 8 + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    Property_Manager::search_line_data flagged;
    ASSERT_EQ(Property_Manager::DeserializeSearchLine(record.data(), record.size(), flagged), FilterBlobCheck::Accepted);
    EXPECT_FALSE(flagged.open_parenthesis);

    for (unsigned char conjunction : {'&', '^', '|', '='})
    {
        const Bytes good = Property_Manager::SerializeSearchLine(Line(5, L'<', 12, L"7", conjunction));
        Property_Manager::search_line_data read;
        EXPECT_EQ(Property_Manager::DeserializeSearchLine(good.data(), good.size(), read), FilterBlobCheck::Accepted);
    }
    const Bytes plus = Property_Manager::SerializeSearchLine(Line(5, L'<', 12, L"7", '+'));
    Property_Manager::search_line_data read;
    EXPECT_EQ(Property_Manager::DeserializeSearchLine(plus.data(), plus.size(), read),
              FilterBlobCheck::RecordConjunction);
}

TEST(OnlineFilterBlob, LinesDifferInAnyField)
{
    const SearchLineList base = {Line(1, L'=', 0, L"Sea"), Line(2, L'<', 12, L"4")};
    EXPECT_FALSE(SearchLinesDiffer(base, base));
    EXPECT_FALSE(SearchLinesDiffer({}, {}));
    EXPECT_TRUE(SearchLinesDiffer(base, {base[0]}));
    SearchLineList language = base;
    language[0].language = 1026;
    EXPECT_TRUE(SearchLinesDiffer(base, language));
    SearchLineList text = base;
    text[0].value.text = L"sea";
    EXPECT_TRUE(SearchLinesDiffer(base, text));
}

TEST_F(StoredFilterTest, SavedFilterLoadsBackEncryptedToTheNextBlock)
{
    const SearchLineList lines = {Line(1, L'=', 0, L"")};
    ASSERT_TRUE(SaveOnlineFilterData(lines));
    // 154 plain bytes padded to 160.
    EXPECT_EQ(StoredSize(), 160u);
    SearchLineList read;
    FilterProblemList problems;
    LoadSearchLines(read, &problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_FALSE(SearchLinesDiffer(lines, read));

    // The stored bytes are not the plain blob.
    Bytes stored(StoredSize());
    DWORD size = static_cast<DWORD>(stored.size());
    RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), OnlineFilterDataValueName, RRF_RT_REG_BINARY, nullptr,
                 stored.data(), &size);
    const Bytes plain = BuildOnlineFilterBlob(lines);
    EXPECT_NE(Bytes(stored.begin(), stored.begin() + 16), Bytes(plain.begin(), plain.begin() + 16));
}

TEST_F(StoredFilterTest, ABlobOfWholeBlocksGainsAPaddingBlock)
{
    // A text length whose blob is a whole number of blocks.
    std::wstring text;
    while (BuildOnlineFilterBlob({Line(1, L'=', 0, text.c_str())}).size() % 16 != 0)
        text += L'x';
    const size_t plain = BuildOnlineFilterBlob({Line(1, L'=', 0, text.c_str())}).size();
    ASSERT_TRUE(SaveOnlineFilterData({Line(1, L'=', 0, text.c_str())}));
    EXPECT_EQ(StoredSize(), plain + 16);
}

TEST_F(StoredFilterTest, TheRequestCarriesThePlainBlobOnlyWhileTheSwitchIsOn)
{
    const SearchLineList lines = {Line(102, L'=', 12, L"2")};
    ASSERT_TRUE(SaveOnlineFilterData(lines));
    EXPECT_EQ(LoadOnlineFilterRequestData().GetCount(), 0u) << "switch missing: off";
    ASSERT_TRUE(WriteOnlineFilterSwitch(true));
    const MemoryPH<unsigned char> block = LoadOnlineFilterRequestData();
    EXPECT_EQ(Bytes(block.GetData(), block.GetData() + block.GetCount()), FromHex(KnownBlobHex));
    ASSERT_TRUE(WriteOnlineFilterSwitch(false));
    EXPECT_EQ(LoadOnlineFilterRequestData().GetCount(), 0u);
    EXPECT_TRUE(Stored());
}

TEST_F(StoredFilterTest, DamagedValuesGiveAnEmptyFilterAndAreDeleted)
{
    const Bytes good = BuildOnlineFilterBlob({Line(102, L'=', 12, L"2")});
    Bytes sixLines = BuildOnlineFilterBlob({Line(1, L'=', 0, L"a")});
    sixLines[7] = 6;
    Bytes flipped = good;
    flipped[30] ^= 1;
    const struct
    {
        const char* what;
        void (*store)(const Bytes&);
        Bytes bytes;
    } cases[] = {
        {"not encrypted", [](const Bytes& b) { StoreRaw(b); }, Bytes(160, 0x41)},
        {"not whole blocks", [](const Bytes& b) { StoreRaw(b); }, Bytes(37, 0x41)},
        {"empty", [](const Bytes& b) { StoreRaw(b); }, Bytes()},
        {"not binary", [](const Bytes& b) { StoreRaw(b, REG_DWORD); }, Bytes(4, 1)},
        {"six lines", StoreEncrypted, sixLines},
        {"a changed byte", StoreEncrypted, flipped},
        {"cut short", StoreEncrypted, Bytes(good.begin(), good.end() - 9)},
    };
    for (const auto& c : cases)
    {
        // The slide request: nothing sent, the value gone.
        ASSERT_TRUE(WriteOnlineFilterSwitch(true));
        c.store(c.bytes);
        EXPECT_EQ(LoadOnlineFilterRequestData().GetCount(), 0u) << c.what;
        EXPECT_FALSE(Stored()) << c.what;

        // The dialog: no lines, string 796, the value gone.
        c.store(c.bytes);
        SearchLineList lines = {Line(9, L'=', 0, L"old")};
        FilterProblemList problems;
        LoadSearchLines(lines, &problems);
        EXPECT_TRUE(lines.empty()) << c.what;
        ASSERT_EQ(problems.size(), 1u) << c.what;
        EXPECT_EQ(problems[0].line, WholeFilterLine);
        EXPECT_EQ(problems[0].message, MStringEx<wchar_t>(ResId(IDS_FILTER_STORED_DAMAGED)));
        EXPECT_FALSE(Stored()) << c.what;
    }
}

TEST_F(StoredFilterTest, NoStoredFilterIsNoProblem)
{
    SearchLineList lines;
    FilterProblemList problems;
    LoadSearchLines(lines, &problems);
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(problems.empty());
    // Nothing to store is refused and leaves no value.
    EXPECT_FALSE(SaveOnlineFilterData({}));
    EXPECT_FALSE(Stored());
}

TEST_F(StoredFilterTest, TheSwitchIsAFourByteWord)
{
    EXPECT_FALSE(ReadOnlineFilterSwitch());
    ASSERT_TRUE(WriteOnlineFilterSwitch(true));
    EXPECT_TRUE(ReadOnlineFilterSwitch());
    const unsigned char eight[8] = {0, 0, 0, 0x80, 0, 0, 0, 0x80};
    RegSetKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), OnlineFilterSwitchValueName, REG_BINARY, eight, 8);
    EXPECT_FALSE(ReadOnlineFilterSwitch());
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), OnlineFilterSwitchValueName, RRF_RT_ANY,
                           nullptr, nullptr, nullptr),
              ERROR_SUCCESS)
        << "deleted";
}
