#include "TestHelpers.h"

#include <memory>

using namespace CryptoTest;

namespace
{
// One 2048-bit key pair for the whole suite: generating one takes a while.
class Rsa : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_client = new MACrypt(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(2048), 0,
                               MACrypt::Chained);
        DWORD size = 0;
        CryptExportKey(s_client->GetKey(), 0, PRIVATEKEYBLOB, 0, nullptr, &size);
        s_privateBlob = new MemoryPH<unsigned char>(size);
        CryptExportKey(s_client->GetKey(), 0, PRIVATEKEYBLOB, 0, s_privateBlob->GetData(), &size);
    }
    static void TearDownTestSuite()
    {
        delete s_client;
        delete s_privateBlob;
    }

    // Another holder of the same key pair with its own padding and chaining.
    static std::unique_ptr<MACrypt> SameKey(DWORD padding, DWORD chaining)
    {
        std::unique_ptr<MACrypt> crypt(
            new MACrypt(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512), padding, chaining));
        crypt->ImportKey(*s_privateBlob);
        return crypt;
    }

    static MemoryPH<unsigned char> Pattern(unsigned bytes)
    {
        MemoryPH<unsigned char> data(bytes);
        for (unsigned i = 0; i < bytes; ++i)
            data[i] = static_cast<unsigned char>(i * 13 + (i >> 8));
        return data;
    }

    static MACrypt* s_client;
    static MemoryPH<unsigned char>* s_privateBlob;
};
MACrypt* Rsa::s_client = nullptr;
MemoryPH<unsigned char>* Rsa::s_privateBlob = nullptr;
}

TEST_F(Rsa, BlockSizesAndRoundTrips)
{
    const struct
    {
        DWORD padding;
        DWORD chaining;
        unsigned plain, cipher;
    } cases[] = {
        {0, MACrypt::Chained, 0, 0},       {0, MACrypt::Chained, 1, 256},     {0, MACrypt::Chained, 245, 256},
        {0, MACrypt::Chained, 490, 512},   {0, MACrypt::Chained, 491, 768},   {0, 0, 491, 768},
        {CRYPT_OAEP, MACrypt::Chained, 214, 256}, {CRYPT_OAEP, MACrypt::Chained, 215, 512}, {CRYPT_OAEP, 0, 428, 512},
    };
    for (const auto& c : cases)
    {
        std::unique_ptr<MACrypt> crypt = SameKey(c.padding, c.chaining);
        EXPECT_EQ(crypt->GetKeyLength().Bits(), 2048);
        const MemoryPH<unsigned char> plain = Pattern(c.plain);
        MemoryPH<unsigned char> encrypted, decrypted;
        crypt->EncryptBuffer(plain, encrypted);
        EXPECT_EQ(encrypted.GetCount(), c.cipher) << c.plain;
        EXPECT_TRUE(crypt->DecryptBuffer(encrypted, decrypted, nullptr));
        EXPECT_TRUE(decrypted.Equals(plain)) << c.plain;
    }
}

TEST_F(Rsa, ChainingStartsFromTheSeedOfThePublicKey)
{
    std::unique_ptr<MACrypt> chained = SameKey(0, MACrypt::Chained), plainBlocks = SameKey(0, 0);
    const MemoryPH<unsigned char> message = Pattern(300);
    MemoryPH<unsigned char> encrypted, decrypted;
    chained->EncryptBuffer(message, encrypted);
    EXPECT_TRUE(plainBlocks->DecryptBuffer(encrypted, decrypted, nullptr));
    ASSERT_EQ(decrypted.GetCount(), 300u);

    // Without chaining the first chunk comes out XORed with the seed, the
    // second with the first cipher block.
    const SecureBytes seed = chained->ChainSeed();
    ASSERT_EQ(seed.GetCount(), 256u);
    for (unsigned i = 0; i < 245; ++i)
        ASSERT_EQ(decrypted[i] ^ seed[i], message[i]) << i;
    for (unsigned i = 245; i < 300; ++i)
        ASSERT_EQ(decrypted[i] ^ encrypted[i - 245], message[i]) << i;
    // The seed repeats the 20-byte SHA-1 digest of the public key blob.
    for (unsigned i = 20; i < 256; ++i)
        ASSERT_EQ(seed[i], seed[i % 20]);
}

