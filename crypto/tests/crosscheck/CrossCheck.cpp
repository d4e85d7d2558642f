// Runs the jobs of a cross-check file through the crypto classes and
// writes each result as "name hex"; crosscheck.py compares them with its
// own implementation.
//   crypto_crosscheck.exe JOBS RESULTS
// Every job line is an operation, a name and hexadecimal arguments; the
// AES jobs name their engine ("tables" or "instructions") first. The first
// result line says whether this processor has the AES instructions.
#include "crypto/AesInstructions.h"
#include "crypto/ProtectedTexts.h"
#include "crypto/Symmetric.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using Bytes = MemoryPH<unsigned char>;

Bytes FromHex(const std::string& hex)
{
    Bytes bytes(hex.size() / 2);
    for (size_t i = 0; i < bytes.GetCount(); ++i)
        bytes[i] = static_cast<unsigned char>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return bytes;
}

std::string ToHex(const MAtom<unsigned char>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned __int64 i = 0; i < bytes.GetCount(); ++i)
    {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex.empty() ? "-" : hex;
}

// "-" stands for no bytes.
Bytes Argument(const std::string& hex) { return hex == "-" ? Bytes(0) : FromHex(hex); }

// The engine an AES job asks for; the cipher must really use it.
AesEngine Engine(const std::string& name)
{
    if (name == "tables")
        return AesEngine::LookupTables;
    if (name == "instructions")
        return AesEngine::ProcessorInstructions;
    throw std::invalid_argument("unknown AES engine " + name);
}

void CheckEngine(const AesCipher& cipher, const std::string& name)
{
    if (cipher.GetEngine() != Engine(name))
        throw std::invalid_argument("the cipher does not use the engine " + name);
}

// A file in the current folder, for the file ciphers.
class ScratchFile
{
public:
    explicit ScratchFile(const wchar_t* name) : m_name(name)
    {
        m_handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    }
    ~ScratchFile()
    {
        CloseHandle(m_handle);
        DeleteFileW(m_name);
    }
    HANDLE Handle() const { return m_handle; }
    void Write(const Bytes& bytes)
    {
        DWORD written = 0;
        WriteFile(m_handle, bytes.GetData(), static_cast<DWORD>(bytes.GetCount()), &written, nullptr);
        SetFilePointer(m_handle, 0, nullptr, FILE_BEGIN);
    }
    Bytes Contents()
    {
        const DWORD size = GetFileSize(m_handle, nullptr);
        Bytes bytes(size);
        SetFilePointer(m_handle, 0, nullptr, FILE_BEGIN);
        DWORD read = 0;
        ReadFile(m_handle, bytes.GetData(), size, &read, nullptr);
        return bytes;
    }

private:
    const wchar_t* m_name;
    HANDLE m_handle;
};

std::unique_ptr<MACrypt> RsaWithKey(const std::string& blob, const std::string& padding, const std::string& chained)
{
    std::unique_ptr<MACrypt> crypt(new MACrypt(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512),
                                               std::stoul(padding), chained == "1" ? MACrypt::Chained : 0));
    crypt->ImportKey(FromHex(blob));
    return crypt;
}

