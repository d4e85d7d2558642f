#include "foundation/PrimeTableHash.h"

#include <vector>

namespace
{
// The 4,000,000th prime; the sieve runs up to it.
constexpr unsigned LargestTablePrime = 67867967;

std::vector<unsigned> ComputePrimeTable()
{
    std::vector<unsigned> table;
    table.reserve(PrimeTableSize);
    table.push_back(1);
    table.push_back(2);
    // Odd numbers only: bit i stands for 2i + 1.
    const unsigned oddCount = LargestTablePrime / 2 + 1;
    std::vector<bool> composite(oddCount, false);
    for (unsigned i = 1; i < oddCount && table.size() < PrimeTableSize; ++i)
    {
        if (composite[i])
            continue;
        const unsigned prime = 2 * i + 1;
        table.push_back(prime);
        for (unsigned long long multiple = static_cast<unsigned long long>(prime) * prime; multiple <= LargestTablePrime;
             multiple += 2ull * prime)
            composite[static_cast<size_t>(multiple / 2)] = true;
    }
    return table;
}

const std::vector<unsigned>& PrimeTable()
{
    static const std::vector<unsigned> table = ComputePrimeTable();
    return table;
}
}

unsigned PrimeTableEntry(unsigned index)
{
    return PrimeTable().at(index);
}

unsigned __int64 PrimeTableHash(const void* bytes, size_t count)
{
    if (count == 0)
        return 0;
    const std::vector<unsigned>& primes = PrimeTable();
    const auto* b = static_cast<const unsigned char*>(bytes);
    unsigned __int64 sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += static_cast<unsigned>(primes[i % PrimeTableSize] * primes[b[i]]);
    return sum;
}

unsigned __int64 PrimeTableHash(const MAtom<unsigned char>& buffer)
{
    return PrimeTableHash(buffer.GetData(), static_cast<size_t>(buffer.GetCount()));
}

unsigned __int64 PrimeTableHash(const MStringEx<wchar_t>& text)
{
    return PrimeTableHash(text.GetData(), static_cast<size_t>(text.GetCount()) * sizeof(wchar_t));
}
