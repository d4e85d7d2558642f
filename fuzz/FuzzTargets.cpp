#include "fuzz/FuzzTargets.h"

#include "crypto/ProtectedTexts.h"
#include "foundation/AtomPersistence.h"
#include "foundation/Registry.h"
#include "foundation/SystemUtilities.h"
#include "server/GetSlideReply.h"
#include "server/ReceivedSlide.h"
#include "server/SlideCacheFile.h"
#include "server/SlideProperties.h"
#include "server/SlideSession.h"
#include "shell/core/Language.h"
#include "slideshow/PerformanceData.h"

#include <cstring>
#include <memory>

namespace
{
// Views the guarded input itself, so that a read past it faults.
ShellMemory<unsigned char> Input(const unsigned char* data, size_t size)
{
    return ShellMemory<unsigned char>(const_cast<unsigned char*>(data), size);
}

std::string Text(const MAtom<unsigned char>& bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), static_cast<size_t>(bytes.GetCount()));
}

MemoryPH<unsigned char> Bytes(const std::string& text)
{
    MemoryPH<unsigned char> bytes(text.size());
    if (!text.empty())
        std::memcpy(bytes.GetData(), text.data(), text.size());
    return bytes;
}

// Runs a parser and lets its own rejections pass.
template <class Parse> void Rejecting(Parse parse)
{
    try
    {
        parse();
    }
    catch (const QuilloryError&)
    {
    }
    catch (const std::bad_alloc&)
    {
    }
}

void Nothing() {}

void LoadLanguage()
{
    static HMODULE module = LoadLibraryW(GetModuleFolder(nullptr, L"Resources EN US.dll").GetText());
    LanguageModule = module;
    UiLanguage = LanguageEnglish;
}

// ---- key reply -----------------------------------------------------------------

void RunKeyReply(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MemoryPH<unsigned char> key;
        MStringEx<wchar_t> session;
        ParseServerKeyReply(Input(data, size), key, session);
    });
}

std::vector<std::string> KeyReplySeeds()
{
    return {"<?xml version=\"1.0\"?><rsa_key><version>1</version><session>S0123</session>"
            "<public_key>0602000000A40000525341310004000001000100AB</public_key></rsa_key>",
            "<rsa_key><version>1</version><session><![CDATA[x]]></session><public_key/></rsa_key>"};
}

// ---- framed session replies ----------------------------------------------------

std::unique_ptr<MACrypt> SessionKey;

void PrepareSessionKey()
{
    LoadLanguage();
    if (!SessionKey)
        SessionKey = std::make_unique<MACrypt>(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512),
                                               0, MACrypt::Chained);
}

void RunSessionReply(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MemoryPH<unsigned char> reply(Input(data, size));
        SecureBytes fields[5];
        OpenFramedReply(reply, L"12345678901234", *SessionKey, ReplyChecks{6, 1030, 9, 1040}, fields, 5);
    });
}

std::vector<std::string> SessionReplySeeds()
{
    std::string blocks(65, '\0');
    blocks[0] = 0;
    return {blocks, std::string("\x01h\0i\0", 5), std::string(129, '\x05')};
}

// ---- cache file ----------------------------------------------------------------

std::unique_ptr<SlideCacheCipher> CacheCipher;

void PrepareCache()
{
    if (!CacheCipher)
        CacheCipher = std::make_unique<SlideCacheCipher>();
}

void RunCacheFile(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MemoryPH<unsigned char> contents;
        DecodeSlideCachePlain(Input(data, size), contents);
        OpenSlideCacheFile(*CacheCipher, Input(data, size), contents);
    });
}

std::vector<std::string> CacheSeeds()
{
    PrepareCache();
    std::vector<std::string> seeds;
    for (const char* contents : {"", "QSC1\0\0\0\x03payload", "a longer cache payload of the server, 48 bytes."})
    {
        MemoryPH<unsigned char> plain = EncodeSlideCachePlain(Bytes(contents));
        seeds.push_back(Text(plain));
        CacheCipher->Encrypt(plain);
        seeds.push_back(Text(plain));
    }
    return seeds;
}

// ---- property texts ------------------------------------------------------------

void RunProperties(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MStringEx<wchar_t> text{ElementCount(size / 2)};
        if (size >= 2)
            std::memcpy(text.GetData(), data, size / 2 * 2);
        SlideProperties properties;
        ParseSlideProperties(ReplySection(text, SlidePropertiesMarker), properties);
        ParseSlideProperties(text, properties);
        ReplySection(text, SecondSectionMarker);
        MList<ContentPropertyRow> rows;
        ParseContentProperties(ContentPropertyTexts(), text, rows);
    });
}

