// The tests' side of the stand-in server (standins/server/server.py), which
// ctest starts on 127.0.0.1:80 before server_tests and stops after it: its
// control pages, and the requests it recorded.
#pragma once

#include "server/HttpTransport.h"

#include <gtest/gtest.h>

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
