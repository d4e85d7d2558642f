#include "filter/OnlineFilter.h"

#include "crypto/CryptException.h"
#include "filter/MediaSource.h"
#include "foundation/Registry.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"

#include <cstring>

const wchar_t OnlineFilterDataValueName[] = L"Online Filter Data";

namespace
{
constexpr DWORD FormatVersion = 1;
constexpr DWORD HighestValueType = 14;
constexpr size_t DigestBytes = 64;
// Value block without its text: version, type, text length, block length,
// checksum.
constexpr size_t ValueOverhead = 24;
// Record without its value block: version, open, id, operator, from list,
// block length, language, close, conjunction, record length, checksum.
constexpr size_t RecordOverhead = 38;
// Blob head (version, count) and trailer (digest length, digest, total
// length, checksum).
constexpr size_t BlobHead = 8;
constexpr size_t BlobTrailer = 4 + DigestBytes + 4 + 8;

// The fixed parts of the password around the product name's UTF-8 bytes:
// three characters before, a GUID text of 38 after.
constexpr char PasswordPrefix[] = "Qf~";
constexpr char PasswordSuffix[] = "{6B0E9F52-3D1A-4C87-A5E2-9F41C7D0B38E}";

using Bytes = std::vector<unsigned char>;

void PutBe(Bytes& out, unsigned __int64 value, unsigned width)
{
    for (unsigned shift = width * 8; shift > 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> (shift - 8)));
}

unsigned __int64 GetBe(const unsigned char* at, unsigned width)
{
    unsigned __int64 value = 0;
    for (unsigned i = 0; i < width; ++i)
        value = value << 8 | at[i];
    return value;
}

unsigned __int64 ChecksumBits(const unsigned char* bytes, size_t count)
{
    const double sum = AtomDetail::Checksum(bytes, count);
    unsigned __int64 bits = 0;
    std::memcpy(&bits, &sum, sizeof(bits));
    return bits;
}

void PutChecksum(Bytes& out) { PutBe(out, ChecksumBits(out.data(), out.size()), 8); }

// The checksum stored at offset covers the bytes before it.
bool ChecksumMatches(const unsigned char* bytes, size_t offset)
{
    return GetBe(bytes + offset, 8) == ChecksumBits(bytes, offset);
}

bool IsConjunction(unsigned char c) { return c == '&' || c == '=' || c == '^' || c == '|'; }

// SHA-512 of the bytes in the hash's own order; the provider choice is
// RsaAesProviderName's.
Bytes Sha512(const unsigned char* bytes, size_t count)
{
    const MAAuthenticator hasher(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                                 MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
    MemoryPH<unsigned char> digest;
    hasher.Hash(ShellMemory<unsigned char>(const_cast<unsigned char*>(bytes), count), digest, false);
    return Bytes(digest.GetData(), digest.GetData() + digest.GetCount());
}

enum class StoredValue
{
    Missing,
    Damaged, // present, but not REG_BINARY or not readable
    Read,
};

StoredValue ReadStoredValue(const RegistryKey& key, MemoryPH<unsigned char>& stored)
{
    DWORD type = 0, size = 0;
    const LONG probe = key.Query(OnlineFilterDataValueName, type, nullptr, size);
    if (probe == ERROR_FILE_NOT_FOUND)
        return StoredValue::Missing;
    if (probe != ERROR_SUCCESS || type != REG_BINARY)
        return StoredValue::Damaged;
    stored.Resize(size);
    DWORD read = size;
    // The value may have changed in between: a second answer of another
    // type or size is damage too.
    if (key.Query(OnlineFilterDataValueName, type, stored.GetData(), read) != ERROR_SUCCESS || type != REG_BINARY ||
        read != size)
        return StoredValue::Damaged;
    return StoredValue::Read;
}

// Decrypts and checks the stored value; the plain blob and its lines, or a
// refusal.
FilterBlobCheck DecryptAndRead(const MemoryPH<unsigned char>& stored, MemoryPH<unsigned char>& plain,
                               SearchLineList& lines)
{
    try
    {
        const std::unique_ptr<AesCipher> cipher = DeriveOnlineFilterKey();
        cipher->DecryptCbc(stored, plain, true);
    }
    catch (const QuilloryError&)
    {
        plain.Clear();
        return FilterBlobCheck::Undecryptable;
    }
    const FilterBlobCheck check = ReadOnlineFilterBlob(plain.GetData(), static_cast<size_t>(plain.GetCount()), lines);
    if (check != FilterBlobCheck::Accepted)
        plain.Clear();
    return check;
}
} // namespace

