// Benchmark, not a test: one online slide from the stand-in, step by step
// (exchange, request and download, decryption, reply checks, decoding), and
// a plain WinINet GET of as many bytes from the same stand-in.
#include "crypto/ProtectedTexts.h"
#include "foundation/SystemUtilities.h"
#include "server/GetSlideHeaders.h"
#include "server/GetSlideReply.h"
#include "server/HttpTransport.h"
#include "server/ServerPages.h"
#include "server/SlideDownloadWorker.h"
#include "server/SlideSession.h"
#include "shell/core/Language.h"
#include "shell/core/ThreadCounter.h"

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
        QueryPerformanceCounter(&t0);
        const MACrypt clientKey(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(2048), 0,
                                MACrypt::Chained);
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
        const MAAuthenticator hasher(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                                     MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
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
        std::printf("picture bytes  %llu (reply %llu bytes, width %u)\n",
                    static_cast<unsigned long long>(parsed.content.GetCount()),
                    static_cast<unsigned long long>(answer->GetCount()), width);
        std::printf("exchange       %8.3f s\n", Seconds(t0, t1, f));
        std::printf("request+download %6.3f s\n", Seconds(t1, t2, f));
        std::printf("decryption     %8.3f s\n", Seconds(t2, t3, f));
        std::printf("reply checks   %8.3f s\n", Seconds(t3, t4, f));
        std::printf("decoding       %8.3f s\n", Seconds(t4, t5, f));
        std::printf("slide total    %8.3f s\n", Seconds(t0, t5, f));
        std::printf("plain GET      %8.3f s (%llu bytes)\n", Seconds(t6, t7, f),
                    static_cast<unsigned long long>(plain.GetCount()));
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
