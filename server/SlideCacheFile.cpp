#include "server/SlideCacheFile.h"

#include "crypto/ProtectedTexts.h"
#include "foundation/Handle.h"
#include "foundation/PrimeTableHash.h"
#include "foundation/Registry.h"
#include "foundation/SystemUtilities.h"

#include <cstring>

const wchar_t InternetControlValueName[] = L"Internet Control";

namespace
{
constexpr DWORD CacheVersion = 1;
// Version word and check value behind the contents.
constexpr unsigned __int64 TrailerBytes = 4 + 8;
// Files are written in pieces of at most this many bytes.
constexpr DWORD WritePiece = 0x40000000;

// The computer's own part of the pass phrase: the machine GUID that Windows
// draws at installation, or the computer name where there is none.
MStringEx<wchar_t> ComputerIdentity()
{
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", KEY_QUERY_VALUE | KEY_WOW64_64KEY))
    {
        wchar_t guid[64] = {};
        DWORD type = 0, size = sizeof(guid) - sizeof(wchar_t);
        if (key.Query(L"MachineGuid", type, guid, size) == ERROR_SUCCESS && type == REG_SZ && guid[0])
            return MStringEx<wchar_t>(guid);
    }
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(name, &length) && length)
        return MStringEx<wchar_t>(name);
    return MStringEx<wchar_t>(L"-");
}

// The stored fixed text (protected text 3) joined with the computer's identity.
SecureBytes CachePassPhrase()
{
    SecureBytes phrase = OpenProtectedText(CachePassPhraseText);
    const MStringEx<wchar_t> identity = ComputerIdentity();
    phrase.Append(ShellMemory<unsigned char>(reinterpret_cast<unsigned char*>(identity.GetData()),
                                             identity.GetLength() * sizeof(wchar_t)));
    return phrase;
}

