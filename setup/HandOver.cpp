#include "setup/HandOver.h"

#include "foundation/Containers.h"

namespace
{
MString SwitchPrefix(const wchar_t* name, const wchar_t* after)
{
    return MString(sX::Format(), L"%s%s%s", name, HandOver::Separator, after);
}
}

SetupMode ChooseSetupMode(const wchar_t* commandLine, MString& switchText)
{
    MString text(commandLine ? commandLine : L"");
    text.Trim();
    text.Trim(L'"');

    unsigned __int64 at = text.Find(SwitchPrefix(HandOver::UninstallInstallSwitch, L""), 0, false);
    if (at == MString::npos)
        at = text.Find(SwitchPrefix(HandOver::UpgradeSwitch, L"{"), 0, false);
    switchText = at == MString::npos ? MString() : text.Mid(at);

    if (switchText.StartsWith(SwitchPrefix(HandOver::UpgradeSwitch, L"{"), false))
        return SetupMode::Upgrade;
    if (switchText.StartsWith(SwitchPrefix(HandOver::UninstallInstallSwitch, L"{"), false))
        return SetupMode::UninstallInstall;
    return SetupMode::Plain;
}

std::vector<MString> SplitHandOverItems(const MString& text)
{
    const MList<MString> pieces = text.Split(MString(HandOver::Separator), true);
    std::vector<MString> items;
    for (unsigned __int64 i = 0; i < pieces.GetCount(); ++i)
        items.push_back(*pieces.GetAt(i));
    return items;
}

unsigned LeadingNumber(const MString& item)
{
    unsigned __int64 value = 0;
    for (const wchar_t* c = item.GetText(); *c >= L'0' && *c <= L'9'; ++c)
    {
        value = value * 10 + static_cast<unsigned>(*c - L'0');
        if (value > 0xFFFFFFFFull)
            return 0xFFFFFFFFu;
    }
    return static_cast<unsigned>(value);
}

bool ParseUpgradeCommandLine(const MString& switchText, UpgradeRequest& request)
{
    const std::vector<MString> items = SplitHandOverItems(switchText);
    if (items.size() < 6)
        return false;
    request.productCode = items[1];
    request.packagePath = items[2];
    request.installFolder = items[3];
    request.exitEventName = items[4];
    request.language = LeadingNumber(items[5]);
    return true;
}

bool ParseInstallCommandLine(const MString& switchText, InstallRequest& request)
{
    const std::vector<MString> items = SplitHandOverItems(switchText);
    if (items.size() < 4)
        return false;
    request.productCode = items[1];
    request.packagePath = items[2];
    request.installFolder = items[3];
    request.language = items.size() > 4 ? LeadingNumber(items[4]) : HandOver::English;
    return true;
}

MString MakeUpgradeCommandLine(const UpgradeRequest& request)
{
    const wchar_t* s = HandOver::Separator;
    return MString(sX::Format(), L"%s%s%s%s%s%s%s%s%s%s%u", HandOver::UpgradeSwitch, s, request.productCode.GetText(),
                   s, request.packagePath.GetText(), s, request.installFolder.GetText(), s,
                   request.exitEventName.GetText(), s, request.language);
}

MString MakeInstallCommandLine(const InstallRequest& request)
{
    const wchar_t* s = HandOver::Separator;
    return MString(sX::Format(), L"%s%s%s%s%s%s%s%s%u", HandOver::UninstallInstallSwitch, s,
                   request.productCode.GetText(), s, request.packagePath.GetText(), s,
                   request.installFolder.GetText(), s, request.language);
}

MString MakeCleanSetupCommandLine(const wchar_t* setupFile, DWORD processId)
{
    const wchar_t* s = HandOver::Separator;
    return MString(sX::Format(), L"\"%s%s%s%s%lu\"", HandOver::CleanSetupSwitch, s, setupFile, s, processId);
}

MString ViewerPathIn(const MString& installFolder)
{
    MString folder(installFolder);
    folder.TrimRight(L'\\');
    return MString(sX::Format(), L"%s\\%s", folder.GetText(), HandOver::ViewerFileName);
}

MString MsiUninstallParameters(const MString& productCode)
{
    return MString(sX::Format(), L"/x %s /passive", productCode.GetText());
}

MString MsiInstallParameters(const MString& packagePath, const MString& installFolder)
{
    return MString(sX::Format(), L"/i \"%s\" /qb TARGETDIR=\"%s\"", packagePath.GetText(), installFolder.GetText());
}
