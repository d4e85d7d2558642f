#include "server/GetSlideReply.h"

#include <cstring>

namespace
{
// Reads the fields of a reply one after the other; every length is checked
// against the bytes that are left before anything is taken.
class ReplyReader
{
public:
    explicit ReplyReader(const MAtom<unsigned char>& reply) : m_reply(reply) {}

    unsigned char Byte()
    {
        Need(1);
        return m_reply[m_position++];
    }
    ShellMemory<unsigned char> Field()
    {
        Need(4);
        const unsigned char* at = m_reply.GetData() + m_position;
        const unsigned __int64 length = static_cast<unsigned __int64>(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
        m_position += 4;
        Need(length);
        const ShellMemory<unsigned char> field = m_reply.SubView(m_position, length);
        m_position += length;
        return field;
    }
    MStringEx<wchar_t> Text()
    {
        const ShellMemory<unsigned char> bytes = Field();
        if (bytes.GetCount() % 2 != 0)
            throw DownloadDataError(ReplyOddTextLength);
        return TextOf(bytes);
    }
    bool AtEnd() const { return m_position == m_reply.GetCount(); }

    static MStringEx<wchar_t> TextOf(const MAtom<unsigned char>& bytes)
    {
        const unsigned __int64 units = bytes.GetCount() / 2;
        MStringEx<wchar_t> text{ElementCount(units)};
        if (units)
            std::memcpy(text.GetData(), bytes.GetData(), static_cast<size_t>(units * 2));
        return text;
    }

private:
    void Need(unsigned __int64 bytes) const
    {
        if (bytes > m_reply.GetCount() - m_position)
            throw DownloadDataError(ReplyFieldsDoNotFit);
    }

    const MAtom<unsigned char>& m_reply;
    unsigned __int64 m_position = 0;
};

bool IsSignalled(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }
} // namespace

GetSlideReply ParseGetSlideReply(const MAtom<unsigned char>& reply)
{
    if (reply.IsEmpty())
        throw DownloadDataError(ReplyEmptyAfterUnwrapping);
    GetSlideReply parsed;
    parsed.kind = reply[0];
    const bool slide = parsed.kind >= ReplyKindPicture && parsed.kind <= ReplyKindDocument;
    const bool message = parsed.kind >= ReplyKindFirstMessage && parsed.kind <= ReplyKindLastMessage;
    if (!slide && !message)
        throw DownloadDataError(ReplyWrongKind);
    if (reply.GetCount() < MinimumSlideReplyBytes)
        throw DownloadDataError(ReplyTooShort);

    ReplyReader reader(reply);
    reader.Byte();
    if (message)
    {
        // The message's length must fit in the reply; its text is what
        // the server had to say, in place of a slide.
        const ShellMemory<unsigned char> text = reader.Field();
        throw DownloadDataError(ReplyServerMessage, ReplyReader::TextOf(text));
    }

    if (parsed.kind == ReplyKindPicture)
    {
        parsed.content = reader.Field();
        if (parsed.content.IsEmpty())
            throw DownloadDataError(ReplyEmptyContent);
        if (!reader.Field().IsEmpty())
            throw DownloadDataError(ReplyPictureSecondField);
    }
    else
    {
        parsed.firstText = reader.Text();
        if (parsed.firstText.IsEmpty())
            throw DownloadDataError(ReplyEmptyFirstText);
        parsed.content = reader.Field();
    }
    parsed.secondText = reader.Text();
    parsed.flag = reader.Byte();
    if (parsed.flag & 0x7F)
        throw DownloadDataError(ReplyWrongFlag);
    parsed.cachePayload = reader.Field();
    if (parsed.cachePayload.IsEmpty())
        throw DownloadDataError(ReplyEmptyCachePayload);
    if (parsed.kind != ReplyKindPicture)
    {
        parsed.sessionCode = reader.Field();
        if (parsed.sessionCode.IsEmpty())
            throw DownloadDataError(ReplyEmptySessionCode);
    }
    if (!reader.AtEnd())
        throw DownloadDataError(ReplyFieldsDoNotFit);
    return parsed;
}

unsigned __int64 RsaLayerBytes(unsigned n, unsigned blockBytes)
{
    // PKCS#1 v1.5 takes 11 bytes of every block.
    const unsigned __int64 chunk = blockBytes - 11u;
    return (static_cast<unsigned __int64>(n) * blockBytes + chunk - 1) / chunk * blockBytes;
}

bool UnwrapGetSlideReply(const AesCipher& cipher, const MACrypt& clientKey, unsigned n,
                         const MAtom<unsigned char>& body, MemoryPH<unsigned char>& reply, HANDLE stop)
{
    reply.Clear();
    SecureBytes outer;
    cipher.DecryptCbc(body, outer, true);
    if (outer.IsEmpty())
        throw DownloadDataError(ReplyFirstLayerEmpty);
    if (n > outer.GetCount())
        throw DownloadDataError(ReplyShorterThanPrefix);
    const unsigned __int64 afterPrefix = outer.GetCount() - n;
    const unsigned blockBytes = clientKey.GetKeyLength().Bits() / 8u;
    unsigned __int64 rsaBytes = RsaLayerBytes(n, blockBytes);
    if (afterPrefix < rsaBytes)
        rsaBytes = afterPrefix;
    if (rsaBytes == 0 || rsaBytes % blockBytes != 0)
        throw DownloadDataError(ReplyRsaLayerNotBlocks);

    SecureBytes middle;
    if (!clientKey.DecryptBuffer(outer.SubView(n, rsaBytes), middle, stop) || IsSignalled(stop))
        return false;
    middle.Append(outer.SubView(n + rsaBytes, afterPrefix - rsaBytes));
    cipher.DecryptCbc(middle, reply, true);
    if (reply.IsEmpty())
        throw DownloadDataError(ReplyEmptyAfterUnwrapping);
    return true;
}

bool ProcessGetSlideReply(OnlineSlideRecord& record, const MACrypt& clientKey, const MAtom<unsigned char>& reply,
                          bool advertDue, const std::function<bool(const MAtom<unsigned char>&)>& writeCache)
{
    GetSlideReply parsed;
    try
    {
        parsed = ParseGetSlideReply(reply);
    }
    catch (const DownloadDataError& failure)
    {
        if (failure.Code() == ReplyServerMessage)
        {
            record.state = reply[0];
            record.secondText = failure.Message();
        }
        throw;
    }

    // The new session code must decrypt before anything is kept.
    SecureBytes newCode;
    if (parsed.kind != ReplyKindPicture)
    {
        SecureBytes plain;
        clientKey.DecryptBuffer(parsed.sessionCode, plain, nullptr);
        if (plain.IsEmpty())
            throw DownloadDataError(ReplyEmptySessionCode);
        EncryptAuthCode(plain, newCode);
    }
    if (!writeCache(parsed.cachePayload))
        return false;

    record.advert = advertDue ? 1 : 0;
    record.state = parsed.kind;
    record.content.Assign(parsed.content);
    record.firstText = parsed.firstText;
    record.secondText = parsed.secondText;
    record.displayFlag = parsed.flag == 0 ? 1 : 0;
    // The old code goes back to the server before a new one is kept.
    record.authCode.Release(false);
    record.authCode.Clear();
    if (!newCode.IsEmpty())
        record.authCode.Assign(newCode);
    return true;
}
