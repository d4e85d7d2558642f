// Throughput of AesCipher's CBC decryption on each engine (bench/aes-cbc.sh
// runs it).
//   aes_cbc_bench.exe [MiB]
// Prints "AesCipher decrypt, <engine>: <MB/s> MB/s" and "bytes_per_second
// <engine> <n>" for the lookup tables and, where the processor has them, the
// AES instructions.
#include "crypto/AesCipher.h"
#include "crypto/AesInstructions.h"

#include <cstdio>
#include <cstdlib>

namespace
{
double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The best of five decryptions, in bytes per second; 0 when the result is
// not the plaintext.
double Measure(AesEngine engine, const MemoryPH<unsigned char>& key, const MemoryPH<unsigned char>& iv,
               const MemoryPH<unsigned char>& plain)
{
    const AesCipher aes(key, iv, engine);
    MemoryPH<unsigned char> cipher, back;
    aes.EncryptCbc(plain, cipher);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int run = 0; run < 5; ++run)
    {
        // Without the strip the output keeps its size, so every run after
        // the first writes into memory that is already there, as OpenSSL's
        // speed test does with its own buffer.
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        aes.DecryptCbc(cipher, back, false);
        QueryPerformanceCounter(&end);
        const double seconds = Seconds(start, end, frequency);
        if (seconds < best)
            best = seconds;
    }
    aes.DecryptCbc(cipher, back, true);
    return back.Equals(plain) ? cipher.GetCount() / best : 0;
}
} // namespace

int main(int argc, char** argv)
{
    const unsigned mib = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 64;
    MemoryPH<unsigned char> key(32), iv(16), plain(static_cast<unsigned __int64>(mib) << 20);
    for (unsigned i = 0; i < 32; ++i)
        key[i] = static_cast<unsigned char>(i * 7 + 1);
    for (unsigned i = 0; i < 16; ++i)
        iv[i] = static_cast<unsigned char>(i * 13 + 5);
    unsigned state = 12345;
    for (unsigned __int64 i = 0; i < plain.GetCount(); ++i)
    {
        state = state * 1103515245u + 12345u;
        plain[i] = static_cast<unsigned char>(state >> 16);
    }

    const struct
    {
        AesEngine engine;
        const char* name;
    } engines[] = {{AesEngine::ProcessorInstructions, "instructions"}, {AesEngine::LookupTables, "tables"}};
    for (const auto& e : engines)
    {
        if (e.engine == AesEngine::ProcessorInstructions && !ProcessorHasAesInstructions())
        {
            std::printf("this processor has no AES instructions\n");
            continue;
        }
        const double bytesPerSecond = Measure(e.engine, key, iv, plain);
        if (bytesPerSecond == 0)
        {
            std::printf("decryption with the %s does not give the plaintext back\n", e.name);
            return 1;
        }
        std::printf("AesCipher decrypt, %s: %.1f MB/s (%u MiB, best of 5)\n", e.name, bytesPerSecond / 1e6, mib);
        std::printf("bytes_per_second %s %.0f\n", e.name, bytesPerSecond);
    }
    return 0;
}
