#include "server/ServerReplyError.h"

#include "resources/languages/LanguageIds.h"

ServerReplyError::ServerReplyError(bool refusal, const MStringEx<wchar_t>& text, unsigned code, unsigned location,
                                   unsigned detail)
    : m_refusal(refusal), m_text(text), m_code(code), m_location(location), m_detail(detail)
{
}

ServerReplyError ServerReplyError::Refusal(const MStringEx<wchar_t>& message)
{
    return ServerReplyError(true, message, 0, 0, 0);
}

ServerReplyError ServerReplyError::Malformed(unsigned code, unsigned location)
{
    return ServerReplyError(false, MStringEx<wchar_t>(sX::Format(), IDS_SERVER_REPLY_MALFORMED, code, location),
                            code, location, 0);
}

ServerReplyError ServerReplyError::MalformedDocument(unsigned code, unsigned location, unsigned detail)
{
    return ServerReplyError(
        false, MStringEx<wchar_t>(sX::Format(), IDS_SERVER_DOCUMENT_MALFORMED, code, location, detail), code,
        location, detail);
}
