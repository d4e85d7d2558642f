// The encrypted slide cache: what the server handed over for the next slide
// request, kept between rounds in "ssd" in the data folder, and the one-byte
// registry marker "Internet Control" that says an online state is held.
//
// A new cache is written whole to "ssdt" first and replaces "ssd" only when
// it is committed, so a failed write leaves the current cache as it was.
#pragma once

#include "crypto/Symmetric.h"

// The largest cache the program writes or reads: far above what the server
// hands over (a few hundred bytes), low enough that a damaged file cannot
// exhaust the memory.
constexpr unsigned __int64 MaximumSlideCacheBytes = 16ull * 1024 * 1024;

// The AES-256 key of the cache file, derived once from the cache pass phrase.
class SlideCacheCipher
{
public:
    // The pass phrase of this computer (see the source).
    SlideCacheCipher();
    // A caller's pass phrase (tests).
    explicit SlideCacheCipher(const MAtom<unsigned char>& passPhrase);

    // Plain block -> cipher text; MCryptException on failure.
    void Encrypt(MAtom<unsigned char>& data) const;
    // In place; false when CryptoAPI refuses the cipher text (wrong size,
    // bad padding) or it is larger than the cache may be.
    bool Decrypt(MAtom<unsigned char>& data) const;

private:
    MSCryptAES m_key;
};

// The plain block of a cache: contents, the version word 1 and the
// PrimeTableHash of both (little-endian).
MemoryPH<unsigned char> EncodeSlideCachePlain(const MAtom<unsigned char>& contents);
// The contents of a decrypted block; false (contents empty) when it is
// shorter than the 12-byte trailer, has another version or a wrong check.
// An empty cache is 12 bytes and valid.
bool DecodeSlideCachePlain(const MAtom<unsigned char>& plain, MemoryPH<unsigned char>& contents);
// A whole cache file as read from the disk: decrypted and decoded.
bool OpenSlideCacheFile(const SlideCacheCipher& cipher, const MAtom<unsigned char>& file,
                        MemoryPH<unsigned char>& contents);

// The cache files of one folder (the data folder in the program, a folder
// of their own in the tests) and the marker under the program's key.
class SlideCacheFolder
{
public:
    // AppDataFolderPath(false).
    SlideCacheFolder();
    explicit SlideCacheFolder(const MStringEx<wchar_t>& folder);

    // The contents of "ssd", or empty. Any failure (missing, short, damaged,
    // undecryptable file) deletes both files and the marker; nothing is thrown.
    MemoryPH<unsigned char> Read() const;
    // Writes the contents whole to "ssdt"; "ssd" is not touched. False when
    // it could not be written whole: then no "ssdt" is left behind.
    bool Write(const MAtom<unsigned char>& contents) const;
    // "ssdt" replaces "ssd" in one step (a read-only "ssd" too). False, with
    // "ssd" as it was, when there is no "ssdt" or it cannot be moved.
    bool Commit() const;
    // 1 when the marker is 0x80 and "ssd" exists, else 0; a marker of the
    // wrong type, size or value, or one without "ssd", is deleted.
    int HasInternetSlideState() const;
    void DeleteFiles() const;
    // DeleteFiles, then the marker.
    void DeleteInternetControlValues() const;

    MStringEx<wchar_t> CurrentPath() const;
    MStringEx<wchar_t> PendingPath() const;

private:
    MStringEx<wchar_t> m_folder;
};

// The name of the registry marker and its two valid values.
extern const wchar_t InternetControlValueName[];
constexpr BYTE InternetControlHeld = 0x80;
constexpr BYTE InternetControlNone = 0x00;

// The functions of the data folder.
MemoryPH<unsigned char> ReadSlideCacheFile();
bool WriteSlideCacheFile(const MAtom<unsigned char>& contents);
bool CommitSlideCacheFile();
int HasInternetSlideState();
void DeleteSlideCacheFiles();
void DeleteInternetControlValues();

// True when path is (or has now been made) a folder, with every level above it.
bool CreateDirectoryPath(const MStringEx<wchar_t>& path);