namespace Property_Manager
{
std::vector<unsigned char> SerializeValue(const Value& value)
{
    const size_t textBytes = static_cast<size_t>(value.text.GetLength()) * sizeof(wchar_t);
    Bytes out;
    out.reserve(textBytes + ValueOverhead);
    PutBe(out, FormatVersion, 4);
    PutBe(out, value.type, 4);
    PutBe(out, textBytes, 4);
    const unsigned char* text = reinterpret_cast<const unsigned char*>(value.text.GetText());
    out.insert(out.end(), text, text + textBytes);
    PutBe(out, textBytes + ValueOverhead, 4);
    PutChecksum(out);
    return out;
}

FilterBlobCheck DeserializeValue(const unsigned char* bytes, size_t size, Value& value)
{
    if (size < ValueOverhead)
        return FilterBlobCheck::ValueSize;
    if (GetBe(bytes, 4) != FormatVersion)
        return FilterBlobCheck::ValueVersion;
    const unsigned __int64 type = GetBe(bytes + 4, 4);
    if (type > HighestValueType)
        return FilterBlobCheck::ValueType;
    const unsigned __int64 textBytes = GetBe(bytes + 8, 4);
    if (textBytes % 2 != 0)
        return FilterBlobCheck::ValueTextOdd;
    // The text must leave exactly the block's tail after it.
    if (textBytes != size - ValueOverhead)
        return FilterBlobCheck::ValueSize;
    const size_t t = static_cast<size_t>(textBytes);
    if (GetBe(bytes + t + 12, 4) != size)
        return FilterBlobCheck::ValueLength;
    if (!ChecksumMatches(bytes, t + 16))
        return FilterBlobCheck::ValueChecksum;
    // A NUL inside the text would cut it short: such a value is not the
    // text that was stored.
    MStringEx<wchar_t> read(ElementCount(t / 2));
    if (t)
        std::memcpy(read.GetData(), bytes + 12, t);
    if (std::wcslen(read.GetText()) != t / 2)
        return FilterBlobCheck::ValueSize;
    value.type = static_cast<DWORD>(type);
    value.text = read;
    return FilterBlobCheck::Accepted;
}

std::vector<unsigned char> SerializeSearchLine(const search_line_data& line)
{
    const Bytes value = SerializeValue(line.value);
    Bytes out;
    out.reserve(value.size() + RecordOverhead);
    PutBe(out, FormatVersion, 4);
    out.push_back(line.open_parenthesis ? 1 : 0);
    PutBe(out, line.property_id, 8);
    PutBe(out, line.operator_code, 2);
    out.push_back(line.from_value_list ? 1 : 0);
    PutBe(out, value.size(), 4);
    out.insert(out.end(), value.begin(), value.end());
    PutBe(out, line.language, 4);
    out.push_back(line.close_parenthesis ? 1 : 0);
    out.push_back(line.conjunction);
    PutBe(out, value.size() + RecordOverhead, 4);
    PutChecksum(out);
    return out;
}

FilterBlobCheck DeserializeSearchLine(const unsigned char* bytes, size_t size, search_line_data& line)
{
    if (size < RecordOverhead + ValueOverhead)
        return FilterBlobCheck::RecordSize;
    if (GetBe(bytes, 4) != FormatVersion)
        return FilterBlobCheck::RecordVersion;
    const unsigned __int64 valueBytes = GetBe(bytes + 16, 4);
    if (valueBytes != size - RecordOverhead)
        return FilterBlobCheck::RecordSize;
    const size_t v = static_cast<size_t>(valueBytes);
    search_line_data read;
    read.open_parenthesis = bytes[4] == 1;
    read.property_id = GetBe(bytes + 5, 8);
    read.operator_code = static_cast<WORD>(GetBe(bytes + 13, 2));
    read.from_value_list = bytes[15] == 1;
    const FilterBlobCheck value = DeserializeValue(bytes + 20, v, read.value);
    if (value != FilterBlobCheck::Accepted)
        return value;
    read.language = static_cast<DWORD>(GetBe(bytes + v + 20, 4));
    read.close_parenthesis = bytes[v + 24] == 1;
    read.conjunction = bytes[v + 25];
    if (!IsConjunction(read.conjunction))
        return FilterBlobCheck::RecordConjunction;
    if (GetBe(bytes + v + 26, 4) != size)
        return FilterBlobCheck::RecordLength;
    if (!ChecksumMatches(bytes, v + 30))
        return FilterBlobCheck::RecordChecksum;
    line = read;
    return FilterBlobCheck::Accepted;
}
} // namespace Property_Manager