TEST_F(Rsa, BadPaddingFlagsAreRefusedBeforeAnyOutput)
{
    std::unique_ptr<MACrypt> crypt = SameKey(3, MACrypt::Chained);
    MemoryPH<unsigned char> out = Bytes("kept");
    EXPECT_EQ(CryptCode([&] { crypt->EncryptBuffer(Pattern(10), out); }), 15u);
    EXPECT_EQ(out.GetCount(), 4u);

    TempFile input, output;
    input.Write(Pattern(10));
    EXPECT_EQ(CryptCode([&] { crypt->EncryptFile(input.Handle(), 0, 10, output.Handle(), nullptr); }), 15u);
    EXPECT_TRUE(output.Contents().IsEmpty());
}

// A stop event is only polled; when it is found set, no part of the
// plaintext is handed out.
TEST_F(Rsa, DecryptBufferReportsAStop)
{
    std::unique_ptr<MACrypt> crypt = SameKey(0, MACrypt::Chained);
    MemoryPH<unsigned char> encrypted, decrypted = Bytes("old contents");
    crypt->EncryptBuffer(Pattern(245 * 20), encrypted);
    HANDLE stop = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_FALSE(crypt->DecryptBuffer(encrypted, decrypted, stop));
    EXPECT_TRUE(decrypted.IsEmpty());

    // Fewer than 16 blocks: the stop is seen after the last.
    MemoryPH<unsigned char> few;
    crypt->EncryptBuffer(Pattern(245 * 2), encrypted);
    EXPECT_FALSE(crypt->DecryptBuffer(encrypted, few, stop));
    EXPECT_TRUE(few.IsEmpty());

    ResetEvent(stop);
    EXPECT_TRUE(crypt->DecryptBuffer(encrypted, few, stop));
    EXPECT_TRUE(few.Equals(Pattern(245 * 2)));
    CloseHandle(stop);
}

TEST_F(Rsa, FilesRoundTripAndTurnTheBlocks)
{
    std::unique_ptr<MACrypt> crypt = SameKey(0, MACrypt::Chained);
    const MemoryPH<unsigned char> plain = Pattern(600);
    TempFile input, encrypted, bigEndianBack, littleEndianBack, littleEndianFile;
    input.Write(plain);
    input.Seek(7);

    // The range 100..700 is cut at the end of the file: 500 bytes, 3 blocks.
    EXPECT_TRUE(crypt->EncryptFile(input.Handle(), 100, 700, encrypted.Handle(), nullptr));
    EXPECT_EQ(input.Position(), 7u);
    const MemoryPH<unsigned char> cipher = encrypted.Contents();
    ASSERT_EQ(cipher.GetCount(), 768u);

    EXPECT_TRUE(crypt->DecryptFile(encrypted.Handle(), 0, ~0ull, bigEndianBack.Handle(), nullptr));
    EXPECT_EQ(ToHex(bigEndianBack.Contents()), ToHex(plain).substr(200));

    // Read as CryptoAPI's order, the blocks are turned the wrong way round.
    const unsigned code = CryptCode([&] {
        crypt->DecryptFile(encrypted.Handle(), 0, ~0ull, littleEndianBack.Handle(), true, nullptr);
    });
    EXPECT_FALSE(code == 0 && ToHex(littleEndianBack.Contents()) == ToHex(plain).substr(200));

    // Both sides in CryptoAPI's order.
    EXPECT_TRUE(crypt->EncryptFile(input.Handle(), 0, 600, littleEndianFile.Handle(), true, nullptr));
    TempFile back;
    littleEndianFile.Seek(0);
    EXPECT_TRUE(crypt->DecryptFile(littleEndianFile.Handle(), 0, ~0ull, back.Handle(), true, nullptr));
    EXPECT_TRUE(back.Contents().Equals(plain));
}

