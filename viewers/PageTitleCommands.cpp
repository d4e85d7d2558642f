#include "viewers/PageTitleCommands.h"

#include "foundation/Containers.h"
#include "foundation/DefaultBrowser.h"

#include <cwchar>

namespace
{
struct PrefixEntry
{
    PageCommand command;
    const wchar_t* prefix;
};

const PrefixEntry Prefixes[] = {
    {PageCommand::SetVolume, L"LV::Set-Volume-{FB47BB3A-C1CE-4C79-A4A2-E797E4F5B943}**"},
    {PageCommand::OpenLink, L"LV::Open-Link-{85FEE7EC-DA63-49C9-A2E3-7C0FE61017F4}**"},
    {PageCommand::EnterFullScreen, L"LV::Enter-Full-Screen-{FB47BB3A-C1CE-4C79-A4A2-E797E4F5B943}**"},
    {PageCommand::ExitFullScreen, L"LV::Exit-Full-Screen-{FB47BB3A-C1CE-4C79-A4A2-E797E4F5B943}**"},
    {PageCommand::CloseWindow, L"LV::Close-Window-{FB47BB3A-C1CE-4C79-A4A2-E797E4F5B943}**"},
};

struct ParameterName
{
    PageCommandParameter parameter;
    const wchar_t* name;
};

const ParameterName ParameterNames[] = {
    {PageCommandParameter::RequestId, L"reqid"},
    {PageCommandParameter::Link, L"href"},
    {PageCommandParameter::Volume, L"volume"},
};

const wchar_t ItemSeparator[] = L"<|>";

PageCommand ParseOrThrow(const MString& title, PageCommandParameters& parameters)
{
    const PrefixEntry* found = nullptr;
    for (const PrefixEntry& entry : Prefixes)
        if (title.StartsWith(entry.prefix, false))
        {
            found = &entry;
            break;
        }
    if (!found)
        return PageCommand::None;

    const MList<MString> items = title.Mid(std::wcslen(found->prefix)).Split(ItemSeparator, true);
    for (unsigned __int64 i = 0; i < items.GetCount(); ++i)
    {
        const MString& item = *items.GetAt(i);
        const unsigned __int64 equals = item.FindChar(L'=', 0, true);
        if (equals == MString::npos)
            continue;
        MString name = item.Left(equals);
        MString value = item.Mid(equals + 1);
        name.Trim();
        value.Trim();
        if (name.IsEmpty() || value.IsEmpty())
            continue;
        for (const ParameterName& known : ParameterNames)
        {
            if (!name.EqualsNoCase(known.name))
                continue;
            // A parameter named twice leaves it open which value counts:
            // such a title is no command at all.
            if (!parameters.emplace(known.parameter, value).second)
            {
                parameters.clear();
                return PageCommand::None;
            }
        }
    }
    return found->command;
}
} // namespace

const wchar_t* PageCommandPrefix(PageCommand command)
{
    for (const PrefixEntry& entry : Prefixes)
        if (entry.command == command)
            return entry.prefix;
    return L"";
}

PageCommand ParseTitleCommand(const MString& title, PageCommandParameters& parameters)
{
    parameters.clear();
    try
    {
        return ParseOrThrow(title, parameters);
    }
    catch (...)
    {
        // The title arrives in a browser event: nothing may leave it.
        parameters.clear();
        return PageCommand::None;
    }
}

PageCommand PageCommandGate::Accept(const MString& title, PageCommandParameters& parameters)
{
    parameters.clear();
    if (!m_documentComplete)
        return PageCommand::None;
    const PageCommand command = ParseTitleCommand(title, parameters);
    if (command == PageCommand::None)
        return command;
    const auto requestId = parameters.find(PageCommandParameter::RequestId);
    if (requestId == parameters.end() || requestId->second.EqualsNoCase(m_lastRequestId))
        return PageCommand::None;
    m_lastRequestId = requestId->second;
    switch (m_trust)
    {
    case PageTrust::Full:
        return command;
    case PageTrust::LinksOnly:
        return command == PageCommand::OpenLink ? command : PageCommand::None;
    case PageTrust::Nothing:
        break;
    }
    return PageCommand::None;
}

bool ParsePageVolume(const MString& text, double& volume)
{
    volume = std::wcstod(text.GetText(), nullptr);
    return volume >= 0.0 && volume <= 1.0;
}

bool OpenPageLink(const MString& link)
{
    if (!IsWebAddress(link.GetText()))
        return false;
    const HINSTANCE result =
        OpenUrlInDefaultBrowser(sX::Browser(), GetDesktopWindow(), L"Open", link.GetText(), SW_SHOWMAXIMIZED);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