std::vector<unsigned char> BuildOnlineFilterBlob(const SearchLineList& lines)
{
    Bytes blob;
    PutBe(blob, FormatVersion, 4);
    PutBe(blob, lines.size(), 4);
    for (const Property_Manager::search_line_data& line : lines)
    {
        const Bytes record = Property_Manager::SerializeSearchLine(line);
        PutBe(blob, record.size(), 4);
        blob.insert(blob.end(), record.begin(), record.end());
    }
    const Bytes digest = Sha512(blob.data(), blob.size());
    PutBe(blob, digest.size(), 4);
    blob.insert(blob.end(), digest.begin(), digest.end());
    PutBe(blob, blob.size() + 4 + 8, 4);
    PutChecksum(blob);
    return blob;
}

FilterBlobCheck ReadOnlineFilterBlob(const unsigned char* bytes, size_t size, SearchLineList& lines)
{
    lines.clear();
    if (size < BlobHead + BlobTrailer)
        return FilterBlobCheck::BlobSize;
    if (GetBe(bytes, 4) != FormatVersion)
        return FilterBlobCheck::BlobVersion;
    const unsigned __int64 count = GetBe(bytes + 4, 4);
    if (count < MinimumSearchLines || count > MaximumSearchLines)
        return FilterBlobCheck::BlobLineCount;

    // The records must end exactly where the trailer begins.
    const size_t recordsEnd = size - BlobTrailer;
    size_t at = BlobHead;
    SearchLineList read;
    for (unsigned __int64 i = 0; i < count; ++i)
    {
        if (recordsEnd - at < 4)
            return FilterBlobCheck::BlobSize;
        const unsigned __int64 length = GetBe(bytes + at, 4);
        at += 4;
        if (length > recordsEnd - at)
            return FilterBlobCheck::BlobSize;
        Property_Manager::search_line_data line;
        const FilterBlobCheck record =
            Property_Manager::DeserializeSearchLine(bytes + at, static_cast<size_t>(length), line);
        if (record != FilterBlobCheck::Accepted)
            return record;
        read.push_back(line);
        at += static_cast<size_t>(length);
    }
    if (at != recordsEnd || GetBe(bytes + at, 4) != DigestBytes)
        return FilterBlobCheck::BlobSize;
    if (Sha512(bytes, at) != Bytes(bytes + at + 4, bytes + at + 4 + DigestBytes))
        return FilterBlobCheck::BlobDigest;
    if (GetBe(bytes + at + 4 + DigestBytes, 4) != size)
        return FilterBlobCheck::BlobTotalLength;
    if (!ChecksumMatches(bytes, size - 8))
        return FilterBlobCheck::BlobChecksum;
    lines.swap(read);
    return FilterBlobCheck::Accepted;
}

std::unique_ptr<AesCipher> DeriveOnlineFilterKey()
{
    const MStringEx<char> name = MStringEx<wchar_t>(ProductName).ToUtf8();
    SecureBytes password;
    password.Resize(sizeof(PasswordPrefix) - 1 + name.GetLength() + sizeof(PasswordSuffix) - 1);
    unsigned char* at = password.GetData();
    std::memcpy(at, PasswordPrefix, sizeof(PasswordPrefix) - 1);
    at += sizeof(PasswordPrefix) - 1;
    std::memcpy(at, name.GetText(), static_cast<size_t>(name.GetLength()));
    at += name.GetLength();
    std::memcpy(at, PasswordSuffix, sizeof(PasswordSuffix) - 1);

    const MAAuthenticator sha1(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512),
                               MAAuthenticator::MAAuthAlgHash(CALG_SHA1));
    SecureBytes first, second, both, ivDigest;
    sha1.Hash(password, first, true);
    ReverseByteOrder(password);
    sha1.Hash(password, second, true);
    both.Resize(first.GetCount() + second.GetCount());
    both.CopyRange(0, first, 0, first.GetCount());
    both.CopyRange(first.GetCount(), second, 0, second.GetCount());
    sha1.Hash(both, ivDigest, true);
    return std::make_unique<AesCipher>(ShellMemory<unsigned char>(both.GetData(), 32),
                                       ShellMemory<unsigned char>(ivDigest.GetData(), 16));
}

