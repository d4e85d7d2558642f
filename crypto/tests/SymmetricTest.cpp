#include "TestHelpers.h"

#include "crypto/Symmetric.h"

#include <memory>

using namespace CryptoTest;

namespace
{
std::unique_ptr<MSCryptAES> CacheKey(const char* passPhrase)
{
    return std::unique_ptr<MSCryptAES>(new MSCryptAES(PROV_RSA_AES, RsaAesProviderName(), Bytes(passPhrase),
                                                      CALG_AES_256, MSCryptAES::HashAlgAES(CALG_SHA1),
                                                      MSCryptAES::KeyLength(256)));
}

MemoryPH<unsigned char> Pattern(unsigned bytes)
{
    MemoryPH<unsigned char> data(bytes);
    for (unsigned i = 0; i < bytes; ++i)
        data[i] = static_cast<unsigned char>(i * 7 + 3);
    return data;
}
}

TEST(Symmetric, AesFileSizesAndRoundTripThroughAnotherObject)
{
    const struct
    {
        unsigned plain, cipher;
    } sizes[] = {{1, 16}, {16, 32}, {991, 992}, {992, 1008}, {993, 1008}, {1984, 2000}, {5000, 5008}};
    for (const auto& size : sizes)
    {
        TempFile input, encrypted, decrypted;
        input.Write(Pattern(size.plain));
        EXPECT_TRUE(CacheKey("cache pass phrase")->EncryptFile(input.Handle(), 0, ~0ull, encrypted.Handle(), nullptr));
        EXPECT_EQ(encrypted.Contents().GetCount(), size.cipher) << size.plain;
        encrypted.Seek(0);
        EXPECT_TRUE(CacheKey("cache pass phrase")->DecryptFile(encrypted.Handle(), 0, ~0ull, decrypted.Handle(),
                                                                  true, nullptr));
        EXPECT_TRUE(decrypted.Contents().Equals(Pattern(size.plain))) << size.plain;
    }
}

TEST(Symmetric, WrongPassPhraseDoesNotDecrypt)
{
    TempFile input, encrypted, decrypted;
    input.Write(Pattern(100));
    CacheKey("one")->EncryptFile(input.Handle(), 0, ~0ull, encrypted.Handle(), nullptr);
    encrypted.Seek(0);
    const unsigned code = CryptCode(
        [&] { CacheKey("two")->DecryptFile(encrypted.Handle(), 0, ~0ull, decrypted.Handle(), nullptr); });
    EXPECT_FALSE(code == 0 && decrypted.Contents().Equals(Pattern(100)));
}

TEST(Symmetric, EmptyRangeWritesNothing)
{
    TempFile input, output;
    input.Write(Pattern(10));
    std::unique_ptr<MSCryptAES> key = CacheKey("p");
    EXPECT_TRUE(key->EncryptFile(input.Handle(), 4, 4, output.Handle(), nullptr));
    EXPECT_TRUE(key->EncryptFile(input.Handle(), 20, 30, output.Handle(), nullptr));
    TempFile empty, back;
    EXPECT_TRUE(key->DecryptFile(empty.Handle(), 0, ~0ull, back.Handle(), nullptr));
    EXPECT_TRUE(output.Contents().IsEmpty());
    EXPECT_TRUE(back.Contents().IsEmpty());
}

TEST(Symmetric, EmptyPassPhraseIsRefused)
{
    EXPECT_EQ(CryptCode([] {
                  MSCryptAES key(PROV_RSA_AES, RsaAesProviderName(), MemoryPH<unsigned char>(0), CALG_AES_256,
                                 MSCryptAES::HashAlgAES(CALG_SHA1), MSCryptAES::KeyLength(256));
              }),
              13u);
}

// A run stopped half-way leaves the key ready for a fresh file: the chain
// of cipher blocks starts again at the key's initialization vector.
TEST(Symmetric, StoppedRunRestoresFilesAndTheKey)
{
    TempFile plain, encrypted;
    plain.Write(Pattern(5000));
    CacheKey("stop")->EncryptFile(plain.Handle(), 0, ~0ull, encrypted.Handle(), nullptr);
    encrypted.Seek(11);

    TempFile output;
    output.Write(Bytes("xy"));
    std::unique_ptr<MSCryptAES> key = CacheKey("stop");
    CountingObserver stopAtThird(3);
    EXPECT_FALSE(key->DecryptFile(encrypted.Handle(), 0, ~0ull, output.Handle(), &stopAtThird));
    EXPECT_EQ(encrypted.Position(), 11u);
    EXPECT_EQ(output.Position(), 2u);
    ASSERT_EQ(stopAtThird.calls.size(), 3u);
    EXPECT_EQ(stopAtThird.calls[0].reached, 992u);
    EXPECT_EQ(stopAtThird.calls[0].total, 5008u);
    EXPECT_EQ(stopAtThird.calls[0].chunk, 992u);

    TempFile back;
    EXPECT_TRUE(key->DecryptFile(encrypted.Handle(), 0, ~0ull, back.Handle(), nullptr));
    EXPECT_TRUE(back.Contents().Equals(Pattern(5000)));
}

TEST(Symmetric, Rc4KeyRoundTrip)
{
    auto rc4 = [] {
        return std::unique_ptr<MSCryptRC4>(new MSCryptRC4(PROV_RSA_FULL, EnhancedRsaFullProviderName, Bytes("rc4"),
                                                          CALG_RC4, MSCryptRC4::HashAlgRC4(CALG_MD5),
                                                          MSCryptRC4::KeyLength(40)));
    };
    TempFile input, encrypted, decrypted;
    input.Write(Pattern(2500));
    EXPECT_TRUE(rc4()->EncryptFile(input.Handle(), 0, ~0ull, encrypted.Handle(), nullptr));
    EXPECT_EQ(rc4()->BlockLength(), 8u);
    encrypted.Seek(0);
    EXPECT_TRUE(rc4()->DecryptFile(encrypted.Handle(), 0, ~0ull, decrypted.Handle(), nullptr));
    EXPECT_TRUE(decrypted.Contents().Equals(Pattern(2500)));
}