void Run(const std::vector<std::string>& job, const MAAuthenticator& sha512, std::ostream& out)
{
    const std::string& op = job[0];
    const std::string& name = job[1];
    if (op == "unscramble")
    {
        Bytes data = Argument(job[3]);
        const bool done = UnscrambleBytes(data, Argument(job[2]));
        out << name << " " << (done ? ToHex(data) : "false") << "\n";
    }
    else if (op == "aes")
    {
        Bytes secret = Argument(job[3]), encrypted;
        AesCipher cipher(sha512, secret, Engine(job[2]));
        CheckEngine(cipher, job[2]);
        cipher.EncryptCbc(Argument(job[4]), encrypted);
        out << name << ".key " << ToHex(cipher.GetKey()) << "\n" << name << ".iv " << ToHex(cipher.GetIv()) << "\n"
            << name << ".secret " << ToHex(secret) << "\n" << name << ".cipher " << ToHex(encrypted) << "\n";
    }
    else if (op == "aesdecrypt")
    {
        Bytes secret = Argument(job[3]), plain;
        const AesCipher cipher(sha512, secret, Engine(job[2]));
        CheckEngine(cipher, job[2]);
        cipher.DecryptCbc(Argument(job[4]), plain, true);
        out << name << " " << ToHex(plain) << "\n";
    }
    else if (op == "derive")
    {
        const Bytes utf16 = Argument(job[2]);
        MString text(ShellMemory<wchar_t>(reinterpret_cast<wchar_t*>(utf16.GetData()), utf16.GetCount() / 2), false);
        out << name << " " << ToHex(*DeriveKeyFromText(text)) << "\n";
    }
    else if (op == "exportpublic")
    {
        out << name << " " << ToHex(RsaWithKey(job[2], "0", "1")->ExportPublicKey()) << "\n";
    }
    else if (op == "rsaencrypt" || op == "rsadecrypt")
    {
        std::unique_ptr<MACrypt> crypt = RsaWithKey(job[2], job[3], job[4]);
        Bytes result;
        if (op == "rsaencrypt")
            crypt->EncryptBuffer(Argument(job[5]), result);
        else
            crypt->DecryptBuffer(Argument(job[5]), result, nullptr);
        out << name << " " << ToHex(result) << "\n";
    }
    else if (op == "rsaencryptfile" || op == "rsadecryptfile")
    {
        std::unique_ptr<MACrypt> crypt = RsaWithKey(job[2], job[3], job[4]);
        const bool littleEndian = job[5] == "1";
        ScratchFile input(L"crosscheck.in"), output(L"crosscheck.out");
        input.Write(Argument(job[6]));
        if (op == "rsaencryptfile")
            crypt->EncryptFile(input.Handle(), 0, ~0ull, output.Handle(), littleEndian, nullptr);
        else
            crypt->DecryptFile(input.Handle(), 0, ~0ull, output.Handle(), littleEndian, nullptr);
        out << name << " " << ToHex(output.Contents()) << "\n";
    }
    else if (op == "descramble")
    {
        const Bytes order = Argument(job[2]);
        MList<unsigned char> indices;
        for (unsigned __int64 i = 0; i < order.GetCount(); ++i)
            indices.Append(new unsigned char(order[i]));
        out << name << " " << ToHex(DescrambleStoredText(indices)) << "\n";
    }
    else if (op == "stored")
    {
        const unsigned long id = std::stoul(job[2]);
        const std::wstring stored = ProtectedTextTable().GetValue(id);
        out << name << ".stored " << std::string(stored.begin(), stored.end()) << "\n";
        out << name << ".open " << ToHex(OpenProtectedText(id)) << "\n";
    }
    else
        throw std::invalid_argument("unknown operation " + op);
}
}

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: crypto_crosscheck JOBS RESULTS\n";
        return 2;
    }
    std::ifstream jobs(argv[1]);
    // Made before any job: crosscheck.py takes a missing results file for a
    // start that never reached the program, and only then starts it again.
    std::ofstream out(argv[2]);
    MAAuthenticator sha512(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                           MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
    out << "engine.instructions " << (ProcessorHasAesInstructions() ? "yes" : "no") << "\n";
    std::string line;
    int failures = 0;
    while (std::getline(jobs, line))
    {
        std::istringstream fields(line);
        std::vector<std::string> job;
        for (std::string field; fields >> field;)
            job.push_back(field);
        if (job.size() < 2)
            continue;
        try
        {
            Run(job, sha512, out);
            out.flush();
        }
        catch (const MCryptException& failure)
        {
            out << job[1] << " crypt-error-" << failure.code << "\n";
        }
        catch (const std::exception& failure)
        {
            std::cerr << job[1] << ": " << failure.what() << "\n";
            ++failures;
        }
        catch (...)
        {
            std::cerr << job[1] << ": failed\n";
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
