#include "viewers/DocumentRequest.h"

#include "crypto/CryptBase.h"
#include "foundation/SystemUtilities.h"
#include "server/GetSlideHeaders.h"
#include "server/SessionAuthCode.h"
#include "viewers/MediaVolume.h"

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
