// A server reply that the program cannot use: a refusal that carries the
// server's own message, or a malformed reply described by a text of the
// language module with a failure code and the place that found it.
#pragma once

#include "foundation/Error.h"
#include "foundation/StringEx.h"

class ServerReplyError : public QuilloryError
{
public:
    // The server said no: its message, as it sent it.
    static ServerReplyError Refusal(const MStringEx<wchar_t>& message);
    // String 362 formatted with the code and the location.
    static ServerReplyError Malformed(unsigned code, unsigned location);
    // String 385 formatted with the code, the location and a detail number.
    static ServerReplyError MalformedDocument(unsigned code, unsigned location, unsigned detail);

    // 0 for a refusal.
    unsigned Code() const noexcept override { return m_code; }
    const char* what() const noexcept override { return "server reply"; }

    bool IsRefusal() const { return m_refusal; }
    unsigned Location() const { return m_location; }
    unsigned Detail() const { return m_detail; }
    // The text the user is shown.
    const MStringEx<wchar_t>& Text() const { return m_text; }

private:
    ServerReplyError(bool refusal, const MStringEx<wchar_t>& text, unsigned code, unsigned location,
                     unsigned detail);

    bool m_refusal;
    MStringEx<wchar_t> m_text;
    unsigned m_code;
    unsigned m_location;
    unsigned m_detail;
};