std::string Utf16(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::vector<std::string> PropertySeeds()
{
    const std::wstring separator = PropertyItemSeparator;
    return {Utf16(std::wstring(SlidePropertiesMarker) + L"title=A" + separator + L"creator=C" + separator +
                  L"border_window=frame" + SlidePropertiesMarker),
            Utf16(L"Size=yes=10 x 20" + separator + L"Link=on=a=b" + separator + L"x")};
}

// ---- get-slide reply -----------------------------------------------------------

void RunSlideReply(const unsigned char* data, size_t size)
{
    Rejecting([&] { ParseGetSlideReply(Input(data, size)); });
}

void Be32(std::string& out, size_t n)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(n >> shift));
}

void Field(std::string& out, const std::string& bytes)
{
    Be32(out, bytes.size());
    out += bytes;
}

std::vector<std::string> SlideReplySeeds()
{
    std::string picture(1, '\x01'), media(1, '\x02'), message(1, '\x82');
    Field(picture, "picture");
    Field(picture, "");
    Field(picture, Utf16(L"props"));
    picture.push_back('\x80');
    Field(picture, "cache");
    Field(media, Utf16(L"title"));
    Field(media, "media bytes");
    Field(media, "");
    media.push_back('\0');
    Field(media, "cache");
    Field(media, std::string(64, 'c'));
    Field(message, Utf16(L"Come back later."));
    return {picture, media, message};
}

// ---- get-slide reply layers ----------------------------------------------------

std::unique_ptr<MACrypt> UnwrapKey;
std::unique_ptr<AesCipher> UnwrapCipher;

void PrepareUnwrap()
{
    if (UnwrapKey)
        return;
    UnwrapKey = std::make_unique<MACrypt>(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512), 0,
                                          MACrypt::Chained);
    const MAAuthenticator hasher(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                                 MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
    SecureBytes secret;
    secret.AssignSecure(UnwrapKey->ExportPublicKey());
    UnwrapCipher = std::make_unique<AesCipher>(hasher, secret);
}

void RunSlideUnwrap(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MemoryPH<unsigned char> reply;
        const unsigned n = size ? 10 + data[0] % 16 : 10;
        UnwrapGetSlideReply(*UnwrapCipher, *UnwrapKey, n, Input(data, size), reply, nullptr);
    });
}

std::vector<std::string> SlideUnwrapSeeds()
{
    PrepareUnwrap();
    std::vector<std::string> seeds;
    for (size_t length : {5u, 12u, 700u, 2000u})
    {
        MemoryPH<unsigned char> cipher;
        UnwrapCipher->EncryptCbc(MemoryPH<unsigned char>(length, 0x41), cipher);
        seeds.push_back(Text(cipher));
    }
    return seeds;
}

// ---- settings record -----------------------------------------------------------

void RunSettings(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        WriteProductValue(PerformanceDataValueName, REG_BINARY, data, static_cast<DWORD>(size));
        PerformanceData settings;
        SlideTimer timer;
        RECT area = {};
        LoadPerformanceData(settings, timer, area);
    });
}

std::vector<std::string> SettingsSeeds()
{
    PerformanceData settings;
    SlideTimer timer;
    const PerformanceData::Words words = settings.ToWords(timer);
    return {std::string(reinterpret_cast<const char*>(words.data()), words.size() * sizeof(DWORD))};
}
} // namespace

const std::vector<FuzzTarget>& FuzzTargets()
{
    static const std::vector<FuzzTarget> targets = {
        {"key-reply", LoadLanguage, RunKeyReply, KeyReplySeeds},
        {"session-reply", PrepareSessionKey, RunSessionReply, SessionReplySeeds},
        {"cache-file", PrepareCache, RunCacheFile, CacheSeeds},
        {"properties", LoadLanguage, RunProperties, PropertySeeds},
        {"slide-reply", Nothing, RunSlideReply, SlideReplySeeds},
        {"slide-unwrap", PrepareUnwrap, RunSlideUnwrap, SlideUnwrapSeeds},
        {"settings", Nothing, RunSettings, SettingsSeeds},
        // Still to come from the local slide show: the current-slide record,
        // Display Control and the EXIF reader.
    };
    return targets;
}
