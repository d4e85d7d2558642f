// Throughput of AesCipher's CBC decryption (bench/aes-cbc.sh runs it).
//   aes_cbc_bench.exe [MiB]
// Prints "AesCipher decrypt: <MB/s> MB/s" and "bytes_per_second <n>".
#include "crypto/AesCipher.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const unsigned mib = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 64;
    MemoryPH<unsigned char> key(32), iv(16), plain(static_cast<unsigned __int64>(mib) << 20), cipher, back;
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
    AesCipher aes(key, iv);
    aes.EncryptCbc(plain, cipher);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int run = 0; run < 5; ++run)
    {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        aes.DecryptCbc(cipher, back, true);
        QueryPerformanceCounter(&end);
        const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
        if (seconds < best)
            best = seconds;
    }
    if (!back.Equals(plain))
    {
        std::printf("decryption does not give the plaintext back\n");
        return 1;
    }
    const double bytesPerSecond = cipher.GetCount() / best;
    std::printf("AesCipher decrypt: %.1f MB/s (%u MiB, best of 5)\n", bytesPerSecond / 1e6, mib);
    std::printf("bytes_per_second %.0f\n", bytesPerSecond);
    return 0;
}
