// The framing checks of the get-slide reply, on replies built here byte by
// byte; the three layers around it are tested against the stand-in.
#include "server/GetSlideReply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

void Be32(Bytes& out, unsigned long long n)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(n >> shift));
}

void Field(Bytes& out, const std::string& bytes, long long lengthChange = 0)
{
    Be32(out, bytes.size() + lengthChange);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::string Utf16(const std::string& ascii)
{
    std::string out;
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}

struct Reply
{
    unsigned char kind = 1;
    std::string a = "picture bytes";
    std::string b;
    std::string second = Utf16("properties");
    unsigned char flag = 0x80;
    std::string cache = "next";
    std::string code;
    bool withCode = false;

    Bytes Build() const
    {
        Bytes out{kind};
        Field(out, a);
        Field(out, b);
        Field(out, second);
        out.push_back(flag);
        Field(out, cache);
        if (withCode)
            Field(out, code);
        return out;
    }
};

MemoryPH<unsigned char> Atom(const Bytes& bytes)
{
    MemoryPH<unsigned char> atom(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        atom[i] = bytes[i];
    return atom;
}

unsigned CodeOf(const Bytes& bytes)
{
    try
    {
        ParseGetSlideReply(Atom(bytes));
    }
    catch (const DownloadDataError& failure)
    {
        return failure.Code();
    }
    return 0;
}

TEST(GetSlideReply, PictureReplyIsRead)
{
    const MemoryPH<unsigned char> reply = Atom(Reply().Build());
    const GetSlideReply parsed = ParseGetSlideReply(reply);
    EXPECT_EQ(parsed.kind, 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(parsed.content.GetData()), 13), "picture bytes");
    EXPECT_STREQ(parsed.secondText.GetText(), L"properties");
    EXPECT_EQ(parsed.flag, 0x80);
    EXPECT_EQ(parsed.cachePayload.GetCount(), 4u);
    EXPECT_TRUE(parsed.firstText.IsEmpty());
}

TEST(GetSlideReply, MalformedRepliesAndTheirCodes)
{
    Reply media;
    media.kind = 2;
    media.a = Utf16("title");
    media.b = "media";
    media.withCode = true;
    media.code = std::string(256, 'c');
    EXPECT_EQ(CodeOf(media.Build()), 0u);

    struct Case
    {
        const char* name;
        Bytes bytes;
        unsigned code;
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, Bytes bytes, unsigned code) { cases.push_back({name, std::move(bytes), code}); };
    for (unsigned kind : {0u, 4u, 127u, 139u, 255u})
    {
        Reply r;
        r.kind = static_cast<unsigned char>(kind);
        add("kind", r.Build(), ReplyWrongKind);
    }
    add("18 bytes", Bytes{1, 0, 0, 0, 1, 'x', 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, ReplyTooShort);
    {
        Reply r;
        r.a.clear();
        add("empty picture", r.Build(), ReplyEmptyContent);
        r = Reply();
        r.b = "x";
        add("picture with a second field", r.Build(), ReplyPictureSecondField);
        r = Reply();
        r.flag = 0x01;
        add("flag 0x01", r.Build(), ReplyWrongFlag);
        r.flag = 0x81;
        add("flag 0x81", r.Build(), ReplyWrongFlag);
        r = Reply();
        r.cache.clear();
        add("empty payload", r.Build(), ReplyEmptyCachePayload);
        r = Reply();
        r.second = "odd";
        add("odd text", r.Build(), ReplyOddTextLength);
        Bytes extra = Reply().Build();
        extra.push_back(0);
        add("a byte left over", extra, ReplyFieldsDoNotFit);
        Bytes cut = Reply().Build();
        cut.pop_back();
        add("a byte short", cut, ReplyFieldsDoNotFit);
        Bytes huge{1};
        Be32(huge, 0xFFFFFFFFull);
        huge.resize(40, 0);
        add("length beyond the reply", huge, ReplyFieldsDoNotFit);
        Reply m = media;
        m.a.clear();
        add("media without a title", m.Build(), ReplyEmptyFirstText);
        m = media;
        m.code.clear();
        add("media without a code", m.Build(), ReplyEmptySessionCode);
        m = media;
        m.withCode = false;
        add("media without its code field", m.Build(), ReplyFieldsDoNotFit);
    }
    for (const Case& c : cases)
        EXPECT_EQ(CodeOf(c.bytes), c.code) << c.name;
}

TEST(GetSlideReply, ServerMessageCarriesItsText)
{
    Bytes bytes{131};
    Field(bytes, Utf16("Come back later."));
    try
    {
        ParseGetSlideReply(Atom(bytes));
        FAIL();
    }
    catch (const DownloadDataError& failure)
    {
        EXPECT_EQ(failure.Code(), ReplyServerMessage);
        EXPECT_STREQ(failure.Message().GetText(), L"Come back later.");
    }
    Bytes overlong{130};
    Field(overlong, Utf16("short message"), 100);
    EXPECT_EQ(CodeOf(overlong), ReplyFieldsDoNotFit);
}

TEST(GetSlideReply, FailedReplyChangesNothing)
{
    const MACrypt key(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(1024), 0, MACrypt::Chained);
    OnlineSlideRecord record;
    record.state = OnlineStateRunning;
    record.secondText = L"before";
    record.authCode.Assign(MemoryPH<unsigned char>(16, 7));
    int writes = 0;
    auto write = [&](const MAtom<unsigned char>&) { return ++writes, true; };
    Reply bad;
    bad.flag = 0x02;
    EXPECT_THROW(ProcessGetSlideReply(record, key, Atom(bad.Build()), false, write), DownloadDataError);
    // A media reply whose code is no RSA block for this key.
    Reply media;
    media.kind = 3;
    media.a = Utf16("doc");
    media.b = "text";
    media.withCode = true;
    media.code = "not a block";
    EXPECT_THROW(ProcessGetSlideReply(record, key, Atom(media.Build()), false, write), QuilloryError);
    // A good reply whose cache cannot be written.
    EXPECT_FALSE(ProcessGetSlideReply(record, key, Atom(Reply().Build()), true,
                                      [](const MAtom<unsigned char>&) { return false; }));
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(record.state, OnlineStateRunning);
    EXPECT_STREQ(record.secondText.GetText(), L"before");
    EXPECT_EQ(record.authCode.GetCount(), 16u);
    EXPECT_EQ(record.advert, 0);
    record.authCode.Clear(); // no Clean Up for a code made up here
}

TEST(GetSlideReply, RsaLayerSize)
{
    EXPECT_EQ(RsaLayerBytes(10, 256), 2816u);
    EXPECT_EQ(RsaLayerBytes(25, 256), 6912u);
}
} // namespace
