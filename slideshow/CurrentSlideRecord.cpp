#include "slideshow/CurrentSlideRecord.h"

#include "crypto/CryptBase.h"
#include "filter/MediaSource.h"
#include "foundation/Handle.h"
#include "foundation/Registry.h"
#include "slideshow/MainWindowIds.h"
#include "slideshow/PrimeTableHash.h"

#include <wincrypt.h>

#include <cstring>

namespace
{
constexpr DWORD RecordVersion = 1;
constexpr DWORD LocalRecordKind = 0x80000000;
constexpr DWORD OnlineRecordKind = 0;
constexpr size_t HeaderSize = 16;   // version, kind, L
constexpr size_t TrailerSize = 16;  // total length, hash
constexpr size_t Sha512Size = 64;
constexpr DWORD HashChunk = 1 << 20;
constexpr DWORD CryptFlags = CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET;
const wchar_t OnlineText[] = L"slide";

using Bytes = std::vector<unsigned char>;

template <class T> void Put(Bytes& bytes, T value)
{
    const auto* p = reinterpret_cast<const unsigned char*>(&value);
    bytes.insert(bytes.end(), p, p + sizeof(T));
}

template <class T> T Get(const unsigned char* bytes, size_t at)
{
    T value{};
    std::memcpy(&value, bytes + at, sizeof(T));
    return value;
}

void PutText(Bytes& bytes, const MString& text)
{
    const unsigned __int64 length = (text.GetLength() + 1) * sizeof(wchar_t);
    Put<unsigned __int64>(bytes, length);
    const auto* p = reinterpret_cast<const unsigned char*>(text.GetText());
    bytes.insert(bytes.end(), p, p + length);
}

class HashHandle
{
public:
    HashHandle(HCRYPTPROV provider, ALG_ID algorithm)
    {
        if (!CryptCreateHash(provider, algorithm, 0, 0, &m_hash))
            m_hash = 0;
    }
    HashHandle(const HashHandle&) = delete;
    HashHandle& operator=(const HashHandle&) = delete;
    ~HashHandle()
    {
        if (m_hash)
            CryptDestroyHash(m_hash);
    }
    HCRYPTHASH Get() const { return m_hash; }

private:
    HCRYPTHASH m_hash = 0;
};

// The text of L bytes at offset 16: L / 2 units, the last of them the only
// NUL. The caller has checked that the L bytes lie inside the record.
bool ReadRecordText(const unsigned char* record, size_t length, MString& text)
{
    if (length < sizeof(wchar_t) || length % 2 != 0)
        return false;
    const size_t units = length / 2;
    std::vector<wchar_t> data(units);
    std::memcpy(data.data(), record + HeaderSize, length);
    for (size_t i = 0; i + 1 < units; ++i)
        if (data[i] == 0)
            return false;
    if (data[units - 1] != 0)
        return false;
    text = MString(data.data());
    return true;
}

// The whole record's framing: its total length field equals the value's
// size and the hash covers every byte before it.
bool FramingHolds(const unsigned char* record, size_t size, size_t end)
{
    if (end + TrailerSize != size)
        return false;
    return Get<unsigned __int64>(record, end) == size &&
           Get<unsigned __int64>(record, end + 8) == PrimeTableHash(record, end + 8);
}
}