bool SaveOnlineFilterData(const SearchLineList& lines)
{
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE))
        return false;
    try
    {
        if (lines.size() >= MinimumSearchLines && lines.size() <= MaximumSearchLines)
        {
            const Bytes blob = BuildOnlineFilterBlob(lines);
            MemoryPH<unsigned char> encrypted;
            DeriveOnlineFilterKey()->EncryptCbc(
                ShellMemory<unsigned char>(const_cast<unsigned char*>(blob.data()), blob.size()), encrypted);
            if (key.Set(OnlineFilterDataValueName, REG_BINARY, encrypted.GetData(),
                        static_cast<DWORD>(encrypted.GetCount())) == ERROR_SUCCESS)
                return true;
        }
    }
    catch (const QuilloryError&)
    {
    }
    catch (const std::bad_alloc&)
    {
    }
    key.Delete(OnlineFilterDataValueName);
    return false;
}

namespace
{
// Reads, decrypts and checks the stored filter. A value that is there but
// fails anything is deleted: Missing or Accepted, or the refusal.
FilterBlobCheck LoadStoredFilter(MemoryPH<unsigned char>& plain, SearchLineList& lines)
{
    plain.Clear();
    lines.clear();
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_ALL_ACCESS))
        return FilterBlobCheck::Missing;
    FilterBlobCheck check = FilterBlobCheck::Undecryptable;
    try
    {
        MemoryPH<unsigned char> stored;
        const StoredValue value = ReadStoredValue(key, stored);
        if (value == StoredValue::Missing)
            return FilterBlobCheck::Missing;
        if (value == StoredValue::Read)
            check = DecryptAndRead(stored, plain, lines);
    }
    catch (const QuilloryError&)
    {
    }
    catch (const std::bad_alloc&)
    {
    }
    if (check != FilterBlobCheck::Accepted)
    {
        plain.Clear();
        lines.clear();
        key.Delete(OnlineFilterDataValueName);
    }
    return check;
}
} // namespace

MemoryPH<unsigned char> LoadOnlineFilterRequestData()
{
    // Only a blob that passes every check goes to the server.
    MemoryPH<unsigned char> plain;
    SearchLineList lines;
    if (ReadOnlineFilterSwitch())
        LoadStoredFilter(plain, lines);
    return plain;
}

void LoadSearchLines(SearchLineList& lines, FilterProblemList* problems)
{
    MemoryPH<unsigned char> plain;
    const FilterBlobCheck check = LoadStoredFilter(plain, lines);
    if (check != FilterBlobCheck::Accepted && check != FilterBlobCheck::Missing && problems)
        problems->push_back(ConditionReport{WholeFilterLine, MStringEx<wchar_t>(ResId(IDS_FILTER_STORED_DAMAGED))});
}

void DeleteOnlineFilterData()
{
    RegistryKey key;
    if (key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE))
        key.Delete(OnlineFilterDataValueName);
}

bool SearchLinesDiffer(const SearchLineList& a, const SearchLineList& b)
{
    if (a.size() != b.size())
        return true;
    for (size_t i = 0; i < a.size(); ++i)
    {
        const Property_Manager::search_line_data& x = a[i];
        const Property_Manager::search_line_data& y = b[i];
        if (x.property_id != y.property_id || x.operator_code != y.operator_code ||
            x.from_value_list != y.from_value_list || x.value.type != y.value.type ||
            x.value.text.GetLength() != y.value.text.GetLength() ||
            std::wcscmp(x.value.text.GetText(), y.value.text.GetText()) != 0 || x.language != y.language ||
            x.open_parenthesis != y.open_parenthesis || x.close_parenthesis != y.close_parenthesis ||
            x.conjunction != y.conjunction)
            return true;
    }
    return false;
}