TEST_F(Rsa, EmptyRangeWritesNothing)
{
    std::unique_ptr<MACrypt> crypt = SameKey(0, MACrypt::Chained);
    TempFile input, output;
    input.Write(Pattern(50));
    EXPECT_TRUE(crypt->EncryptFile(input.Handle(), 60, 80, output.Handle(), nullptr));
    EXPECT_TRUE(crypt->EncryptFile(input.Handle(), 30, 30, output.Handle(), nullptr));
    EXPECT_TRUE(crypt->DecryptFile(input.Handle(), 50, 10, output.Handle(), nullptr));
    EXPECT_TRUE(output.Contents().IsEmpty());
    MemoryPH<unsigned char> none;
    crypt->EncryptBuffer(MemoryPH<unsigned char>(0), none);
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_TRUE(crypt->DecryptBuffer(MemoryPH<unsigned char>(0), none, nullptr));
    EXPECT_TRUE(none.IsEmpty());
}

TEST_F(Rsa, ObserverStopRestoresBothFiles)
{
    std::unique_ptr<MACrypt> crypt = SameKey(0, MACrypt::Chained);
    TempFile input, output;
    input.Write(Pattern(245 * 5));
    input.Seek(3);
    output.Write(Bytes("header"));
    CountingObserver stopAtThird(3);
    EXPECT_FALSE(crypt->EncryptFile(input.Handle(), 0, ~0ull, output.Handle(), &stopAtThird));
    EXPECT_EQ(input.Position(), 3u);
    EXPECT_EQ(output.Position(), 6u);
    ASSERT_EQ(stopAtThird.calls.size(), 3u);
    EXPECT_EQ(stopAtThird.calls[1].reached, 490u);
    EXPECT_EQ(stopAtThird.calls[1].total, 1225u);
    EXPECT_EQ(stopAtThird.calls[1].chunk, 245u);
}

TEST_F(Rsa, ImportChecksTheKeyLength)
{
    MACrypt holder(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512), 0, MACrypt::Chained);
    MACrypt bigger(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(1024), 0, MACrypt::Chained);
    holder.ImportKey(bigger.ExportPublicKey());
    EXPECT_EQ(holder.GetKeyLength().Bits(), 1024);

    // A 384-bit key is below the RSA rules: the key is taken, the length is not.
    HCRYPTKEY small = 0;
    ASSERT_TRUE(CryptGenKey(holder.GetProvider(), CALG_RSA_KEYX, KeyGenFlags(384), &small));
    DWORD size = 0;
    CryptExportKey(small, 0, PUBLICKEYBLOB, 0, nullptr, &size);
    MemoryPH<unsigned char> blob(size);
    CryptExportKey(small, 0, PUBLICKEYBLOB, 0, blob.GetData(), &size);
    CryptDestroyKey(small);
    EXPECT_EQ(CryptCode([&] { holder.ImportKey(blob); }), 8u);
    EXPECT_EQ(holder.GetKeyLength().Bits(), 1024);
    EXPECT_NE(holder.GetKey(), 0u);

    struct Empty : MAsymmetric
    {
        Empty() : MAsymmetric(PROV_RSA_FULL, EnhancedRsaFullProviderName, CryptContextFlags, KeyLength(512)) {}
        void GenerateKey(const KeyLength&) override {}
        void GenerateKey() override {}
    } empty;
    EXPECT_EQ(CryptCode([&] { empty.ExportPublicKey(); }), 10u);
}

TEST(ReverseByteOrder, TurnsBuffersAround)
{
    const struct
    {
        const char* in;
        const char* out;
    } cases[] = {{"", ""}, {"01", "01"}, {"0102", "0201"}, {"010203", "030201"}, {"00ff10ee", "ee10ff00"}};
    for (const auto& c : cases)
    {
        MemoryPH<unsigned char> bytes = FromHex(c.in);
        ReverseByteOrder(bytes);
        EXPECT_EQ(ToHex(bytes), c.out);
    }
}
