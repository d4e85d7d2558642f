#include "TestHelpers.h"

#include "crypto/AesInstructions.h"

using namespace CryptoTest;

// FIPS-197 Appendix C: the example vectors for the three key sizes.
TEST(Aes, Fips197KnownAnswers)
{
    const std::string plain = "00112233445566778899aabbccddeeff";
    struct Case
    {
        const char* key;
        unsigned rounds;
        const char* cipher;
    } cases[] = {
        {"000102030405060708090a0b0c0d0e0f", 10, "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {"000102030405060708090a0b0c0d0e0f1011121314151617", 12, "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", 14, "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (const Case& c : cases)
    {
        const MemoryPH<unsigned char> key = FromHex(c.key);
        const unsigned bits = static_cast<unsigned>(key.GetCount() * 8);
        std::uint32_t encryption[60], decryption[60];
        EXPECT_EQ(AesExpandEncryptionKey(encryption, key.GetData(), bits), c.rounds);
        EXPECT_EQ(AesExpandDecryptionKey(decryption, key.GetData(), bits), c.rounds);
        MemoryPH<unsigned char> out(16), back(16);
        AesEncryptBlock(encryption, c.rounds, FromHex(plain).GetData(), out.GetData());
        EXPECT_EQ(ToHex(out), c.cipher) << bits;
        AesDecryptBlock(decryption, c.rounds, out.GetData(), back.GetData());
        EXPECT_EQ(ToHex(back), plain) << bits;
    }
}

// FIPS-197 Appendix A.3: the last words of the AES-256 key expansion.
TEST(Aes, Fips197KeyExpansion)
{
    std::uint32_t words[60];
    AesExpandEncryptionKey(words, FromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4").GetData());
    EXPECT_EQ(words[8], 0x9ba35411u);
    EXPECT_EQ(words[59], 0x706c631eu);
}

const char* EngineName(AesEngine engine)
{
    return engine == AesEngine::LookupTables ? "LookupTables" : "ProcessorInstructions";
}

// How GoogleTest names an engine in its messages.
void PrintTo(AesEngine engine, std::ostream* out) { *out << EngineName(engine); }

// The tests of AesCipher run once with each engine; the processor's
// instructions are skipped on a processor without them.
class AesEngines : public testing::TestWithParam<AesEngine>
{
protected:
    void SetUp() override
    {
        if (GetParam() == AesEngine::ProcessorInstructions && !ProcessorHasAesInstructions())
            GTEST_SKIP() << "this processor has no AES instructions";
    }

    AesCipher Cipher(const std::string& keyHex, const std::string& ivHex) const
    {
        return AesCipher(FromHex(keyHex), FromHex(ivHex), GetParam());
    }
};

INSTANTIATE_TEST_SUITE_P(Engine, AesEngines,
                         testing::Values(AesEngine::LookupTables, AesEngine::ProcessorInstructions),
                         [](const testing::TestParamInfo<AesEngine>& info) { return EngineName(info.param); });

// FIPS-197 Appendix C through the cipher: one block under CBC with an IV of
// zeros is the block cipher itself.
TEST_P(AesEngines, Fips197KnownAnswers)
{
    const std::string plain = "00112233445566778899aabbccddeeff", zeros(32, '0');
    const struct
    {
        const char* key;
        const char* cipher;
    } cases[] = {
        {"000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {"000102030405060708090a0b0c0d0e0f1011121314151617", "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (const auto& c : cases)
    {
        const AesCipher cipher = Cipher(c.key, zeros);
        EXPECT_EQ(cipher.GetEngine(), GetParam());
        MemoryPH<unsigned char> encrypted, decrypted;
        cipher.EncryptCbc(FromHex(plain), encrypted);
        EXPECT_EQ(ToHex(encrypted).substr(0, 32), c.cipher) << c.key;
        cipher.DecryptCbc(FromHex(c.cipher), decrypted, false);
        EXPECT_EQ(ToHex(decrypted), plain) << c.key;
    }
}

// SP 800-38A F.2.1 / F.2.2 (AES-128) and F.2.5 / F.2.6 (AES-256): CBC over
// four blocks. Our CBC always pads, so the fifth block is the padding.
TEST_P(AesEngines, Sp80038aCbcVectors)
{
    const std::string plain = "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                              "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
    const std::string iv = "000102030405060708090a0b0c0d0e0f";
    struct Case
    {
        const char* key;
        const char* cipher;
    } cases[] = {
        {"2b7e151628aed2a6abf7158809cf4f3c",
         "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
         "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7"},
        {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4",
         "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
         "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b"},
    };
    for (const Case& c : cases)
    {
        const AesCipher cipher = Cipher(c.key, iv);
        MemoryPH<unsigned char> encrypted, decrypted;
        cipher.EncryptCbc(FromHex(plain), encrypted);
        ASSERT_EQ(encrypted.GetCount(), 80u);
        EXPECT_EQ(ToHex(encrypted).substr(0, 128), c.cipher);
        cipher.DecryptCbc(FromHex(c.cipher), decrypted, false);
        EXPECT_EQ(ToHex(decrypted), plain);
        cipher.DecryptCbc(encrypted, decrypted, true);
        EXPECT_EQ(ToHex(decrypted), plain);
    }
}

TEST_P(AesEngines, PaddingSizesAndRoundTrips)
{
    const AesCipher cipher =
        Cipher("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", "000102030405060708090a0b0c0d0e0f");
    const struct
    {
        unsigned plain, cipher;
    } sizes[] = {{0, 16}, {1, 16}, {15, 16}, {16, 32}, {17, 32}, {100, 112}, {1000, 1008}};
    for (const auto& size : sizes)
    {
        MemoryPH<unsigned char> plain(size.plain), encrypted, decrypted;
        for (unsigned i = 0; i < size.plain; ++i)
            plain[i] = static_cast<unsigned char>(i * 31 + 5);
        cipher.EncryptCbc(plain, encrypted);
        EXPECT_EQ(encrypted.GetCount(), size.cipher) << size.plain;
        cipher.DecryptCbc(encrypted, decrypted, true);
        EXPECT_TRUE(decrypted.Equals(plain)) << size.plain;
        // Calls do not chain: the same input gives the same output again.
        MemoryPH<unsigned char> again;
        cipher.EncryptCbc(plain, again);
        EXPECT_TRUE(again.Equals(encrypted));
    }

    // An empty plaintext is one block of sixteen 0x10.
    MemoryPH<unsigned char> encrypted, decrypted;
    cipher.EncryptCbc(MemoryPH<unsigned char>(0), encrypted);
    cipher.DecryptCbc(encrypted, decrypted, false);
    EXPECT_EQ(ToHex(decrypted), "10101010101010101010101010101010");
}

TEST_P(AesEngines, DecryptRefusesPartialBlocksAndTakesNothing)
{
    const AesCipher cipher = Cipher("000102030405060708090a0b0c0d0e0f", "000102030405060708090a0b0c0d0e0f");
    MemoryPH<unsigned char> out = Bytes("kept");
    EXPECT_EQ(CryptCode([&] { cipher.DecryptCbc(MemoryPH<unsigned char>(15), out, true); }), 11u);
    EXPECT_EQ(out.GetCount(), 4u);
    cipher.DecryptCbc(MemoryPH<unsigned char>(0), out, true);
    EXPECT_TRUE(out.IsEmpty());
}

// Data from outside may end in anything: only a pad of 1 to 16 equal bytes,
// no longer than the data, is taken off.
TEST_P(AesEngines, StripRefusesMalformedPadding)
{
    const AesCipher cipher = Cipher("000102030405060708090a0b0c0d0e0f", "0f0e0d0c0b0a09080706050403020100");
    // The cipher text of exactly the given blocks: EncryptCbc adds one block
    // of padding, which is dropped.
    auto cipherOf = [&](const std::string& hex) {
        MemoryPH<unsigned char> encrypted;
        cipher.EncryptCbc(FromHex(hex), encrypted);
        encrypted.SetCount(encrypted.GetCount() - 16);
        return encrypted;
    };
    const struct
    {
        const char* plain;
        int kept; // -1: refused
    } cases[] = {
        {"000102030405060708090a0b0c0d0e01", 15},
        {"0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f", 17},
        {"10101010101010101010101010101010", 0},
        {"00000000000000000000000000000000", -1},
        {"11111111111111111111111111111111", -1},
        {"20202020202020202020202020202020" "20202020202020202020202020202020", -1},
        {"0001020304050607080904030303ff03", -1},
        {"00010203040506070809040303030303", 13},
        {"000102030405060708090a0b0c0d0eff", -1},
    };
    for (const auto& c : cases)
    {
        MemoryPH<unsigned char> out;
        const unsigned code = CryptCode([&] { cipher.DecryptCbc(cipherOf(c.plain), out, true); });
        if (c.kept < 0)
        {
            EXPECT_EQ(code, 17u) << c.plain;
            EXPECT_TRUE(out.IsEmpty()) << c.plain;
        }
        else
        {
            EXPECT_EQ(code, 0u) << c.plain;
            EXPECT_EQ(out.GetCount(), static_cast<unsigned>(c.kept)) << c.plain;
        }
    }
}

// Decryption of many blocks (the instructions take several at a time) from
// the SP 800-38A F.2.6 vector alone: its four cipher blocks C1..C4 repeated
// decrypt to P1..P4 and then, for every later C1, to P1 ^ IV ^ C4 (the
// block cipher's output for C1 is P1 ^ IV). Also in place.
TEST_P(AesEngines, DecryptsLongInputsBlockByBlock)
{
    const std::string iv = "000102030405060708090a0b0c0d0e0f";
    const std::string p[4] = {"6bc1bee22e409f96e93d7e117393172a", "ae2d8a571e03ac9c9eb76fac45af8e51",
                              "30c81c46a35ce411e5fbc1191a0a52ef", "f69f2445df4f9b17ad2b417be66c3710"};
    const std::string c[4] = {"f58c4c04d6e5f1ba779eabfb5f7bfbd6", "9cfc4e967edb808d679f777bc6702c7d",
                              "39f23369a9d9bacfa530e26304231461", "b2eb05e2c39be9fcda6c19078c6a9d1b"};
    const MemoryPH<unsigned char> p1 = FromHex(p[0]), ivBytes = FromHex(iv), c4 = FromHex(c[3]);
    MemoryPH<unsigned char> p1Again(16);
    for (unsigned i = 0; i < 16; ++i)
        p1Again[i] = p1[i] ^ ivBytes[i] ^ c4[i];
    const AesCipher cipher = Cipher("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", iv);
    for (unsigned blocks : {5u, 8u, 9u, 15u, 16u, 17u, 23u, 64u, 67u})
    {
        std::string cipherText, expected;
        for (unsigned b = 0; b < blocks; ++b)
        {
            cipherText += c[b % 4];
            expected += b % 4 == 0 && b > 0 ? ToHex(p1Again) : p[b % 4];
        }
        MemoryPH<unsigned char> decrypted;
        cipher.DecryptCbc(FromHex(cipherText), decrypted, false);
        EXPECT_EQ(ToHex(decrypted), expected) << blocks;
        MemoryPH<unsigned char> inPlace = FromHex(cipherText);
        cipher.DecryptCbc(inPlace, inPlace, false);
        EXPECT_EQ(ToHex(inPlace), expected) << blocks << " in place";
    }
}

TEST(FoldDigest, PairsThenTail)
{
    MemoryPH<unsigned char> digest(64);
    for (unsigned i = 0; i < 64; ++i)
        digest[i] = static_cast<unsigned char>(i * 37 + 11);
    auto fold = [&](unsigned length, unsigned target) {
        return ToVector(*FoldDigest(ShellMemory<unsigned char>(digest.GetData(), length), target));
    };

    const std::vector<unsigned char> to32 = fold(64, 32);
    ASSERT_EQ(to32.size(), 32u);
    for (unsigned j = 0; j < 32; ++j)
        EXPECT_EQ(to32[j], digest[2 * j] ^ digest[2 * j + 1]);

    const std::vector<unsigned char> to16 = fold(64, 16);
    ASSERT_EQ(to16.size(), 16u);
    for (unsigned j = 0; j < 16; ++j)
        EXPECT_EQ(to16[j], to32[2 * j] ^ to32[2 * j + 1]);

    const std::vector<unsigned char> same = fold(32, 32);
    EXPECT_EQ(same, std::vector<unsigned char>(digest.GetData(), digest.GetData() + 32));

    const std::vector<unsigned char> from48 = fold(48, 32);
    ASSERT_EQ(from48.size(), 32u);
    for (unsigned j = 0; j < 16; ++j)
        EXPECT_EQ(from48[j], digest[2 * j] ^ digest[2 * j + 1]);
    for (unsigned j = 16; j < 32; ++j)
        EXPECT_EQ(from48[j], digest[j + 16]);
}

TEST(AesCipher, DerivationIsRepeatableAndConsumesTheSecret)
{
    MAAuthenticator sha512 = MakeHasher(CALG_SHA_512);
    MemoryPH<unsigned char> first = Bytes("a secret of some length"), second = Bytes("a secret of some length");
    AesCipher a(sha512, first), b(sha512, second);
    EXPECT_EQ(a.GetKey().GetCount(), 32u);
    EXPECT_EQ(a.GetIv().GetCount(), 16u);
    EXPECT_TRUE(a.GetKey().Equals(b.GetKey()));
    EXPECT_TRUE(a.GetIv().Equals(b.GetIv()));
    // The secret now holds the first digest, 64 bytes.
    EXPECT_EQ(first.GetCount(), 64u);
    EXPECT_TRUE(first.Equals(second));

    MemoryPH<unsigned char> other = Bytes("a secret of some lengtH");
    AesCipher c(sha512, other);
    EXPECT_FALSE(c.GetKey().Equals(a.GetKey()));
}

TEST(AesCipher, RefusesShortSecretsAndShortDigests)
{
    MAAuthenticator sha512 = MakeHasher(CALG_SHA_512), md5 = MakeHasher(CALG_MD5);
    MemoryPH<unsigned char> four = Bytes("four"), five = Bytes("fives"), longer = Bytes("long enough");
    EXPECT_EQ(CryptCode([&] { AesCipher cipher(sha512, four); }), 11u);
    EXPECT_EQ(CryptCode([&] { AesCipher cipher(sha512, five); }), 0u);
    EXPECT_EQ(CryptCode([&] { AesCipher cipher(md5, longer); }), 16u);
    EXPECT_EQ(CryptCode([&] { AesCipher cipher(FromHex("0011"), FromHex("000102030405060708090a0b0c0d0e0f")); }),
              11u);
    EXPECT_EQ(CryptCode([&] { AesCipher cipher(FromHex("000102030405060708090a0b0c0d0e0f"), FromHex("00")); }),
              14u);
}
