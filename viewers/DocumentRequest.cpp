#include "viewers/DocumentRequest.h"

#include "crypto/CryptBase.h"
#include "foundation/SystemUtilities.h"
#include "server/GetSlideHeaders.h"
#include "server/SessionAuthCode.h"
#include "viewers/MediaVolume.h"

#include <exdisp.h>

#include <new>

const wchar_t DocRequestVersionHeader[] = L"Velmora-LV-Doc-Slide-Request-Version";
const wchar_t DocRequestTypeHeader[] = L"Velmora-LV-Doc-Slide-Request-Type";
const wchar_t PlayerVolumeHeader[] = L"Velmora-LV-Player-Volume";

HeaderList BuildDocumentRequestHeaders(const MAtom<unsigned char>& authCode)
{
    HeaderList headers;
    headers.Add(DocRequestVersionHeader, L"1");
    headers.Add(DocRequestTypeHeader, L"Render-Document-Slide");
    headers.Add(L"Velmora-LV-Product-Name", HexOfText(ProductName));
    headers.Add(L"Velmora-LV-Product-Version", HexOfText(MString(L"ProductVersion", nullptr)));
    headers.Add(L"Velmora-LV-UI-Language", MString(false, UiLanguage));
    headers.Add(PlayerVolumeHeader, MString(sX::Format(), L"%f", ReadMediaVolume()));
    SecureBytes wire;
    AuthCodeForServer(authCode, wire);
    if (wire.GetCount() != 0)
        headers.Add(AuthCodeHeader, HexHeaderValue(wire));
    return headers;
}

namespace
{
// A BSTR freed with the owner.
class Bstr
{
public:
    explicit Bstr(const wchar_t* text) : m_text(text ? SysAllocString(text) : nullptr) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(m_text); }
    BSTR Get() const { return m_text; }

private:
    BSTR m_text;
};
} // namespace

HRESULT NavigateToDocument(IWebBrowser2* browser, const MString& address, const MAtom<unsigned char>& authCode)
{
    if (!browser)
        return E_POINTER;
    const MString block = BuildDocumentRequestHeaders(authCode).HeaderBlock();
    const Bstr url(address.IsEmpty() ? nullptr : address.GetText());
    const Bstr headerText(block.GetText());
    if ((!address.IsEmpty() && !url.Get()) || !headerText.Get())
        throw std::bad_alloc();
    VARIANT flags, empty, headers;
    VariantInit(&flags);
    VariantInit(&empty);
    VariantInit(&headers);
    flags.vt = VT_I4;
    flags.lVal = DocumentNavigateFlags;
    headers.vt = VT_BSTR;
    headers.bstrVal = headerText.Get();
    return browser->Navigate(url.Get(), &flags, &empty, &empty, &headers);
}
