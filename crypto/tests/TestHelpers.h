// Small helpers shared by the crypto tests.
#pragma once

#include "crypto/ACrypt.h"
#include "crypto/Unscramble.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace CryptoTest
{
inline MemoryPH<unsigned char> Bytes(const std::string& text)
{
    MemoryPH<unsigned char> bytes(text.size());
    if (!text.empty())
        std::memcpy(bytes.GetData(), text.data(), text.size());
    return bytes;
}

inline MemoryPH<unsigned char> FromHex(const std::string& hex)
{
    MemoryPH<unsigned char> bytes(hex.size() / 2);
    for (size_t i = 0; i < bytes.GetCount(); ++i)
        bytes[i] = static_cast<unsigned char>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return bytes;
}

inline std::string ToHex(const MAtom<unsigned char>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned __int64 i = 0; i < bytes.GetCount(); ++i)
    {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex;
}

inline std::vector<unsigned char> ToVector(const MAtom<unsigned char>& bytes)
{
    return std::vector<unsigned char>(bytes.GetData(), bytes.GetData() + bytes.GetCount());
}

// The crypto failure code of a call, or 0 when it does not throw one.
template <class F> unsigned CryptCode(F call)
{
    try
    {
        call();
    }
    catch (const MCryptException& failure)
    {
        return failure.code;
    }
    return 0;
}

inline MAAuthenticator MakeHasher(ALG_ID id)
{
    return MAAuthenticator(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                           MAAuthenticator::MAAuthAlgHash(id));
}

// A file in the temporary folder, deleted with the object.
class TempFile
{
public:
    TempFile()
    {
        wchar_t folder[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"qcr", 0, name);
        m_path = name;
        m_handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        CloseHandle(m_handle);
        DeleteFileW(m_path.c_str());
    }

    HANDLE Handle() const { return m_handle; }

    void Write(const MAtom<unsigned char>& bytes)
    {
        DWORD written = 0;
        WriteFile(m_handle, bytes.GetData(), static_cast<DWORD>(bytes.GetCount()), &written, nullptr);
    }
    // The whole contents; the position is left where it was.
    MemoryPH<unsigned char> Contents() const
    {
        LARGE_INTEGER zero, kept, size;
        zero.QuadPart = 0;
        SetFilePointerEx(m_handle, zero, &kept, FILE_CURRENT);
        GetFileSizeEx(m_handle, &size);
        MemoryPH<unsigned char> bytes(static_cast<unsigned __int64>(size.QuadPart));
        SetFilePointerEx(m_handle, zero, nullptr, FILE_BEGIN);
        DWORD read = 0;
        ReadFile(m_handle, bytes.GetData(), static_cast<DWORD>(bytes.GetCount()), &read, nullptr);
        SetFilePointerEx(m_handle, kept, nullptr, FILE_BEGIN);
        return bytes;
    }
    unsigned __int64 Position() const
    {
        LARGE_INTEGER zero, at;
        zero.QuadPart = 0;
        SetFilePointerEx(m_handle, zero, &at, FILE_CURRENT);
        return static_cast<unsigned __int64>(at.QuadPart);
    }
    void Seek(unsigned __int64 position)
    {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(position);
        SetFilePointerEx(m_handle, to, nullptr, FILE_BEGIN);
    }

private:
    std::wstring m_path;
    HANDLE m_handle;
};

// Counts progress calls and stops at a chosen one (0: never).
class CountingObserver : public MObserver
{
public:
    explicit CountingObserver(unsigned stopAt = 0) : m_stopAt(stopAt) {}
    bool Progress(unsigned __int64 reached, unsigned __int64 total, unsigned __int64 chunk) override
    {
        calls.push_back({reached, total, chunk});
        return m_stopAt == 0 || calls.size() < m_stopAt;
    }

    struct Call
    {
        unsigned __int64 reached, total, chunk;
    };
    std::vector<Call> calls;

private:
    unsigned m_stopAt;
};
}
