#include "crypto/ACrypt.h"

#include "crypto/FileRange.h"

#include <algorithm>

using CryptFiles::FileRange;

namespace
{
bool IsSignalled(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

void XorInto(unsigned char* target, const unsigned char* with, unsigned bytes)
{
    for (unsigned i = 0; i < bytes; ++i)
        target[i] ^= with[i];
}

void ReadExactly(HANDLE file, unsigned char* data, DWORD bytes)
{
    DWORD read = 0;
    if (!ReadFile(file, data, bytes, &read, nullptr))
        ThrowLastCryptError();
    if (read != bytes)
        throw MCryptException(9, ERROR_HANDLE_EOF);
}

void WriteExactly(HANDLE file, const unsigned char* data, DWORD bytes)
{
    DWORD written = 0;
    if (!WriteFile(file, data, bytes, &written, nullptr))
        ThrowLastCryptError();
    if (written != bytes)
        throw MCryptException(9, ERROR_WRITE_FAULT);
}
}

MACrypt::MACrypt(DWORD providerType, const wchar_t* providerName, const KeyLength& length, DWORD paddingFlags,
                 DWORD chainingMode)
    : MAsymmetric(providerType, providerName, CryptContextFlags, length), m_paddingFlags(paddingFlags),
      m_chainingMode(chainingMode)
{
    CreateKey(false);
}

void MACrypt::GenerateKey(const KeyLength& length)
{
    m_keyLength = length;
    GenerateKey();
}

void MACrypt::GenerateKey() { CreateKey(false); }

void MACrypt::CheckPaddingFlags() const
{
    if (m_paddingFlags != 0 && m_paddingFlags != CRYPT_OAEP)
        throw MCryptException(15);
}

unsigned MACrypt::ChunkBytes() const { return BlockBytes() - (m_paddingFlags == CRYPT_OAEP ? 42u : 11u); }

SecureBytes MACrypt::ChainSeed() const
{
    MAAuthenticator sha1(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512),
                         MAAuthenticator::MAAuthAlgHash(CALG_SHA1));
    SecureBytes digest;
    sha1.Hash(ExportPublicKey(), digest, false);

    SecureBytes seed(BlockBytes());
    for (unsigned __int64 at = 0; at < seed.GetCount(); at += digest.GetCount())
        seed.CopyRange(at, digest, 0, std::min(digest.GetCount(), seed.GetCount() - at));
    return seed;
}

void MACrypt::EncryptBuffer(const MAtom<unsigned char>& input, MAtom<unsigned char>& output) const
{
    CheckPaddingFlags();
    const unsigned blockBytes = BlockBytes(), chunkBytes = ChunkBytes();
    const unsigned __int64 blocks = (input.GetCount() + chunkBytes - 1) / chunkBytes;
    output.Resize(blocks * blockBytes);
    if (blocks == 0)
        return;

    SecureBytes seed;
    if (IsChained())
        seed = ChainSeed();
    const unsigned char* previous = seed.GetData();
    for (unsigned __int64 i = 0; i < blocks; ++i)
    {
        unsigned char* block = output.GetData() + i * blockBytes;
        const unsigned __int64 at = i * chunkBytes;
        DWORD length = static_cast<DWORD>(std::min<unsigned __int64>(chunkBytes, input.GetCount() - at));
        std::memcpy(block, input.GetData() + at, length);
        if (IsChained())
            XorInto(block, previous, length);
        if (!CryptEncrypt(m_key, 0, i + 1 == blocks, m_paddingFlags, block, &length, blockBytes))
            ThrowLastCryptError();
        if (length != blockBytes)
            throw MCryptException(11);
        previous = block;
    }
}

