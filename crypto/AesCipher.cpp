#include "crypto/AesCipher.h"

#include "crypto/AesInstructions.h"

#include <cmath>
#include <cstring>

namespace
{
using std::uint32_t;
using std::uint8_t;

// ---- tables -------------------------------------------------------------------
// The S-box, its inverse and the four round tables of each direction, built
// by the compiler from the field arithmetic of the standard.

constexpr uint8_t XTime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

constexpr uint8_t Multiply(uint8_t a, uint8_t b)
{
    uint8_t product = 0;
    for (; b; b >>= 1)
    {
        if (b & 1)
            product ^= a;
        a = XTime(a);
    }
    return product;
}

constexpr uint8_t RotateByte(uint8_t x, int n) { return static_cast<uint8_t>((x << n) | (x >> (8 - n))); }

constexpr uint32_t RotateRight(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

struct Tables
{
    uint8_t sbox[256];
    uint8_t inverse[256];
    uint32_t encrypt[4][256];
    uint32_t decrypt[4][256];
};

constexpr Tables MakeTables()
{
    Tables t{};
    for (int x = 0; x < 256; ++x)
    {
        // Multiplicative inverse (0 for 0), then the affine map.
        uint8_t inverse = 0;
        for (int y = 1; y < 256 && x != 0; ++y)
            if (Multiply(static_cast<uint8_t>(x), static_cast<uint8_t>(y)) == 1)
            {
                inverse = static_cast<uint8_t>(y);
                break;
            }
        const uint8_t s = static_cast<uint8_t>(inverse ^ RotateByte(inverse, 1) ^ RotateByte(inverse, 2) ^
                                               RotateByte(inverse, 3) ^ RotateByte(inverse, 4) ^ 0x63);
        t.sbox[x] = s;
        t.inverse[s] = static_cast<uint8_t>(x);
    }
    for (int x = 0; x < 256; ++x)
    {
        const uint8_t s = t.sbox[x], i = t.inverse[x];
        const uint32_t e = static_cast<uint32_t>(Multiply(s, 2)) << 24 | static_cast<uint32_t>(s) << 16 |
                           static_cast<uint32_t>(s) << 8 | Multiply(s, 3);
        const uint32_t d = static_cast<uint32_t>(Multiply(i, 14)) << 24 | static_cast<uint32_t>(Multiply(i, 9)) << 16 |
                           static_cast<uint32_t>(Multiply(i, 13)) << 8 | Multiply(i, 11);
        for (int k = 0; k < 4; ++k)
        {
            t.encrypt[k][x] = k ? RotateRight(e, 8 * k) : e;
            t.decrypt[k][x] = k ? RotateRight(d, 8 * k) : d;
        }
    }
    return t;
}

alignas(64) constexpr Tables Aes = MakeTables();

constexpr const uint32_t* Te0 = Aes.encrypt[0];
constexpr const uint32_t* Te1 = Aes.encrypt[1];
constexpr const uint32_t* Te2 = Aes.encrypt[2];
constexpr const uint32_t* Te3 = Aes.encrypt[3];
constexpr const uint32_t* Td0 = Aes.decrypt[0];
constexpr const uint32_t* Td1 = Aes.decrypt[1];
constexpr const uint32_t* Td2 = Aes.decrypt[2];
constexpr const uint32_t* Td3 = Aes.decrypt[3];
constexpr const uint8_t* Sbox = Aes.sbox;
constexpr const uint8_t* InvSbox = Aes.inverse;

inline uint32_t LoadBig(const unsigned char* p)
{
    uint32_t w;
    std::memcpy(&w, p, 4);
    return __builtin_bswap32(w);
}

inline void StoreBig(unsigned char* p, uint32_t w)
{
    w = __builtin_bswap32(w);
    std::memcpy(p, &w, 4);
}

inline uint32_t B0(uint32_t w) { return w >> 24; }
inline uint32_t B1(uint32_t w) { return (w >> 16) & 0xFF; }
inline uint32_t B2(uint32_t w) { return (w >> 8) & 0xFF; }
inline uint32_t B3(uint32_t w) { return w & 0xFF; }

inline uint32_t SubWord(uint32_t w)
{
    return static_cast<uint32_t>(Sbox[B0(w)]) << 24 | static_cast<uint32_t>(Sbox[B1(w)]) << 16 |
           static_cast<uint32_t>(Sbox[B2(w)]) << 8 | Sbox[B3(w)];
}

// ---- block operations on four words ------------------------------------------

struct State
{
    uint32_t s0, s1, s2, s3;
};

inline State EncryptWords(const uint32_t* rk, unsigned rounds, State in)
{
    uint32_t s0 = in.s0 ^ rk[0], s1 = in.s1 ^ rk[1], s2 = in.s2 ^ rk[2], s3 = in.s3 ^ rk[3];
    for (unsigned r = 1; r < rounds; ++r)
    {
        rk += 4;
        const uint32_t t0 = Te0[B0(s0)] ^ Te1[B1(s1)] ^ Te2[B2(s2)] ^ Te3[B3(s3)] ^ rk[0];
        const uint32_t t1 = Te0[B0(s1)] ^ Te1[B1(s2)] ^ Te2[B2(s3)] ^ Te3[B3(s0)] ^ rk[1];
        const uint32_t t2 = Te0[B0(s2)] ^ Te1[B1(s3)] ^ Te2[B2(s0)] ^ Te3[B3(s1)] ^ rk[2];
        const uint32_t t3 = Te0[B0(s3)] ^ Te1[B1(s0)] ^ Te2[B2(s1)] ^ Te3[B3(s2)] ^ rk[3];
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    rk += 4;
    auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t k) {
        return (static_cast<uint32_t>(Sbox[B0(a)]) << 24 | static_cast<uint32_t>(Sbox[B1(b)]) << 16 |
                static_cast<uint32_t>(Sbox[B2(c)]) << 8 | Sbox[B3(d)]) ^ k;
    };
    return State{last(s0, s1, s2, s3, rk[0]), last(s1, s2, s3, s0, rk[1]), last(s2, s3, s0, s1, rk[2]),
                 last(s3, s0, s1, s2, rk[3])};
}

inline State DecryptWords(const uint32_t* rk, unsigned rounds, State in)
{
    uint32_t s0 = in.s0 ^ rk[0], s1 = in.s1 ^ rk[1], s2 = in.s2 ^ rk[2], s3 = in.s3 ^ rk[3];
    for (unsigned r = 1; r < rounds; ++r)
    {
        rk += 4;
        const uint32_t t0 = Td0[B0(s0)] ^ Td1[B1(s3)] ^ Td2[B2(s2)] ^ Td3[B3(s1)] ^ rk[0];
        const uint32_t t1 = Td0[B0(s1)] ^ Td1[B1(s0)] ^ Td2[B2(s3)] ^ Td3[B3(s2)] ^ rk[1];
        const uint32_t t2 = Td0[B0(s2)] ^ Td1[B1(s1)] ^ Td2[B2(s0)] ^ Td3[B3(s3)] ^ rk[2];
        const uint32_t t3 = Td0[B0(s3)] ^ Td1[B1(s2)] ^ Td2[B2(s1)] ^ Td3[B3(s0)] ^ rk[3];
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    rk += 4;
    auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t k) {
        return (static_cast<uint32_t>(InvSbox[B0(a)]) << 24 | static_cast<uint32_t>(InvSbox[B1(b)]) << 16 |
                static_cast<uint32_t>(InvSbox[B2(c)]) << 8 | InvSbox[B3(d)]) ^ k;
    };
    return State{last(s0, s3, s2, s1, rk[0]), last(s1, s0, s3, s2, rk[1]), last(s2, s1, s0, s3, rk[2]),
                 last(s3, s2, s1, s0, rk[3])};
}

inline State Load(const unsigned char* p) { return State{LoadBig(p), LoadBig(p + 4), LoadBig(p + 8), LoadBig(p + 12)}; }

inline void Store(unsigned char* p, State s)
{
    StoreBig(p, s.s0);
    StoreBig(p + 4, s.s1);
    StoreBig(p + 8, s.s2);
    StoreBig(p + 12, s.s3);
}

inline State Xor(State a, State b) { return State{a.s0 ^ b.s0, a.s1 ^ b.s1, a.s2 ^ b.s2, a.s3 ^ b.s3}; }

// ---- key derivation helpers ----------------------------------------------------

// The first non-zero byte from index on, or 165.
unsigned char FirstNonZero(const MAtom<unsigned char>& bytes, unsigned __int64 index)
{
    for (; index < bytes.GetCount(); ++index)
        if (bytes[index])
            return bytes[index];
    return 165;
}

// A byte from sin or cos of b scaled to a quarter turn.
unsigned char CurveByte(unsigned char b, bool useSine)
{
    const double x = b / 255.0 * 1.570796326795;
    const double y = std::fabs(useSine ? std::sin(x) : std::cos(x));
    return static_cast<unsigned char>(static_cast<int>(y * 255.0) & 0xFF);
}
}

// ---- schedules and blocks ----------------------------------------------------------

unsigned AesExpandEncryptionKey(uint32_t* rk, const unsigned char* key, unsigned keyBits)
{
    const unsigned nk = keyBits / 32, rounds = nk + 6, words = 4 * (rounds + 1);
    for (unsigned i = 0; i < nk; ++i)
        rk[i] = LoadBig(key + 4 * i);
    uint32_t rcon = 0x01;
    for (unsigned i = nk; i < words; ++i)
    {
        uint32_t temp = rk[i - 1];
        if (i % nk == 0)
        {
            temp = SubWord(temp << 8 | temp >> 24) ^ rcon << 24;
            rcon = XTime(static_cast<uint8_t>(rcon));
        }
        else if (nk > 6 && i % nk == 4)
            temp = SubWord(temp);
        rk[i] = rk[i - nk] ^ temp;
    }
    return rounds;
}

unsigned AesExpandDecryptionKey(uint32_t* rk, const unsigned char* key, unsigned keyBits)
{
    const unsigned rounds = AesExpandEncryptionKey(rk, key, keyBits);
    for (unsigned i = 0, j = 4 * rounds; i < j; i += 4, j -= 4)
        for (unsigned k = 0; k < 4; ++k)
        {
            const uint32_t w = rk[i + k];
            rk[i + k] = rk[j + k];
            rk[j + k] = w;
        }
    // InvMixColumns of the inner round keys, through the tables: Td[S[x]]
    // is InvMixColumns of a column holding x.
    for (unsigned i = 4; i < 4 * rounds; ++i)
    {
        const uint32_t w = rk[i];
        rk[i] = Td0[Sbox[B0(w)]] ^ Td1[Sbox[B1(w)]] ^ Td2[Sbox[B2(w)]] ^ Td3[Sbox[B3(w)]];
    }
    return rounds;
}

void AesEncryptBlock(const uint32_t* roundKeys, unsigned rounds, const unsigned char* input, unsigned char* output)
{
    Store(output, EncryptWords(roundKeys, rounds, Load(input)));
}

void AesDecryptBlock(const uint32_t* roundKeys, unsigned rounds, const unsigned char* input, unsigned char* output)
{
    Store(output, DecryptWords(roundKeys, rounds, Load(input)));
}

// ---- digest folding --------------------------------------------------------------

MSmartPtr<SecureBytes> FoldDigest(const ShellMemory<unsigned char>& digest, unsigned __int64 target)
{
    const unsigned __int64 n = digest.GetCount();
    const unsigned __int64 m = n / 2 > target ? n / 2 : target;
    MSmartPtr<SecureBytes> folded(new SecureBytes(m));
    unsigned __int64 r = 0;
    for (unsigned __int64 j = 0; j < m; ++j)
    {
        if (n - r != m - j)
        {
            (*folded)[j] = digest[r] ^ digest[r + 1];
            r += 2;
        }
        else
            (*folded)[j] = digest[r++];
    }
    if (m > target)
        return FoldDigest(folded->View(), target);
    return folded;
}

// ---- AesCipher ---------------------------------------------------------------------

AesEngine FastestAesEngine()
{
    return ProcessorHasAesInstructions() ? AesEngine::ProcessorInstructions : AesEngine::LookupTables;
}

AesCipher::AesCipher(const MAAuthenticator& hasher, MAtom<unsigned char>& secret, AesEngine engine)
{
    ChooseEngine(engine);
    const unsigned __int64 n = secret.GetCount();
    if (n < 5)
        throw MCryptException(11);

    // First perturbation, then the first digest, which replaces the secret.
    unsigned char b = secret[n / 2 - 2];
    if (b == 0)
        b = FirstNonZero(secret, 2);
    unsigned char v = CurveByte(b, secret[4] < 128);
    if (v == 0)
        v = FirstNonZero(secret, 3);
    secret[0] ^= v;
    {
        SecureBytes first;
        hasher.Hash(secret, first, false);
        if (first.GetCount() < 32)
            throw MCryptException(16);
        secret.Resize(first.GetCount());
        secret.CopyFrom(first);
    }
    m_key.AssignSecure(*FoldDigest(secret.View(), 32));

    // Second perturbation on the first digest; the IV folds the reversed
    // digest of the result.
    const unsigned __int64 m = secret.GetCount();
    b = secret[m / 2 + 2];
    if (b == 0)
        b = FirstNonZero(secret, 2);
    v = CurveByte(b, secret[4] > 96);
    if (v == 0)
        v = FirstNonZero(secret, 7);
    secret[1] ^= v;
    SecureBytes second;
    hasher.Hash(secret, second, true);
    m_iv.AssignSecure(*FoldDigest(second.View(), 16));

    BuildSchedules();
}

AesCipher::AesCipher(const MAtom<unsigned char>& key, const MAtom<unsigned char>& iv, AesEngine engine)
{
    ChooseEngine(engine);
    if (key.GetCount() != 16 && key.GetCount() != 24 && key.GetCount() != 32)
        throw MCryptException(11);
    if (iv.GetCount() != 16)
        throw MCryptException(14);
    m_key.AssignSecure(key);
    m_iv.AssignSecure(iv);
    BuildSchedules();
}

void AesCipher::ChooseEngine(AesEngine engine)
{
    m_engine = engine == AesEngine::ProcessorInstructions && !ProcessorHasAesInstructions() ? AesEngine::LookupTables
                                                                                             : engine;
}

void AesCipher::BuildSchedules()
{
    const unsigned keyBits = static_cast<unsigned>(m_key.GetCount() * 8);
    m_encryptionKeys.Resize(60);
    m_decryptionKeys.Resize(60);
    m_encryptionRounds = AesExpandEncryptionKey(m_encryptionKeys.GetData(), m_key.GetData(), keyBits);
    m_decryptionRounds = AesExpandDecryptionKey(m_decryptionKeys.GetData(), m_key.GetData(), keyBits);
}

void AesCipher::EncryptCbc(const MAtom<unsigned char>& input, MAtom<unsigned char>& output) const
{
    const unsigned __int64 n = input.GetCount(), blocks = n / 16 + 1;
    output.Resize(blocks * 16);
    const uint32_t* rk = m_encryptionKeys.GetData();
    const unsigned char* in = input.GetData();
    unsigned char* out = output.GetData();
    // The last block: what is left, filled with the pad value (16 - left).
    unsigned char last[16];
    const unsigned left = static_cast<unsigned>(n % 16);
    if (left)
        std::memcpy(last, in + (blocks - 1) * 16, left);
    std::memset(last + left, static_cast<int>(16 - left), 16 - left);
    if (m_engine == AesEngine::ProcessorInstructions)
    {
        unsigned char previous[16];
        std::memcpy(previous, m_iv.GetData(), 16);
        AesInstructionsEncryptCbc(rk, m_encryptionRounds, previous, in, out, static_cast<size_t>(blocks - 1));
        AesInstructionsEncryptCbc(rk, m_encryptionRounds, previous, last, out + (blocks - 1) * 16, 1);
    }
    else
    {
        State previous = Load(m_iv.GetData());
        for (unsigned __int64 i = 0; i + 1 < blocks; ++i, in += 16, out += 16)
        {
            previous = EncryptWords(rk, m_encryptionRounds, Xor(Load(in), previous));
            Store(out, previous);
        }
        Store(out, EncryptWords(rk, m_encryptionRounds, Xor(Load(last), previous)));
    }
    AtomDetail::SecureZero(last, sizeof(last));
}

void AesCipher::DecryptCbc(const MAtom<unsigned char>& input, MAtom<unsigned char>& output, bool strip) const
{
    const unsigned __int64 n = input.GetCount();
    if (n % 16 != 0)
        throw MCryptException(11);
    output.Resize(n);
    const uint32_t* rk = m_decryptionKeys.GetData();
    const unsigned rounds = m_decryptionRounds;
    const unsigned char* in = input.GetData();
    unsigned char* out = output.GetData();
    if (m_engine == AesEngine::ProcessorInstructions)
        AesInstructionsDecryptCbc(rk, rounds, m_iv.GetData(), in, out, static_cast<size_t>(n / 16));
    else
    {
        State previous = Load(m_iv.GetData());
        for (unsigned __int64 i = 0; i < n; i += 16, in += 16, out += 16)
        {
            const State c = Load(in);
            Store(out, Xor(DecryptWords(rk, rounds, c), previous));
            previous = c;
        }
    }

    if (!strip || n == 0)
        return;
    const unsigned pad = output[n - 1];
    bool valid = pad >= 1 && pad <= 16 && pad <= n;
    for (unsigned k = 1; valid && k <= pad; ++k)
        valid = output[n - k] == pad;
    if (!valid)
    {
        output.Clear();
        throw MCryptException(17);
    }
    output.SetCount(n - pad);
}
