#include "core/ProgramObjects.h"

#include "crypto/CryptBase.h"

#define QUILLORY_PRODUCT_CODE L"{97095852-4142-479B-9DF3-A81B80B19229}"

const wchar_t ProductCode[] = QUILLORY_PRODUCT_CODE;
const wchar_t RunningEventName[] = QUILLORY_PRODUCT_CODE L"LV_{A7FE042E-D363-4FD3-BC56-7A314933AA14}";
const wchar_t ReleaseCheckEventName[] = QUILLORY_PRODUCT_CODE L"LV_{1B7090D9-7D4C-4A17-98DB-9D235BD9F16B}";
const wchar_t InstanceMutexNameFormat[] = QUILLORY_PRODUCT_CODE L"LV_{53697C49-42F2-4217-8E70-6E27966A4F5B}_%s";
const wchar_t QuitRunningInstanceMessageName[] = QUILLORY_PRODUCT_CODE L"LV_{02809EA5-0FB1-4E16-8553-99521715C111}";
const wchar_t CloseDialogsMessageName[] = QUILLORY_PRODUCT_CODE L"LV_{4DD12BDF-90B6-44AB-A2DB-317E6C3751A0}";

DialogCloseTokens DialogCloseToken;

UINT QuitRunningInstanceMessage() { return RegisterWindowMessageW(QuitRunningInstanceMessageName); }

MString NewUpgradeExitEventName()
{
    return MString(sX::Format(), QUILLORY_PRODUCT_CODE L"LV_{825EFE34-CD91-420D-978C-9FFB2E55DF63}_%s",
                   NewGuidString().GetText());
}

MString DialogMutexName(const wchar_t* key)
{
    MString name(sX::Format(), QUILLORY_PRODUCT_CODE L"LV_%s_{F8D49EB9-D8B6-4646-9E08-EF2B280CD755}", key);
    return name.Remove(L' ');
}

void DialogCloseTokens::Draw()
{
    wParamToken = 0;
    lParamToken = 0;
    // The system's generator: two copies started at the same moment draw
    // different tokens. A pair of zeros stands for "not drawn" and is drawn
    // again.
    MCryptBase context(PROV_RSA_FULL, EnhancedRsaFullProviderName, CryptContextFlags);
    DWORD drawn[2] = {0, 0};
    while (drawn[0] == 0 && drawn[1] == 0)
        if (!CryptGenRandom(context.GetProvider(), sizeof(drawn), reinterpret_cast<BYTE*>(drawn)))
            ThrowLastCryptError();
    wParamToken = drawn[0];
    lParamToken = drawn[1];
}

bool DialogCloseTokens::Matches(WPARAM wParam, LPARAM lParam) const
{
    const DWORD first = wParamToken.load(), second = lParamToken.load();
    // Before the quit sequence drew them, no broadcast is this process's own.
    if (first == 0 && second == 0)
        return false;
    return static_cast<DWORD>(wParam) == first && static_cast<DWORD>(lParam) == second;
}
