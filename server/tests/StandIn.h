// The tests' side of the stand-in server (standins/server/server.py) on
// 127.0.0.1:80 and https://localhost, which scripts/run-test-program.sh
// starts for each test program that uses it: its control pages (always plain
// HTTP on 127.0.0.1), and the requests it recorded.
#pragma once

#include "server/HttpTransport.h"
#include "core/Language.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <string>
#include <utility>
#include <vector>

namespace StandIn
{
struct Request
{
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;

    // The value of a header, or "" when the request had none.
    std::string Header(const std::string& name) const
    {
        for (const auto& header : headers)
            if (header.first == name)
                return header.second;
        return "";
    }
    // The names of the request's headers among the given ones, in the order received.
    std::vector<std::string> NamesAmong(const std::vector<std::string>& names) const
    {
        std::vector<std::string> found;
        for (const auto& header : headers)
            for (const std::string& name : names)
                if (header.first == name)
                    found.push_back(name);
        return found;
    }
};

// An address on the build's server base address (the stand-in over TLS),
// such as Page(L"get-cv.aspx").
inline std::wstring Page(const std::wstring& path)
{
    return std::wstring(ServerBaseAddress().GetText()) + L"/" + path;
}

inline std::string Text(const MAtom<unsigned char>& bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), static_cast<size_t>(bytes.GetCount()));
}

// The content of a meta element in a document page of the stand-in, or
// "(none)".
inline std::string Meta(const std::string& page, const std::string& name)
{
    const std::string start = "<meta name=\"" + name + "\" content=\"";
    const size_t at = page.find(start);
    if (at == std::string::npos)
        return "(none)";
    const size_t from = at + start.size();
    return page.substr(from, page.find('"', from) - from);
}

// The body of a control page ("reset", "set?fault=drop&at=pk", ...).
inline std::string Control(const std::string& page)
{
    MemoryPH<unsigned char> reply;
    const std::wstring url = L"http://127.0.0.1/_control/" + std::wstring(page.begin(), page.end());
    EXPECT_TRUE(HttpGetToMemory(url.c_str(), L"", L"server_tests", reply)) << page;
    return Text(reply);
}

// "<certificate> <requests>" of every TLS connection since the last reset:
// the certificate the stand-in showed and the requests it read on it.
inline std::vector<std::string> TlsConnections()
{
    std::vector<std::string> lines;
    const std::string text = Control("tls");
    for (size_t at = 0; at < text.size();)
    {
        const size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

// The certificates of the stand-in's TLS port that WinINet's check refuses,
// with the system error of the refusal.
struct RefusedCertificate
{
    const char* name;
    DWORD error;
};
inline std::vector<RefusedCertificate> RefusedCertificates()
{
    return {{"untrusted", ERROR_INTERNET_INVALID_CA},
            {"other_host", ERROR_INTERNET_SEC_CERT_CN_INVALID},
            {"expired", ERROR_INTERNET_SEC_CERT_DATE_INVALID}};
}

// Since the last reset the client came to the TLS port (at least
// `connections` times), was shown that certificate each time, and sent no
// request on any connection: nothing reached the server.
inline void ExpectRefusedBeforeAnyRequest(const char* certificate, size_t connections = 1)
{
    const std::vector<std::string> lines = TlsConnections();
    EXPECT_GE(lines.size(), connections) << certificate;
    for (const std::string& line : lines)
        EXPECT_EQ(line, std::string(certificate) + " 0");
}

inline void Reset() { ASSERT_EQ(Control("reset"), "ok"); }
inline void Set(const std::string& settings) { ASSERT_EQ(Control("set?" + settings), "ok") << settings; }

// The requests recorded since the last reset, in order.
inline std::vector<Request> Requests()
{
    std::vector<Request> requests;
    const std::string text = Control("requests");
    size_t at = 0;
    while (at < text.size())
    {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (line.empty())
            continue;
        if (line[0] == '#')
        {
            Request request;
            const size_t first = line.find(' '), second = line.find(' ', first + 1);
            request.method = line.substr(first + 1, second - first - 1);
            request.path = line.substr(second + 1, line.rfind(' ') - second - 1);
            requests.push_back(request);
        }
        else if (!requests.empty())
        {
            const size_t colon = line.find(": ");
            requests.back().headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
        }
    }
    return requests;
}

// A fixture that starts every test from a stand-in with no settings and no records.
class Test : public ::testing::Test
{
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
};
} // namespace StandIn