bool MACrypt::DecryptBuffer(const MAtom<unsigned char>& input, MAtom<unsigned char>& output, HANDLE stop) const
{
    const unsigned blockBytes = BlockBytes();
    const unsigned __int64 blocks = (input.GetCount() + blockBytes - 1) / blockBytes;

    // Plaintexts are never longer than their blocks: each is decrypted in
    // place right behind the one before it.
    SecureBytes plain(blocks * blockBytes);
    SecureBytes previous(blockBytes), current(blockBytes);
    if (IsChained() && blocks > 0)
        current = ChainSeed();
    unsigned __int64 joined = 0;
    for (unsigned __int64 i = 0; i < blocks; ++i)
    {
        if (i % 16 == 15 && IsSignalled(stop))
        {
            output.Clear();
            return false;
        }
        const unsigned __int64 at = i * blockBytes;
        DWORD length = static_cast<DWORD>(std::min<unsigned __int64>(blockBytes, input.GetCount() - at));
        unsigned char* block = plain.GetData() + joined;
        std::memcpy(block, input.GetData() + at, length);
        if (IsChained())
        {
            previous.CopyFrom(current);
            std::memcpy(current.GetData(), block, length);
        }
        if (!CryptDecrypt(m_key, 0, i + 1 == blocks, m_paddingFlags, block, &length))
            ThrowLastCryptError();
        if (IsChained())
            XorInto(block, previous.GetData(), length);
        joined += length;
    }
    if (IsSignalled(stop))
    {
        output.Clear();
        return false;
    }
    output.Resize(joined);
    output.CopyRange(0, plain, 0, joined);
    return true;
}

bool MACrypt::EncryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                          bool littleEndian, MObserver* observer)
{
    CheckPaddingFlags();
    FileRange range(input, output, from, to);
    const unsigned blockBytes = BlockBytes(), chunkBytes = ChunkBytes();
    const unsigned __int64 chunks = (range.length + chunkBytes - 1) / chunkBytes;
    SecureBytes block(blockBytes), previous(blockBytes);
    if (IsChained() && chunks > 0)
        previous = ChainSeed();

    for (unsigned __int64 i = 0; i < chunks; ++i)
    {
        DWORD length = static_cast<DWORD>(std::min<unsigned __int64>(chunkBytes, range.length - i * chunkBytes));
        if (observer)
        {
            observer->WaitAtGate();
            if (!observer->Progress(i * chunkBytes + length, range.length, chunkBytes))
            {
                range.RestoreBoth(input, output);
                return false;
            }
        }
        ReadExactly(input, block.GetData(), length);
        if (IsChained())
            XorInto(block.GetData(), previous.GetData(), length);
        if (!CryptEncrypt(m_key, 0, i + 1 == chunks, m_paddingFlags, block.GetData(), &length, blockBytes))
            ThrowLastCryptError();
        if (length != blockBytes)
            throw MCryptException(11);
        if (IsChained())
            previous.CopyFrom(block);
        if (!littleEndian)
            ReverseByteOrder(block);
        WriteExactly(output, block.GetData(), blockBytes);
    }
    range.RestoreInput(input);
    return true;
}

bool MACrypt::DecryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                          bool littleEndian, MObserver* observer)
{
    FileRange range(input, output, from, to);
    const unsigned blockBytes = BlockBytes();
    const unsigned __int64 chunks = (range.length + blockBytes - 1) / blockBytes;
    SecureBytes block(blockBytes), previous(blockBytes), current(blockBytes);
    if (IsChained() && chunks > 0)
        current = ChainSeed();

    for (unsigned __int64 i = 0; i < chunks; ++i)
    {
        DWORD length = static_cast<DWORD>(std::min<unsigned __int64>(blockBytes, range.length - i * blockBytes));
        if (observer)
        {
            observer->WaitAtGate();
            if (!observer->Progress(i * blockBytes + length, range.length, blockBytes))
            {
                range.RestoreBoth(input, output);
                return false;
            }
        }
        ReadExactly(input, block.GetData(), length);
        if (!littleEndian)
            std::reverse(block.GetData(), block.GetData() + length);
        if (IsChained())
        {
            previous.CopyFrom(current);
            std::memcpy(current.GetData(), block.GetData(), length);
        }
        if (!CryptDecrypt(m_key, 0, i + 1 == chunks, m_paddingFlags, block.GetData(), &length))
            ThrowLastCryptError();
        if (IsChained())
            XorInto(block.GetData(), previous.GetData(), length);
        WriteExactly(output, block.GetData(), length);
    }
    range.RestoreInput(input);
    return true;
}
