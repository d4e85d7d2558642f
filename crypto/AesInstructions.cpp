#include "crypto/AesInstructions.h"

#include <windows.h>

#include <cpuid.h>
#include <immintrin.h>

namespace
{
constexpr unsigned MaximumRounds = 14;
// Blocks decrypted together: enough to keep the AES units busy while each
// instruction waits for the one before it on the same block.
constexpr std::size_t DecryptGroup = 8;

// CPUID leaf 1, ECX.
constexpr unsigned Sse41Bit = 1u << 19;
constexpr unsigned AesBit = 1u << 25;

// The round keys in registers as the instructions take them: each round
// key is the 16 bytes of its four big-endian words, first byte first.
// Wiped when they go.
class RoundKeys
{
public:
    __attribute__((target("aes,sse4.1"))) RoundKeys(const std::uint32_t* words, unsigned rounds)
    {
        const __m128i wordBytesReversed = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
        for (unsigned r = 0; r <= rounds; ++r)
            m_keys[r] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * r)),
                                         wordBytesReversed);
    }
    RoundKeys(const RoundKeys&) = delete;
    RoundKeys& operator=(const RoundKeys&) = delete;
    ~RoundKeys() { SecureZeroMemory(m_keys, sizeof(m_keys)); }

    const __m128i& operator[](unsigned round) const { return m_keys[round]; }

private:
    __m128i m_keys[MaximumRounds + 1];
};

__attribute__((target("aes,sse4.1"))) inline __m128i Load(const unsigned char* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

__attribute__((target("aes,sse4.1"))) inline void Store(unsigned char* p, __m128i x)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), x);
}
} // namespace

bool ProcessorHasAesInstructions()
{
    static const bool available = [] {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
            return false;
        return (ecx & (AesBit | Sse41Bit)) == (AesBit | Sse41Bit);
    }();
    return available;
}

__attribute__((target("aes,sse4.1"))) void AesInstructionsEncryptCbc(const std::uint32_t* roundKeys, unsigned rounds,
                                                                     unsigned char* previous,
                                                                     const unsigned char* input,
                                                                     unsigned char* output, std::size_t blocks)
{
    const RoundKeys k(roundKeys, rounds);
    __m128i chain = Load(previous);
    for (std::size_t b = 0; b < blocks; ++b, input += 16, output += 16)
    {
        __m128i x = _mm_xor_si128(_mm_xor_si128(Load(input), chain), k[0]);
        for (unsigned r = 1; r < rounds; ++r)
            x = _mm_aesenc_si128(x, k[r]);
        chain = _mm_aesenclast_si128(x, k[rounds]);
        Store(output, chain);
    }
    Store(previous, chain);
}

__attribute__((target("aes,sse4.1"))) void AesInstructionsDecryptCbc(const std::uint32_t* roundKeys, unsigned rounds,
                                                                     const unsigned char* iv,
                                                                     const unsigned char* input,
                                                                     unsigned char* output, std::size_t blocks)
{
    const RoundKeys k(roundKeys, rounds);
    __m128i previous = Load(iv);
    std::size_t b = 0;
    for (; b + DecryptGroup <= blocks; b += DecryptGroup, input += 16 * DecryptGroup, output += 16 * DecryptGroup)
    {
        __m128i x[DecryptGroup];
#pragma GCC unroll 8
        for (std::size_t i = 0; i < DecryptGroup; ++i)
            x[i] = _mm_xor_si128(Load(input + 16 * i), k[0]);
        for (unsigned r = 1; r < rounds; ++r)
        {
            const __m128i key = k[r];
#pragma GCC unroll 8
            for (std::size_t i = 0; i < DecryptGroup; ++i)
                x[i] = _mm_aesdec_si128(x[i], key);
        }
        // Every cipher block of the group is read before the first plain
        // block is written: the output may be the input.
        x[0] = _mm_xor_si128(_mm_aesdeclast_si128(x[0], k[rounds]), previous);
#pragma GCC unroll 8
        for (std::size_t i = 1; i < DecryptGroup; ++i)
            x[i] = _mm_xor_si128(_mm_aesdeclast_si128(x[i], k[rounds]), Load(input + 16 * (i - 1)));
        previous = Load(input + 16 * (DecryptGroup - 1));
#pragma GCC unroll 8
        for (std::size_t i = 0; i < DecryptGroup; ++i)
            Store(output + 16 * i, x[i]);
    }
    for (; b < blocks; ++b, input += 16, output += 16)
    {
        const __m128i cipher = Load(input);
        __m128i x = _mm_xor_si128(cipher, k[0]);
        for (unsigned r = 1; r < rounds; ++r)
            x = _mm_aesdec_si128(x, k[r]);
        Store(output, _mm_xor_si128(_mm_aesdeclast_si128(x, k[rounds]), previous));
        previous = cipher;
    }
}