bool FileSha512(const MString& path, std::vector<unsigned char>& digest)
{
    digest.clear();
    MHandle file(CreateFileW(path.GetText(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    try
    {
        MCryptBase context(PROV_RSA_AES, RsaAesProviderName(), CryptFlags);
        HashHandle hash(context.GetProvider(), CALG_SHA_512);
        if (!hash.Get())
            return false;
        std::vector<unsigned char> chunk(HashChunk);
        for (;;)
        {
            DWORD read = 0;
            if (!ReadFile(file, chunk.data(), HashChunk, &read, nullptr))
                return false;
            if (read == 0)
                break;
            if (!CryptHashData(hash.Get(), chunk.data(), read, 0))
                return false;
        }
        DWORD size = Sha512Size;
        digest.assign(Sha512Size, 0);
        if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, digest.data(), &size, 0) || size != Sha512Size)
        {
            digest.clear();
            return false;
        }
        return true;
    }
    catch (const QuilloryError&)
    {
        return false;
    }
}

bool EncodeCurrentSlide(bool localFile, const MString& path, Bytes& record)
{
    record.clear();
    Put<DWORD>(record, RecordVersion);
    Put<DWORD>(record, localFile ? LocalRecordKind : OnlineRecordKind);
    if (localFile)
    {
        Bytes digest;
        if (!FileSha512(path, digest))
            return false;
        PutText(record, path);
        Put<unsigned __int64>(record, digest.size());
        record.insert(record.end(), digest.begin(), digest.end());
    }
    else
        PutText(record, MString(OnlineText));
    const size_t end = record.size();
    Put<unsigned __int64>(record, end + TrailerSize);
    Put<unsigned __int64>(record, PrimeTableHash(record.data(), end + 8));
    return true;
}

bool SaveCurrentSlide(bool localFile, const MString& path)
{
    Bytes record;
    if (!EncodeCurrentSlide(localFile, path, record))
        return false;
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE))
        return true;
    if (key.Set(CurrentSlideValueName, REG_BINARY, record.data(), static_cast<DWORD>(record.size())) != ERROR_SUCCESS)
        key.Delete(CurrentSlideValueName);
    return true;
}

bool DecodeCurrentSlide(const unsigned char* record, size_t size, DecodedCurrentSlide& decoded)
{
    decoded = DecodedCurrentSlide();
    // The whole length (header, text, digest, trailer) is checked against
    // the record's size before anything inside is read.
    if (size < HeaderSize + TrailerSize || Get<DWORD>(record, 0) != RecordVersion)
        return false;
    const DWORD kind = Get<DWORD>(record, 4);
    const unsigned __int64 textLength = Get<unsigned __int64>(record, 8);
    if (textLength > size - HeaderSize - TrailerSize)
        return false;
    const size_t afterText = HeaderSize + static_cast<size_t>(textLength);
    size_t end = afterText;
    if (kind == LocalRecordKind)
    {
        if (size - afterText - TrailerSize < 8)
            return false;
        const unsigned __int64 digestLength = Get<unsigned __int64>(record, afterText);
        if (digestLength != Sha512Size || digestLength > size - afterText - 8 - TrailerSize)
            return false;
        end = afterText + 8 + static_cast<size_t>(digestLength);
    }
    else if (kind != OnlineRecordKind)
        return false;
    if (!FramingHolds(record, size, end) || !ReadRecordText(record, static_cast<size_t>(textLength), decoded.path))
        return false;
    decoded.localFile = kind == LocalRecordKind;
    if (decoded.localFile)
        decoded.digest.assign(record + afterText + 8, record + end);
    return true;
}

void RestoreCurrentSlide(const std::function<bool(const MString&)>& inWalk, MString& path, bool& online)
{
    path.Clear();
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_ALL_ACCESS))
        return;

    const auto bad = [&] {
        path.Clear();
        key.Delete(CurrentSlideValueName);
    };
    DWORD type = 0, size = 0;
    if (key.Query(CurrentSlideValueName, type, nullptr, size) != ERROR_SUCCESS || type != REG_BINARY)
        return bad();
    Bytes record(size);
    if (key.Query(CurrentSlideValueName, type, record.data(), size) != ERROR_SUCCESS || type != REG_BINARY ||
        size != record.size())
        return bad();
    DecodedCurrentSlide decoded;
    if (!DecodeCurrentSlide(record.data(), record.size(), decoded))
        return bad();

    const bool localSource = ReadMediaSource();
    if (decoded.localFile)
    {
        // Kept for a later run with the local source.
        if (!localSource)
        {
            online = true;
            return;
        }
        const DWORD attributes = GetFileAttributesW(decoded.path.GetText());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) || !inWalk(decoded.path))
            return bad();
        Bytes digest;
        if (!FileSha512(decoded.path, digest) || digest != decoded.digest)
            return bad();
        path = decoded.path;
        online = false;
        return;
    }
    if (localSource)
    {
        online = false;
        return;
    }
    path = decoded.path;
    online = true;
}

void DeleteCurrentSlideValue()
{
    DeleteProductValue(CurrentSlideValueName);
}
