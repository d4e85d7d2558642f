// The adverts tests' side of the stand-in: its get-am.aspx settings and the
// reports it recorded.
#pragma once

#include "server/tests/StandIn.h"

#include <sstream>
#include <string>
#include <vector>

namespace AdvertsStandIn
{
// Percent-encoding of a setting's value for /_control/set.
inline std::string Escaped(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text)
    {
        if (isalnum(c) || c == '-' || c == '_' || c == '.')
            out += static_cast<char>(c);
        else
        {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

inline void Set(const std::string& name, const std::string& value) { StandIn::Set(name + "=" + Escaped(value)); }

// The lines of every report received since the reset, one list per report.
inline std::vector<std::vector<std::string>> Reports()
{
    std::vector<std::vector<std::string>> reports;
    std::istringstream text(StandIn::Control("reports"));
    std::vector<std::string> current;
    for (std::string line; std::getline(text, line);)
    {
        if (line.empty())
        {
            reports.push_back(current);
            current.clear();
        }
        else
            current.push_back(line);
    }
    return reports;
}

// Hex text of a text's UTF-16LE bytes, as the documents carry it.
inline std::string Hex(const std::wstring& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (wchar_t c : text)
        for (unsigned byte : {static_cast<unsigned>(c) & 0xFF, static_cast<unsigned>(c) >> 8})
        {
            out += digits[byte >> 4];
            out += digits[byte & 15];
        }
    return out;
}
} // namespace AdvertsStandIn