void PutLittle32(unsigned char* at, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

void PutLittle64(unsigned char* at, unsigned __int64 value)
{
    for (int i = 0; i < 8; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

unsigned __int64 Little(const unsigned char* at, int bytes)
{
    unsigned __int64 value = 0;
    for (int i = bytes; i-- > 0;)
        value = value << 8 | at[i];
    return value;
}

bool FileExists(const MStringEx<wchar_t>& path)
{
    const DWORD attributes = GetFileAttributesW(path.GetText());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void DeleteIfPresent(const MStringEx<wchar_t>& path)
{
    SetFileAttributesW(path.GetText(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.GetText());
}

// The whole buffer into a new file; false (and no file) when any part failed.
bool WriteWholeFile(const MStringEx<wchar_t>& path, const MAtom<unsigned char>& data)
{
    SetFileAttributesW(path.GetText(), FILE_ATTRIBUTE_NORMAL);
    bool written = false;
    {
        MHandle file(CreateFileW(path.GetText(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (!file.IsValid())
            return false;
        written = true;
        const unsigned char* next = data.GetData();
        for (unsigned __int64 left = data.GetCount(); left > 0 && written;)
        {
            const DWORD piece = left < WritePiece ? static_cast<DWORD>(left) : WritePiece;
            DWORD done = 0;
            written = ::WriteFile(file, next, piece, &done, nullptr) && done == piece;
            next += piece;
            left -= piece;
        }
        written = written && FlushFileBuffers(file);
    }
    if (!written)
        DeleteIfPresent(path);
    return written;
}
} // namespace

// ---- cipher ---------------------------------------------------------------------

SlideCacheCipher::SlideCacheCipher() : SlideCacheCipher(CachePassPhrase()) {}

SlideCacheCipher::SlideCacheCipher(const MAtom<unsigned char>& passPhrase)
    : m_key(PROV_RSA_AES, RsaAesProviderName(), passPhrase, CALG_AES_256, MSCryptAES::HashAlgAES(CALG_SHA1),
            MSCryptAES::KeyLength(256))
{
}

void SlideCacheCipher::Encrypt(MAtom<unsigned char>& data) const
{
    if (data.GetCount() > MaximumSlideCacheBytes)
        throw MCryptException(4);
    DWORD plain = static_cast<DWORD>(data.GetCount()), room = plain;
    if (!CryptEncrypt(m_key.GetKey(), 0, TRUE, 0, nullptr, &room, 0))
        throw MCryptException(4, GetLastError());
    MemoryPH<unsigned char> cipher(room);
    if (plain)
        std::memcpy(cipher.GetData(), data.GetData(), plain);
    if (!CryptEncrypt(m_key.GetKey(), 0, TRUE, 0, cipher.GetData(), &plain, room))
        throw MCryptException(4, GetLastError());
    data.Resize(plain);
    data.CopyFrom(cipher);
}

bool SlideCacheCipher::Decrypt(MAtom<unsigned char>& data) const
{
    // CryptoAPI answers NTE_BAD_DATA for an empty or ragged cipher text; the
    // size is checked here as well so that no length is handed on unchecked.
    if (data.GetCount() == 0 || data.GetCount() % 16 != 0 || data.GetCount() > MaximumSlideCacheBytes + 16)
        return false;
    DWORD length = static_cast<DWORD>(data.GetCount());
    if (!CryptDecrypt(m_key.GetKey(), 0, TRUE, 0, data.GetData(), &length) || length > data.GetCount())
        return false;
    data.SetCount(length);
    return true;
}

// ---- plain block ----------------------------------------------------------------

MemoryPH<unsigned char> EncodeSlideCachePlain(const MAtom<unsigned char>& contents)
{
    const unsigned __int64 n = contents.GetCount();
    MemoryPH<unsigned char> plain(n + TrailerBytes);
    if (n)
        std::memcpy(plain.GetData(), contents.GetData(), static_cast<size_t>(n));
    PutLittle32(plain.GetData() + n, CacheVersion);
    PutLittle64(plain.GetData() + n + 4, PrimeTableHash(plain.GetData(), static_cast<size_t>(n + 4)));
    return plain;
}

bool DecodeSlideCachePlain(const MAtom<unsigned char>& plain, MemoryPH<unsigned char>& contents)
{
    contents.Clear();
    const unsigned __int64 total = plain.GetCount();
    // The trailer alone is an empty cache, and a valid one.
    if (total < TrailerBytes)
        return false;
    const unsigned __int64 n = total - TrailerBytes;
    if (Little(plain.GetData() + n, 4) != CacheVersion)
        return false;
    if (Little(plain.GetData() + n + 4, 8) != PrimeTableHash(plain.GetData(), static_cast<size_t>(n + 4)))
        return false;
    contents.Resize(n);
    if (n)
        std::memcpy(contents.GetData(), plain.GetData(), static_cast<size_t>(n));
    return true;
}

bool OpenSlideCacheFile(const SlideCacheCipher& cipher, const MAtom<unsigned char>& file,
                        MemoryPH<unsigned char>& contents)
{
    contents.Clear();
    SecureBytes plain;
    plain.AssignSecure(file);
    return cipher.Decrypt(plain) && DecodeSlideCachePlain(plain, contents);
}

// ---- files ----------------------------------------------------------------------

SlideCacheFolder::SlideCacheFolder() : m_folder(AppDataFolderPath(false)) {}

SlideCacheFolder::SlideCacheFolder(const MStringEx<wchar_t>& folder) : m_folder(folder) {}

MStringEx<wchar_t> SlideCacheFolder::CurrentPath() const
{
    return MStringEx<wchar_t>(sX::Format(), L"%s\\%s", m_folder.GetText(), L"ssd");
}

MStringEx<wchar_t> SlideCacheFolder::PendingPath() const
{
    return MStringEx<wchar_t>(sX::Format(), L"%s\\%s", m_folder.GetText(), L"ssdt");
}

MemoryPH<unsigned char> SlideCacheFolder::Read() const
{
    MemoryPH<unsigned char> contents;
    bool good = false;
    try
    {
        const MStringEx<wchar_t> path = CurrentPath();
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!m_folder.IsEmpty() && GetFileAttributesExW(path.GetText(), GetFileExInfoStandard, &data) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.nFileSizeHigh == 0 &&
            data.nFileSizeLow <= MaximumSlideCacheBytes + 16)
        {
            MemoryPH<unsigned char> file;
            file.ReadWholeFile(path.GetText());
            good = OpenSlideCacheFile(SlideCacheCipher(), file, contents);
        }
    }
    catch (const QuilloryError&)
    {
        good = false;
    }
    catch (const std::bad_alloc&)
    {
        good = false;
    }
    if (!good)
    {
        contents.Clear();
        DeleteInternetControlValues();
    }
    return contents;
}

bool SlideCacheFolder::Write(const MAtom<unsigned char>& contents) const
{
    if (m_folder.IsEmpty() || contents.GetCount() > MaximumSlideCacheBytes)
        return false;
    try
    {
        SecureBytes data;
        data.AssignSecure(EncodeSlideCachePlain(contents));
        SlideCacheCipher().Encrypt(data);
        if (!CreateDirectoryPath(m_folder))
            return false;
        return WriteWholeFile(PendingPath(), data);
    }
    catch (const QuilloryError&)
    {
    }
    catch (const std::bad_alloc&)
    {
    }
    DeleteIfPresent(PendingPath());
    return false;
}

bool SlideCacheFolder::Commit() const
{
    if (m_folder.IsEmpty() || !CreateDirectoryPath(m_folder) || !FileExists(PendingPath()))
        return false;
    // MoveFileEx replaces the old file in one step: there is no moment
    // without a cache, and a failed move leaves the old one in place.
    SetFileAttributesW(CurrentPath().GetText(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(PendingPath().GetText(), FILE_ATTRIBUTE_NORMAL);
    return MoveFileExW(PendingPath().GetText(), CurrentPath().GetText(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

int SlideCacheFolder::HasInternetSlideState() const
{
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_ALL_ACCESS))
        return 0;
    BYTE marker = 0;
    if (ReadFixedValue(key, InternetControlValueName, REG_BINARY, &marker, 1) != RegistryRead::Ok ||
        (marker & 0x7F) != 0 || !FileExists(CurrentPath()))
    {
        key.Delete(InternetControlValueName);
        return 0;
    }
    return marker == InternetControlHeld ? 1 : 0;
}

void SlideCacheFolder::DeleteFiles() const
{
    if (m_folder.IsEmpty() || !CreateDirectoryPath(m_folder))
        return;
    DeleteIfPresent(PendingPath());
    DeleteIfPresent(CurrentPath());
}

void SlideCacheFolder::DeleteInternetControlValues() const
{
    DeleteFiles();
    DeleteProductValue(InternetControlValueName);
}

// ---- the data folder's functions ------------------------------------------------

MemoryPH<unsigned char> ReadSlideCacheFile() { return SlideCacheFolder().Read(); }
bool WriteSlideCacheFile(const MAtom<unsigned char>& contents) { return SlideCacheFolder().Write(contents); }
bool CommitSlideCacheFile() { return SlideCacheFolder().Commit(); }
int HasInternetSlideState() { return SlideCacheFolder().HasInternetSlideState(); }
void DeleteSlideCacheFiles() { SlideCacheFolder().DeleteFiles(); }
void DeleteInternetControlValues() { SlideCacheFolder().DeleteInternetControlValues(); }

bool CreateDirectoryPath(const MStringEx<wchar_t>& path)
{
    if (path.IsEmpty())
        return false;
    const DWORD attributes = GetFileAttributesW(path.GetText());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Each level from the first, the drive ("X:") joined with its "\".
    const wchar_t* text = path.GetText();
    const unsigned __int64 length = path.GetLength();
    for (unsigned __int64 i = 0; i <= length; ++i)
    {
        if (i < length && text[i] != L'\\')
            continue;
        if (i == 0 || (i == 2 && text[1] == L':'))
            continue;
        const MStringEx<wchar_t> level = path.Left(i);
        if (!CreateDirectoryW(level.GetText(), nullptr))
        {
            const DWORD found = GetFileAttributesW(level.GetText());
            if (found == INVALID_FILE_ATTRIBUTES || !(found & FILE_ATTRIBUTE_DIRECTORY))
                return false;
        }
    }
    const DWORD made = GetFileAttributesW(path.GetText());
    return made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY);
}
