// The program's own AES in CBC mode with PKCS#7 padding, for the payloads
// of the server exchange, the stored filter and the protected texts.
#pragma once

#include "crypto/Authenticator.h"

#include <cstdint>

// AES (FIPS-197) in its 32-bit table form. The schedules hold 4 x (rounds + 1)
// words, at most 60; keyBits is 128, 192 or 256. Both answer the number of
// rounds (14 for a 256-bit key). The decryption schedule is the one of the
// equivalent inverse cipher.
unsigned AesExpandEncryptionKey(std::uint32_t* roundKeys, const unsigned char* key, unsigned keyBits = 256);
unsigned AesExpandDecryptionKey(std::uint32_t* roundKeys, const unsigned char* key, unsigned keyBits = 256);
void AesEncryptBlock(const std::uint32_t* roundKeys, unsigned rounds, const unsigned char* input,
                     unsigned char* output);
void AesDecryptBlock(const std::uint32_t* roundKeys, unsigned rounds, const unsigned char* input,
                     unsigned char* output);

// Folds a digest to target bytes by XOR of neighbouring pairs (and copies of
// the tail where the lengths meet), again while it is longer than target.
// The input holds at least target bytes.
MSmartPtr<SecureBytes> FoldDigest(const ShellMemory<unsigned char>& digest, unsigned __int64 target);

// How an AesCipher runs its blocks; both give the same bytes.
enum class AesEngine
{
    LookupTables,          // the four 32-bit tables: any processor
    ProcessorInstructions, // the AES instructions (AES-NI)
};

// The processor's instructions where it has them, the tables otherwise.
AesEngine FastestAesEngine();

// AES-CBC (AES-256 when derived) with a key and IV of its own. Every call
// starts from the IV: calls do not depend on each other.
class AesCipher
{
public:
    // Derives key and IV from the secret through the hasher (which must give
    // digests of at least 32 bytes, MCryptException 16 otherwise). The secret,
    // at least 5 bytes (MCryptException 11 otherwise), is consumed: it ends
    // holding the first digest of the derivation with its second byte changed.
    // The engine falls back to the tables on a processor without the AES
    // instructions.
    AesCipher(const MAAuthenticator& hasher, MAtom<unsigned char>& secret,
              AesEngine engine = FastestAesEngine());
    // Takes a key of 16, 24 or 32 bytes and a 16-byte IV as they are
    // (MCryptException 11 and 14 for other sizes).
    AesCipher(const MAtom<unsigned char>& key, const MAtom<unsigned char>& iv,
              AesEngine engine = FastestAesEngine());
    AesCipher(const AesCipher&) = delete;
    AesCipher& operator=(const AesCipher&) = delete;

    // (n / 16 + 1) x 16 bytes for n input bytes: the padding is always there.
    void EncryptCbc(const MAtom<unsigned char>& input, MAtom<unsigned char>& output) const;
    // The input must be whole blocks (MCryptException 11). With strip the
    // padding is checked and removed: a last byte of 1 to 16, no larger than
    // the output, repeated that many times; anything else is MCryptException
    // 17 and leaves the output empty.
    void DecryptCbc(const MAtom<unsigned char>& input, MAtom<unsigned char>& output, bool strip) const;

    const SecureBytes& GetKey() const { return m_key; }
    const SecureBytes& GetIv() const { return m_iv; }
    AesEngine GetEngine() const { return m_engine; }

private:
    void BuildSchedules();
    void ChooseEngine(AesEngine engine);

    SecureBytes m_key;
    SecureBytes m_iv;
    SecureMemory<MemoryPH<std::uint32_t>, std::uint32_t> m_encryptionKeys;
    SecureMemory<MemoryPH<std::uint32_t>, std::uint32_t> m_decryptionKeys;
    unsigned m_encryptionRounds = 0;
    unsigned m_decryptionRounds = 0;
    AesEngine m_engine = AesEngine::LookupTables;
};
