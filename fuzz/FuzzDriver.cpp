// The fuzz driver: for each named target, mutations of its seeds (bit
// flips, byte changes, truncation, extension, splices) are placed so that
// their last byte is the last byte before a PAGE_NOACCESS page: a read past
// the input faults at once. A fault prints the target and the input and
// writes it to fuzz-crash-<target>.bin; the driver then ends with code 1.
//
//   quillory_fuzz [TARGET...] [--runs N] [--seconds S] [--seeds DIR] [--seed R]
#include "fuzz/FuzzTargets.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace
{
// The input being parsed, for the fault handler.
const char* CurrentTarget = "";
std::string CurrentInput;

LONG WINAPI ReportFault(EXCEPTION_POINTERS* info)
{
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    if (code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_STACK_OVERFLOW &&
        code != EXCEPTION_INT_DIVIDE_BY_ZERO && code != EXCEPTION_ILLEGAL_INSTRUCTION &&
        code != EXCEPTION_ARRAY_BOUNDS_EXCEEDED)
        return EXCEPTION_CONTINUE_SEARCH;
    std::fprintf(stderr, "FAULT 0x%08lX in target %s on an input of %zu bytes:\n", code, CurrentTarget,
                 CurrentInput.size());
    for (size_t i = 0; i < CurrentInput.size(); ++i)
        std::fprintf(stderr, "%02X%s", static_cast<unsigned char>(CurrentInput[i]), i % 32 == 31 ? "\n" : "");
    std::fprintf(stderr, "\n");
    const std::string file = std::string("fuzz-crash-") + CurrentTarget + ".bin";
    std::ofstream(file, std::ios::binary).write(CurrentInput.data(), static_cast<std::streamsize>(CurrentInput.size()));
    std::fprintf(stderr, "input written to %s\n", file.c_str());
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_CONTINUE_SEARCH;
}

// A region whose last page cannot be touched; inputs end right before it.
class GuardedBuffer
{
public:
    ~GuardedBuffer() { Free(); }

    const unsigned char* Place(const std::string& input)
    {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const size_t page = system.dwPageSize;
        const size_t needed = (input.size() + page - 1) / page * page + page;
        if (needed > m_size)
        {
            Free();
            m_base = static_cast<unsigned char*>(VirtualAlloc(nullptr, needed, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
            m_size = needed;
            DWORD old = 0;
            VirtualProtect(m_base + needed - page, page, PAGE_NOACCESS, &old);
        }
        unsigned char* start = m_base + (m_size - page) - input.size();
        if (!input.empty())
            std::memcpy(start, input.data(), input.size());
        return start;
    }

private:
    void Free()
    {
        if (m_base)
            VirtualFree(m_base, 0, MEM_RELEASE);
        m_base = nullptr;
        m_size = 0;
    }

    unsigned char* m_base = nullptr;
    size_t m_size = 0;
};

std::string Mutate(const std::vector<std::string>& seeds, std::mt19937& random)
{
    std::string input = seeds[random() % seeds.size()];
    const unsigned steps = 1 + random() % 4;
    for (unsigned s = 0; s < steps; ++s)
    {
        const size_t size = input.size();
        switch (random() % 8)
        {
        case 0: // bit flip
            if (size)
                input[random() % size] ^= static_cast<char>(1u << (random() % 8));
            break;
        case 1: // byte change
            if (size)
                input[random() % size] = static_cast<char>(random());
            break;
        case 2: // an interesting value over 4 bytes (a length field)
        {
            static const unsigned values[] = {0u, 1u, 0x7Fu, 0x80u, 0xFFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
            if (size >= 4)
            {
                const size_t at = random() % (size - 3);
                const unsigned v = values[random() % 8];
                for (int i = 0; i < 4; ++i)
                    input[at + i] = static_cast<char>(v >> (24 - 8 * i));
            }
            break;
        }
        case 3: // truncation
            if (size)
                input.resize(random() % size);
            break;
        case 4: // extension
            for (unsigned n = 1 + random() % 16; n > 0; --n)
                input.push_back(static_cast<char>(random()));
            break;
        case 5: // splice with another seed
        {
            const std::string& other = seeds[random() % seeds.size()];
            const size_t cut = size ? random() % size : 0;
            const size_t from = other.empty() ? 0 : random() % other.size();
            input = input.substr(0, cut) + other.substr(from);
            break;
        }
        case 6: // delete a range
            if (size > 1)
            {
                const size_t at = random() % size;
                input.erase(at, 1 + random() % (size - at));
            }
            break;
        default: // duplicate a range
            if (size)
            {
                const size_t at = random() % size;
                input.insert(at, input.substr(at, 1 + random() % 8));
            }
            break;
        }
    }
    return input;
}

std::vector<std::string> ReadSeeds(const std::string& folder, const char* target)
{
    std::vector<std::string> seeds;
    const std::string pattern = folder + "\\" + target + "\\*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return seeds;
    do
    {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::ifstream file(folder + "\\" + target + "\\" + found.cFileName, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        seeds.push_back(bytes.str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return seeds;
}
} // namespace

int main(int argc, char** argv)
{
    unsigned long long runs = 0;
    unsigned seconds = 0;
    unsigned seed = GetTickCount();
    std::string seedFolder = "seeds";
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc)
            runs = std::strtoull(argv[++i], nullptr, 10);
        else if (argument == "--seconds" && i + 1 < argc)
            seconds = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (argument == "--seeds" && i + 1 < argc)
            seedFolder = argv[++i];
        else if (argument == "--seed" && i + 1 < argc)
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else
            wanted.push_back(argument);
    }
    // --seconds alone bounds by time; neither: 1000 inputs per target.
    if (runs == 0)
        runs = seconds ? ~0ull : 1000;
    AddVectoredExceptionHandler(1, ReportFault);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    GuardedBuffer buffer;
    bool any = false;
    for (const FuzzTarget& target : FuzzTargets())
    {
        bool chosen = wanted.empty();
        for (const std::string& name : wanted)
            chosen = chosen || name == target.name;
        if (!chosen)
            continue;
        any = true;
        CurrentTarget = target.name;
        target.prepare();
        std::vector<std::string> seeds = target.seeds();
        for (std::string& stored : ReadSeeds(seedFolder, target.name))
            seeds.push_back(std::move(stored));
        seeds.push_back(std::string());
        std::mt19937 random(seed);
        // The seeds themselves first, then their mutations.
        unsigned long long done = 0;
        const ULONGLONG deadline = GetTickCount64() + seconds * 1000ull;
        for (; done < runs && (seconds == 0 || GetTickCount64() < deadline); ++done)
        {
            CurrentInput = done < seeds.size() ? seeds[done] : Mutate(seeds, random);
            target.run(buffer.Place(CurrentInput), CurrentInput.size());
        }
        std::printf("%-16s %llu inputs, no fault (%zu seeds, seed %u)\n", target.name, done, seeds.size(), seed);
        std::fflush(stdout);
    }
    if (!any)
    {
        std::fprintf(stderr, "no such target; the targets are:");
        for (const FuzzTarget& target : FuzzTargets())
            std::fprintf(stderr, " %s", target.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    return 0;
}
