#include "server/SlideSession.h"

#include "crypto/ACrypt.h"
#include "crypto/ProtectedTexts.h"
#include "foundation/SystemUtilities.h"
#include "server/HttpTransport.h"
#include "server/KeyPairSupply.h"
#include "server/RequestTexts.h"
#include "server/ServerPages.h"
#include "server/ServerReplyError.h"

#include <pugixml.hpp>

#include <ctime>
#include <cstring>
#include <initializer_list>

namespace
{
// Failure codes and locations of replies that cannot be used
// (ServerReplyError; docs/protocol.md lists them).
constexpr unsigned KeyReplyParse = 5901, KeyReplyParseAt = 658;
constexpr unsigned KeyReplyNoVersion = 5902, KeyReplyNoVersionAt = 667;
constexpr unsigned KeyReplyNoSession = 5903, KeyReplyNoSessionAt = 668;
constexpr unsigned KeyReplyNoKey = 5904, KeyReplyNoKeyAt = 669;
constexpr unsigned KeyReplyMissingDetail = 16;
constexpr unsigned KeyReplyVersion = 5905, KeyReplyVersionAt = 674;
constexpr unsigned KeyReplyKeyText = 5906, KeyReplyKeyTextAt = 676;
constexpr unsigned FirstReplyKind = 6, FirstReplyKindAt = 1030;
constexpr unsigned FirstReplyShort = 9, FirstReplyShortAt = 1040;
constexpr unsigned FirstReplyNoRounds = 11, FirstReplyNoRoundsAt = 1050;
constexpr unsigned TooManyRounds = 7, TooManyRoundsAt = 1172;
constexpr unsigned RoundReplyKind = 8, RoundReplyKindAt = 1297;
constexpr unsigned RoundReplyShort = 10, RoundReplyShortAt = 1305;

// Framed reply kinds.
constexpr unsigned char KindSessionData = 0;
constexpr unsigned char KindRefusal = 1;

// The most rounds a session may take: one permutation of the version texts
// each (docs/protected-texts.md).
constexpr unsigned MaximumRounds = 3;
const unsigned char RoundOrders[MaximumRounds][8] = {
    {0, 1, 2, 3, 4, 5, 6, 7},
    {7, 6, 5, 4, 3, 2, 1, 0},
    {1, 0, 3, 2, 5, 4, 7, 6},
};

constexpr unsigned FirstReplyFields = 5;
constexpr unsigned RoundReplyFields = 3;

using Bytes = MemoryPH<unsigned char>;

bool IsSignalled(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

MAAuthenticator MakeHasher(ALG_ID hash)
{
    return MAAuthenticator(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                           MAAuthenticator::MAAuthAlgHash(hash));
}

// The digest of the parts joined in order; the joined bytes are wiped.
SecureBytes Digest(const MAAuthenticator& hasher, std::initializer_list<const MAtom<unsigned char>*> parts)
{
    SecureBytes joined;
    for (const MAtom<unsigned char>* part : parts)
        joined.Append(*part);
    SecureBytes digest;
    hasher.Hash(joined, digest, false);
    return digest;
}

SecureBytes OneByte(unsigned char value)
{
    SecureBytes byte(1);
    byte[0] = value;
    return byte;
}

// Length-prefixed fields (one length byte, then that many bytes), each
// checked against the bytes that are left before it is taken.
class FieldReader
{
public:
    explicit FieldReader(const MAtom<unsigned char>& data) : m_data(data) {}

    bool Next(SecureBytes& field)
    {
        const unsigned __int64 count = m_data.GetCount();
        if (m_position >= count)
            return false;
        const unsigned length = m_data[m_position];
        if (length > count - m_position - 1)
            return false;
        field.AssignSecure(m_data.SubView(m_position + 1, length));
        m_position += 1 + length;
        return true;
    }
    bool AtEnd() const { return m_position == m_data.GetCount(); }

private:
    const MAtom<unsigned char>& m_data;
    unsigned __int64 m_position = 0;
};

// One GET of the exchange, its reply capped at SessionReplyLimit.
Bytes Request(const MStringEx<wchar_t>& url, const HeaderList& headers, const MStringEx<wchar_t>& agent,
              HANDLE cancelEvent)
{
    Bytes reply;
    HttpGetWithHeaders(url, headers, agent, reply, &SessionReplyLimit, cancelEvent);
    return reply;
}

// The hashes the session material is made with.
struct SessionHashers
{
    MAAuthenticator md5 = MakeHasher(CALG_MD5);
    MAAuthenticator sha1 = MakeHasher(CALG_SHA1);
    MAAuthenticator sha256 = MakeHasher(CALG_SHA_256);
    MAAuthenticator sha384 = MakeHasher(CALG_SHA_384);
};

// The session material: what the first reply's fields and the rounds'
// replies add up to (docs/protocol.md, "Session material").
class SessionMaterial
{
public:
    // fields: seed, nonce, round control, session id, salt.
    SessionMaterial(const SessionHashers& hashers, const SecureBytes* fields)
        : m_hashers(hashers), m_nonce(fields[1]), m_sessionId(fields[3]), m_salt(fields[4])
    {
        m_state = Digest(m_hashers.sha384, {&fields[0], &fields[1], &fields[3], &fields[4]});
    }

    // K, R, I, T and F of round r with that round's secret.
    void AddRoundHeaders(unsigned round, const SecureBytes& secret, HeaderList& headers) const
    {
        const SecureBytes r = OneByte(static_cast<unsigned char>(round));
        headers.Add(L"K", HexHeaderValue(Digest(m_hashers.sha256, {&m_state, &secret})));
        headers.Add(L"R", HexHeaderValue(Digest(m_hashers.md5, {&m_state, &r})));
        headers.Add(L"I", HexHeaderValue(Digest(m_hashers.sha1, {&m_sessionId, &r})));
        headers.Add(L"T", HexHeaderValue(Digest(m_hashers.sha384, {&secret, &m_nonce, &r})));
        headers.Add(L"F", HexHeaderValue(Digest(m_hashers.sha256, {&m_salt, &r, &m_state})));
    }

    // Takes in the three fields of a round's reply.
    void Absorb(const SecureBytes* fields)
    {
        SecureBytes next = Digest(m_hashers.sha384, {&m_state, &fields[0], &fields[1], &fields[2]});
        m_state.AssignSecure(next);
    }

    MStringEx<wchar_t> SessionR() const
    {
        const SecureBytes r = OneByte('R');
        return HexHeaderValue(Digest(m_hashers.md5, {&m_state, &r}));
    }
    MStringEx<wchar_t> SessionI() const { return HexHeaderValue(Digest(m_hashers.sha1, {&m_sessionId, &m_state})); }

private:
    const SessionHashers& m_hashers;
    SecureBytes m_state;
    SecureBytes m_nonce;
    SecureBytes m_sessionId;
    SecureBytes m_salt;
};

SecureBytes RoundSecret(unsigned round)
{
    MList<unsigned char> order;
    for (unsigned char index : RoundOrders[round])
        order.Append(new unsigned char(index));
    return DescrambleStoredText(order);
}

// The value of a node's first text or CDATA child; empty without one.
const char* NodeText(const pugi::xml_node& node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            return child.value();
    return "";
}
} // namespace

void OpenFramedReply(Bytes& reply, const MStringEx<wchar_t>& requestId, const MACrypt& clientKey,
                     const ReplyChecks& checks, SecureBytes* fields, unsigned fieldCount)
{
    if (!UnscrambleBytes(reply, Utf8Bytes(requestId)))
        throw MCryptException(3);
    if (reply[0] == KindRefusal)
    {
        const unsigned __int64 units = (reply.GetCount() - 1) / 2;
        MStringEx<wchar_t> message{ElementCount(units)};
        if (units)
            std::memcpy(message.GetData(), reply.GetData() + 1, static_cast<size_t>(units * 2));
        throw ServerReplyError::Refusal(message);
    }
    if (reply[0] != KindSessionData)
        throw ServerReplyError::Malformed(checks.wrongKind, checks.wrongKindAt);

    const ShellMemory<unsigned char> blocks = reply.SubView(1, reply.GetCount() - 1);
    const unsigned blockBytes = clientKey.GetKeyLength().Bits() / 8u;
    if (blocks.GetCount() == 0 || blocks.GetCount() % blockBytes != 0)
        throw ServerReplyError::Malformed(checks.shortReply, checks.shortReplyAt);
    SecureBytes plain;
    clientKey.DecryptBuffer(blocks, plain, nullptr);
    FieldReader reader(plain);
    for (unsigned i = 0; i < fieldCount; ++i)
        if (!reader.Next(fields[i]))
            throw ServerReplyError::Malformed(checks.shortReply, checks.shortReplyAt);
    if (!reader.AtEnd())
        throw ServerReplyError::Malformed(checks.shortReply, checks.shortReplyAt);
}

void ParseServerKeyReply(const MAtom<unsigned char>& reply, MAtom<unsigned char>& keyBlob,
                         MStringEx<wchar_t>& sessionText)
{
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(reply.GetData(), static_cast<size_t>(reply.GetCount()));
    if (!parsed)
        throw ServerReplyError::MalformedDocument(KeyReplyParse, KeyReplyParseAt, parsed.status);
    const pugi::xml_node version = document.select_node("//rsa_key/version").node();
    if (!version)
        throw ServerReplyError::MalformedDocument(KeyReplyNoVersion, KeyReplyNoVersionAt, KeyReplyMissingDetail);
    const pugi::xml_node session = document.select_node("//rsa_key/session").node();
    if (!session)
        throw ServerReplyError::MalformedDocument(KeyReplyNoSession, KeyReplyNoSessionAt, KeyReplyMissingDetail);
    const pugi::xml_node publicKey = document.select_node("//rsa_key/public_key").node();
    if (!publicKey)
        throw ServerReplyError::MalformedDocument(KeyReplyNoKey, KeyReplyNoKeyAt, KeyReplyMissingDetail);
    if (std::strcmp(NodeText(version), "1") != 0)
        throw ServerReplyError::Malformed(KeyReplyVersion, KeyReplyVersionAt);

    // The key text comes from outside: an empty text, an odd length or a
    // character that is no hexadecimal digit is refused before any use.
    const char* keyText = NodeText(publicKey);
    Bytes key(std::strlen(keyText));
    if (key.GetCount())
        std::memcpy(key.GetData(), keyText, static_cast<size_t>(key.GetCount()));
    if (key.GetCount() == 0 || !HexTextToBytes(key))
        throw ServerReplyError::Malformed(KeyReplyKeyText, KeyReplyKeyTextAt);
    keyBlob.Resize(key.GetCount());
    keyBlob.CopyFrom(key);

    const char* text = NodeText(session);
    sessionText = Utf8ToWideString(ShellMemory<char>(const_cast<char*>(text), std::strlen(text)));
}

bool EstablishSlideSession(HeaderList& sessionHeaders, MAtom<unsigned char>& serverKeyBlob, HANDLE cancelEvent)
{
    sessionHeaders.Clear();
    serverKeyBlob.Resize(0);

    MStringEx<wchar_t> requestId = NewRequestId();
    const MStringEx<wchar_t> agent = AgentText();
    const MStringEx<wchar_t> language = MStringEx<wchar_t>::FromInt64(UiLanguage);
    const MStringEx<wchar_t> slidePage = GetServerPageUrl(PageGetSlide);

    // The server's key; the reply is scrambled with the request id as sent.
    HeaderList keyRequest;
    keyRequest.Add(L"V", L"1");
    keyRequest.Add(L"Q", L"0");
    keyRequest.Add(L"E", requestId);
    Bytes keyReply = Request(GetServerPageUrl(PageGetServerKey), keyRequest, agent, cancelEvent);
    if (IsSignalled(cancelEvent))
        return false;
    if (!UnscrambleBytes(keyReply, Utf8Bytes(requestId)))
        throw MCryptException(3);
    Bytes keyBlob;
    MStringEx<wchar_t> sessionText;
    ParseServerKeyReply(keyReply, keyBlob, sessionText);

    // Both pairs were made while the slide before was shown (or are made
    // now): the server's key is imported over the first one's own.
    const std::unique_ptr<MACrypt> serverKeyHolder = SessionKeyPairs().Take(cancelEvent);
    if (!serverKeyHolder)
        return false;
    MACrypt& serverKey = *serverKeyHolder;
    serverKey.ImportKey(keyBlob);
    const std::unique_ptr<MACrypt> clientKeyPair = SessionKeyPairs().Take(serverKey.GetKeyLength().Bits(), cancelEvent);
    if (!clientKeyPair)
        return false;
    const MACrypt& clientKey = *clientKeyPair;
    const MStringEx<wchar_t> clientKeyText = HexHeaderValue(clientKey.ExportPublicKey());

    // The proof: the SHA-512 of the request id, encrypted for the server.
    Bytes proof;
    {
        const MAAuthenticator sha512 = MakeHasher(CALG_SHA_512);
        SecureBytes digest;
        sha512.Hash(Utf8Bytes(requestId), digest, false);
        serverKey.EncryptBuffer(digest, proof);
    }

    // From here on every request carries the id reversed once more than
    // the one before it, and its reply is unscrambled with what it carried.
    requestId.Reverse();
    HeaderList first;
    first.Add(L"V", L"1");
    first.Add(L"K", clientKeyText);
    first.Add(L"R", L"0");
    first.Add(L"T", HexHeaderValue(proof));
    first.Add(L"E", requestId);
    first.Add(L"L", language);
    first.Add(L"Q", sessionText);
    Bytes firstReply = Request(slidePage, first, agent, cancelEvent);
    if (IsSignalled(cancelEvent))
        return false;
    SecureBytes fields[FirstReplyFields];
    OpenFramedReply(firstReply, requestId, clientKey,
                    ReplyChecks{FirstReplyKind, FirstReplyKindAt, FirstReplyShort, FirstReplyShortAt}, fields,
                    FirstReplyFields);
    if (fields[2].GetCount() == 0)
        throw ServerReplyError::Malformed(FirstReplyNoRounds, FirstReplyNoRoundsAt);
    const unsigned rounds = fields[2][0];

    const SessionHashers hashers;
    SessionMaterial material(hashers, fields);
    for (unsigned round = 0; round < rounds; ++round)
    {
        if (IsSignalled(cancelEvent))
            return false;
        if (round >= MaximumRounds)
            throw ServerReplyError::Malformed(TooManyRounds, TooManyRoundsAt);
        const SecureBytes secret = RoundSecret(round);
        requestId.Reverse();
        // V, then K, R, I, T and F, then E, L and Q: the order the server reads.
        HeaderList request;
        request.Add(L"V", L"1");
        material.AddRoundHeaders(round, secret, request);
        request.Add(L"E", requestId);
        request.Add(L"L", language);
        request.Add(L"Q", sessionText);
        Bytes reply = Request(slidePage, request, agent, cancelEvent);
        if (IsSignalled(cancelEvent))
            return false;
        SecureBytes roundFields[RoundReplyFields];
        OpenFramedReply(reply, requestId, clientKey,
                        ReplyChecks{RoundReplyKind, RoundReplyKindAt, RoundReplyShort, RoundReplyShortAt}, roundFields,
                        RoundReplyFields);
        material.Absorb(roundFields);
    }

    HeaderList session;
    session.Add(L"V", L"1");
    session.Add(L"R", material.SessionR());
    session.Add(L"I", material.SessionI());
    session.Add(L"Q", sessionText);
    CopyHeaderList(sessionHeaders, session);
    serverKeyBlob.Resize(keyBlob.GetCount());
    serverKeyBlob.CopyFrom(keyBlob);
    return true;
}

MAtom<unsigned char>& CreateServerSessionCrypto(MAtom<unsigned char>& out, const MAAuthenticator& hasher)
{
    MStringEx<wchar_t> upper(ProductName), lower(ProductName);
    CharUpperBuffW(upper.GetData(), static_cast<DWORD>(upper.GetLength()));
    CharLowerBuffW(lower.GetData(), static_cast<DWORD>(lower.GetLength()));
    MStringEx<wchar_t> names = MStringEx<wchar_t>(ProductName) + upper + lower;
    // The UTF-16 bytes with the terminating NUL.
    SecureBytes text(names.GetCount() * sizeof(wchar_t));
    std::memcpy(text.GetData(), names.GetData(), static_cast<size_t>(text.GetCount()));
    SecureMemory<ShellMemory<wchar_t>, wchar_t> wipeNames(names.GetData(), names.GetCount());

    SecureBytes first;
    hasher.Hash(text, first, true);
    SecureBytes md5;
    MakeHasher(CALG_MD5).Hash(text, md5, false);
    const SecureBytes joined = Digest(hasher, {&first, &md5});
    out.Resize(joined.GetCount());
    out.CopyFrom(joined);
    return out;
}
