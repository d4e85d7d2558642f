// Benchmark, not a test: one online slide from the stand-in, step by step
// (exchange, request and download, decryption, reply checks, decoding), and
// a plain WinINet GET of as many bytes from the same stand-in. The slide is
// a next slide: the worker's key pairs were made while the one before it was
// shown. The decryption's parts (key and IV, the two AES passes, the RSA
// layer) are timed again on their own after the slide.
#include "crypto/ProtectedTexts.h"
#include "foundation/SystemUtilities.h"
#include "server/GetSlideHeaders.h"
#include "server/GetSlideReply.h"
#include "server/HttpTransport.h"
#include "server/KeyPairSupply.h"
#include "server/ServerPages.h"
#include "server/SlideDownloadWorker.h"
#include "server/SlideSession.h"
#include "core/Language.h"
#include "core/ThreadCounter.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <cstdio>
#include <memory>

namespace
{
double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Seconds the step takes.
template <class Step> double Time(Step step)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    step();
    QueryPerformanceCounter(&end);
    return Seconds(start, end, frequency);
}

MAAuthenticator ReplyHasher()
{
    return MAAuthenticator(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                           MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
}

// The parts of the reply's decryption, each timed on its own.
struct DecryptionParts
{
    double keyAndIv = 0, aesPasses = 0, rsaLayer = 0;
};

DecryptionParts TimeDecryptionParts(const MAtom<unsigned char>& publicKey, const MACrypt& clientKey, unsigned n,
                                    const MAtom<unsigned char>& body)
{
    DecryptionParts parts;
    std::unique_ptr<AesCipher> cipher;
    parts.keyAndIv = Time([&] {
        SecureBytes secret;
        secret.AssignSecure(publicKey);
        cipher = std::make_unique<AesCipher>(ReplyHasher(), secret);
    });
    SecureBytes outer, middle;
    MemoryPH<unsigned char> reply;
    parts.aesPasses = Time([&] { cipher->DecryptCbc(body, outer, true); });
    const unsigned __int64 rsaBytes = RsaLayerBytes(n, clientKey.GetKeyLength().Bits() / 8u);
    parts.rsaLayer = Time([&] { clientKey.DecryptBuffer(outer.SubView(n, rsaBytes), middle, nullptr); });
    middle.Append(outer.SubView(n + rsaBytes, outer.GetCount() - n - rsaBytes));
    parts.aesPasses += Time([&] { cipher->DecryptCbc(middle, reply, true); });
    return parts;
}
}

