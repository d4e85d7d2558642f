#include "upgrade/UpgradeWorker.h"

#include "crypto/Authenticator.h"
#include "crypto/CryptException.h"
#include "foundation/StringException.h"
#include "resources/languages/LanguageIds.h"
#include "server/InternetException.h"

#include <cstring>
#include <memory>

namespace
{
constexpr unsigned __int64 LargestServerMessage = 10000;
// A pause after each hashing progress message, so that the dialog can show it.
constexpr DWORD HashPause = 20;

const wchar_t StatusHeader[] = L"Velmora-LV-Automatic-Upgrade-Result-Status";
const wchar_t ShaHeader[] = L"Velmora-LV-Automatic-Upgrade-Download-Hash-Code-SHA";
const wchar_t Md5Header[] = L"Velmora-LV-Automatic-Upgrade-Download-Hash-Code-MD5";

// Reports the hashing's progress to the dialog and stops it on cancel.
class LocalObserver : public MObserver
{
public:
    LocalObserver(HWND owner, HANDLE cancelEvent) : m_owner(owner), m_cancel(cancelEvent) {}

    bool Progress(unsigned __int64 reached, unsigned __int64 total, unsigned __int64) override
    {
        if (m_cancel && WaitForSingleObject(m_cancel, 0) == WAIT_OBJECT_0)
            return false;
        SendMessageW(m_owner, WM_UPGRADE_HASH_PROGRESS, reinterpret_cast<WPARAM>(&total),
                     reinterpret_cast<LPARAM>(&reached));
        Sleep(HashPause);
        return true;
    }

private:
    HWND m_owner;
    HANDLE m_cancel;
};

const ResponseHeader* FindHeader(const ResponseHeaders& headers, const wchar_t* name)
{
    for (const ResponseHeader& header : headers)
        if (header.present && std::wcscmp(header.name.GetText(), name) == 0)
            return &header;
    return nullptr;
}

// The text of a header value's UTF-16 bytes (an odd last byte is dropped).
MString HeaderText(const MAtom<unsigned char>& value)
{
    const size_t units = static_cast<size_t>(value.GetCount() / 2);
    MString text(ElementCount{units + 1});
    if (units)
        std::memcpy(text.GetData(), value.GetData(), units * sizeof(wchar_t));
    text.GetData()[units] = 0;
    return text;
}

int HexDigit(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

MString Message(unsigned id, const MString& site) { return MString(sX::Format(), id, site.GetText()); }

bool FileSize(HANDLE file, unsigned __int64& size)
{
    LARGE_INTEGER value;
    if (!GetFileSizeEx(file, &value))
        return false;
    size = static_cast<unsigned __int64>(value.QuadPart);
    return true;
}

// The message of an "ERROR" reply, read back from the package file.
UpgradeCode ServerRefusal(const UpgradeWorkerParams& params, MString& text)
{
    text = Message(IDS_UPGRADE_BAD_REPLY, params.webSiteText);
    unsigned __int64 size = 0;
    if (!FileSize(params.packageFile, size) || size > LargestServerMessage)
        return UpgradeFailed;
    MemoryPH<unsigned char> body(static_cast<size_t>(size));
    DWORD read = 0;
    if (SetFilePointer(params.packageFile, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile(params.packageFile, body.GetData(), static_cast<DWORD>(size), &read, nullptr) || read != size)
        return UpgradeFailed;
    MString message;
    if (!DecodeServerMessage(body, message))
        return UpgradeFailed;
    text = MString(sX::Format(), IDS_UPGRADE_SERVER_MESSAGE, message.GetText(), params.webSiteText.GetText());
    return UpgradeFailed;
}

MAAuthenticator Hasher(const UpgradeWorkerParams& params, ALG_ID algorithm)
{
    return MAAuthenticator(PROV_RSA_AES, params.xp ? RsaAesProviderName() : EnhancedRsaAesProviderName,
                           MAsymmetric::KeyLength(512), MAAuthenticator::MAAuthAlgHash(algorithm));
}

// Both digests of the package against the reply's headers.
UpgradeCode Verify(UpgradeWorkerParams& params, const ResponseHeaders& headers, MString& text)
{
    PostMessageW(params.owner, WM_UPGRADE_STATUS, IDS_UPGRADE_VERIFYING, 0);
    const MString& label = params.productLabel;
    try
    {
        LocalObserver observer(params.owner, params.cancelEvent);
        const struct
        {
            ALG_ID algorithm;
            const wchar_t* header;
        } digests[] = {{CALG_SHA1, ShaHeader}, {CALG_MD5, Md5Header}};
        for (const auto& digest : digests)
        {
            const ResponseHeader* expected = FindHeader(headers, digest.header);
            if (!expected)
                throw std::runtime_error("digest header missing");
            MemoryPH<unsigned char> value;
            HashFile(Hasher(params, digest.algorithm), params.packageFile, 0, 0, value, false, &observer);
            if (!DigestMatches(value, expected->value))
            {
                text = MString(sX::Format(), IDS_UPGRADE_DIGEST_MISMATCH, label.GetText(), params.webSiteText.GetText());
                return UpgradeNotVerified;
            }
        }
        params.packageFile.Close();
        text = MString(L"");
        return UpgradeVerified;
    }
    catch (const MCryptException& failure)
    {
        text = MString(sX::Format(), IDS_UPGRADE_VERIFY_CRYPTO_FAILED, label.GetText(), failure.Message().GetText(),
                       params.webSiteText.GetText());
    }
    catch (...)
    {
        text = MString(sX::Format(), IDS_UPGRADE_VERIFY_FAILED, label.GetText(), params.webSiteText.GetText());
    }
    return UpgradeNotVerified;
}

UpgradeCode Download(UpgradeWorkerParams& params, MString& text)
{
    PostMessageW(params.owner, WM_UPGRADE_STATUS, IDS_UPGRADE_CONNECTING, 0);
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    const HeaderList request =
        UpgradeRequestHeaders(params, system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64);
    ResponseHeaders headers(3);
    headers[0].name = Md5Header;
    headers[1].name = ShaHeader;
    headers[2].name = StatusHeader;
    const MString agent(sX::Format(), L"%s %s", params.productName.GetText(), params.productVersion.GetText());

    long error = 0;
    if (!HttpDownloadToFileWithHeaders(params.links.first, request, agent, params.packageFile, params.owner,
                                       WM_UPGRADE_PROGRESS, params.cancelEvent, headers, error))
    {
        if (error == DownloadCancelled)
        {
            text = MString(L"");
            return UpgradeCancelled;
        }
        text = MString(sX::Format(), IDS_UPGRADE_DOWNLOAD_FAILED, static_cast<int>(error),
                       params.webSiteText.GetText());
        return UpgradeFailed;
    }

    const ResponseHeader* status = FindHeader(headers, StatusHeader);
    if (!status)
    {
        // No verdict: the reply did not come from the package page.
        text = Message(IDS_UPGRADE_BAD_REPLY, params.webSiteText);
        return UpgradeFailed;
    }
    if (StatusIs(status->value, L"ERROR"))
        return ServerRefusal(params, text);
    if (!StatusIs(status->value, L"SUCCESS"))
    {
        text = Message(IDS_UPGRADE_BAD_REPLY, params.webSiteText);
        return UpgradeFailed;
    }
    unsigned __int64 size = 0;
    if (FileSize(params.packageFile, size) && size == 0)
    {
        text = Message(IDS_UPGRADE_EMPTY_PACKAGE, params.webSiteText);
        return UpgradeEmptyPackage;
    }
    return Verify(params, headers, text);
}
} // namespace

HeaderList UpgradeRequestHeaders(const UpgradeWorkerParams& params, bool nativeAmd64)
{
    HeaderList headers;
    headers.Add(L"Velmora-LV-UI-Language", MString(sX::Format(), L"%u", static_cast<unsigned>(params.language)));
    headers.Add(L"Velmora-LV-Client-OS-Platform-Word-Width", nativeAmd64 ? L"64" : L"32");
    headers.Add(L"Velmora-LV-Client-OS-Platform-Version", params.platformVersionName);
    headers.Add(L"Velmora-LV-Client-OS-Platform-Name", params.platformName);
    headers.Add(L"Velmora-LV-Product-Model", L"Standard");
    headers.Add(L"Velmora-LV-Product-Version", params.productVersion);
    headers.Add(L"Velmora-LV-Product-Name", params.productName);
    headers.Add(L"Velmora-LV-Automatic-Upgrade-Required-Version", L"Latest");
    headers.Add(L"Velmora-LV-Automatic-Upgrade-Request-Type", L"Get-Software-Installer");
    headers.Add(L"Velmora-LV-Automatic-Upgrade-Version", L"2");
    return headers;
}

bool DecodeServerMessage(const MAtom<unsigned char>& body, MString& message)
{
    const unsigned __int64 size = body.GetCount();
    if (size > LargestServerMessage)
        return false;
    // A lone last digit is ignored.
    const size_t bytes = static_cast<size_t>(size / 2);
    if (bytes % 2 != 0)
        return false;
    const unsigned char* text = body.GetData();
    std::vector<unsigned char> decoded(bytes);
    for (size_t i = 0; i < bytes; ++i)
    {
        const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        decoded[i] = static_cast<unsigned char>(high << 4 | low);
    }
    const size_t units = bytes / 2;
    MString result(ElementCount{units + 1});
    for (size_t i = 0; i < units; ++i)
        result.GetData()[i] = static_cast<wchar_t>(decoded[2 * i] | decoded[2 * i + 1] << 8);
    result.GetData()[units] = 0;
    message = result;
    return true;
}

bool StatusIs(const MAtom<unsigned char>& value, const wchar_t* word)
{
    if (value.GetCount() % 2 != 0)
        return false;
    const MString text = HeaderText(value);
    // The value's own length counts, not its text up to a NUL.
    return value.GetCount() / 2 == std::wcslen(word) && _wcsnicmp(text.GetText(), word, std::wcslen(word)) == 0;
}

bool DigestMatches(const MAtom<unsigned char>& digest, const MAtom<unsigned char>& value)
{
    if (digest.IsEmpty())
        return false;
    const MemoryPH<char> hex = BytesToHexText(digest);
    const MStringEx<char> expected = WideToUtf8String(HeaderText(value));
    const size_t length = static_cast<size_t>(expected.GetLength());
    if (value.GetCount() / 2 != length || length != hex.GetCount())
        return false;
    return _strnicmp(hex.GetData(), expected.GetText(), length) == 0;
}

UpgradeCode RunUpgradeDownload(UpgradeWorkerParams& params, MString& text)
{
    try
    {
        return Download(params, text);
    }
    catch (const InternetException& failure)
    {
        text = MString(sX::Format(), IDS_UPGRADE_FAILED_AT, 105, ErrorLocationText(failure).GetText(),
                       params.webSiteText.GetText());
    }
    catch (const QuilloryError& failure)
    {
        const MString detail(sX::Format(), L"%u - %lu", failure.Code(), failure.SystemError());
        text = MString(sX::Format(), IDS_UPGRADE_FAILED_AT, dynamic_cast<const MStringException*>(&failure) ? 115 : 109,
                       detail.GetText(), params.webSiteText.GetText());
    }
    catch (...)
    {
        try
        {
            text = Message(IDS_UPGRADE_UNEXPECTED, params.webSiteText);
        }
        catch (...)
        {
            text = MString(L"");
        }
    }
    return UpgradeFailed;
}

DWORD WINAPI UpgradeWorker(LPVOID parameter)
{
    std::unique_ptr<UpgradeWorkerParams> params(static_cast<UpgradeWorkerParams*>(parameter));
    std::unique_ptr<UpgradeResult> result;
    UpgradeCode code = UpgradeFailed;
    try
    {
        result.reset(new UpgradeResult);
        code = RunUpgradeDownload(*params, result->text);
        result->packagePath = params->packagePath;
    }
    catch (...)
    {
        code = UpgradeFailed;
    }
    const HWND owner = params->owner;
    // The file is closed before the dialog hears of the end.
    params.reset();
    PostUpgradeFinished(owner, code, std::move(result));
    return 0;
}