int main()
{
    UiLanguage = LanguageEnglish;
    LanguageModule = LoadLibraryW(GetModuleFolder(nullptr, L"Resources EN US.dll").GetText());
    ServerBaseAddress() = StoredServerBaseAddress();
    ThreadCounterHolder.Create();
    ULONG_PTR gdiplus = 0;
    Gdiplus::GdiplusStartupInput startup;
    Gdiplus::GdiplusStartup(&gdiplus, &startup, nullptr);
    LARGE_INTEGER f, t0, t1, t2, t3, t4, t5, t6, t7;
    QueryPerformanceFrequency(&f);
    try
    {
        // What the worker of the slide before leaves behind.
        PrepareNextWorkerKeyPairs();
        if (!DownloadClientKeys().WaitUntilReady(120000) || !SessionKeyPairs().WaitUntilReady(120000))
            std::fprintf(stderr, "no key pairs were made ahead\n");
        QueryPerformanceCounter(&t0);
        const std::unique_ptr<MACrypt> clientKeyPair = DownloadClientKeys().Take(nullptr);
        const MACrypt& clientKey = *clientKeyPair;
        SecureBytes publicKey;
        publicKey.AssignSecure(clientKey.ExportPublicKey());
        HeaderList session;
        MemoryPH<unsigned char> serverKey;
        EstablishSlideSession(session, serverKey, nullptr);
        QueryPerformanceCounter(&t1);
        OnlineSlideRecord record;
        MemoryPH<unsigned char> body(8, 0);
        const unsigned n = 10;
        const HeaderList headers = BuildGetSlideHeaders(record, ClientKeyHeaderValue(publicKey, n), session, false);
        std::unique_ptr<MemoryPH<unsigned char>> answer(
            HttpPostToServer(GetServerPageUrl(PageGetSlide), headers, L"Quillory bench", body, nullptr));
        QueryPerformanceCounter(&t2);
        const MAAuthenticator hasher = ReplyHasher();
        SecureBytes secret;
        secret.AssignSecure(publicKey);
        const AesCipher cipher(hasher, secret);
        MemoryPH<unsigned char> reply;
        UnwrapGetSlideReply(cipher, clientKey, n, *answer, reply, nullptr);
        QueryPerformanceCounter(&t3);
        const GetSlideReply parsed = ParseGetSlideReply(reply);
        QueryPerformanceCounter(&t4);
        IStream* stream = SHCreateMemStream(parsed.content.GetData(), static_cast<UINT>(parsed.content.GetCount()));
        Gdiplus::GpBitmap* bitmap = nullptr;
        Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &bitmap);
        UINT width = 0;
        Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
        Gdiplus::GpGraphics* graphics = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        // Decoding happens on first use: draw it once.
        Gdiplus::GpBitmap* target = nullptr;
        Gdiplus::DllExports::GdipCreateBitmapFromScan0(64, 64, 0, PixelFormat32bppARGB, nullptr, &target);
        Gdiplus::DllExports::GdipGetImageGraphicsContext(target, &graphics);
        Gdiplus::DllExports::GdipDrawImageRectI(graphics, bitmap, 0, 0, 64, 64);
        QueryPerformanceCounter(&t5);
        MemoryPH<unsigned char> plain;
        // The same server over the same channel (TLS to the build's base address).
        const MStringEx<wchar_t> url(sX::Format(), L"%s/_test/bytes?count=%I64u", ServerBaseAddress().GetText(),
                                     answer->GetCount());
        QueryPerformanceCounter(&t6);
        HttpGetToMemory(url, L"", L"Quillory bench", plain);
        QueryPerformanceCounter(&t7);
        const DecryptionParts parts = TimeDecryptionParts(publicKey, clientKey, n, *answer);
        std::printf("picture bytes  %llu (reply %llu bytes, width %u)\n",
                    static_cast<unsigned long long>(parsed.content.GetCount()),
                    static_cast<unsigned long long>(answer->GetCount()), width);
        std::printf("exchange       %8.3f s\n", Seconds(t0, t1, f));
        std::printf("request+download %6.3f s\n", Seconds(t1, t2, f));
        std::printf("decryption     %8.3f s\n", Seconds(t2, t3, f));
        std::printf("  key and IV   %8.3f s (timed again after the slide)\n", parts.keyAndIv);
        std::printf("  AES passes   %8.3f s (both)\n", parts.aesPasses);
        std::printf("  RSA layer    %8.3f s\n", parts.rsaLayer);
        std::printf("reply checks   %8.3f s\n", Seconds(t3, t4, f));
        std::printf("decoding       %8.3f s\n", Seconds(t4, t5, f));
        std::printf("slide total    %8.3f s\n", Seconds(t0, t5, f));
        std::printf("plain GET      %8.3f s (%llu bytes)\n", Seconds(t6, t7, f),
                    static_cast<unsigned long long>(plain.GetCount()));
        const double floor = Seconds(t6, t7, f) + Seconds(t4, t5, f);
        std::printf("floor          %8.3f s (plain GET + decoding: ratio %.2f)\n", floor, floor / Seconds(t6, t7, f));
        std::printf("ratio %.2f\n", Seconds(t0, t5, f) / Seconds(t6, t7, f));
        Gdiplus::DllExports::GdipDeleteGraphics(graphics);
        Gdiplus::DllExports::GdipDisposeImage(target);
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
        DeleteDC(dc);
        stream->Release();
    }
    catch (const QuilloryError& failure)
    {
        std::fprintf(stderr, "failed: %s %u\n", failure.what(), failure.Code());
        return 1;
    }
    return 0;
}
