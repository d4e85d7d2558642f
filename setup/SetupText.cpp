#include "setup/SetupText.h"

#include "foundation/SystemUtilities.h"

#include <cstdarg>

LANGID SetupLanguageOf(unsigned languageId)
{
    return languageId == 1026 ? 1026 : 1033;
}

LANGID DefaultSetupLanguage()
{
    return SetupLanguageOf(PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_BULGARIAN ? 1026 : 1033);
}

namespace
{
// The entry in one language: standard RT_STRING blocks of 16 counted
// strings. The block is the module's own resource, but is still walked
// within its size.
bool FindEntry(HMODULE module, unsigned id, LANGID language, MString& text)
{
    HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), language);
    if (!found)
        return false;
    const DWORD bytes = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const wchar_t* block = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!block)
        return false;
    const wchar_t* end = block + bytes / sizeof(wchar_t);
    const wchar_t* at = block;
    for (unsigned i = 0; i < (id & 15); ++i)
    {
        if (at >= end)
            return false;
        at += 1 + *at;
    }
    if (at >= end || *at == 0 || at + 1 + *at > end)
        return false;
    MString entry{ElementCount(*at)};
    CopyMemory(entry.GetData(), at + 1, *at * sizeof(wchar_t));
    text = MString(entry.GetText());
    return true;
}
}

MString SetupString(HMODULE module, unsigned id, LANGID language)
{
    MString text;
    if (FindEntry(module, id, SetupLanguageOf(language), text) || FindEntry(module, id, 1033, text))
        return text;
    return MString();
}

MString FormatSetupString(HMODULE module, unsigned id, unsigned language, ...)
{
    const MString format = SetupString(module, id, static_cast<LANGID>(language));
    va_list args;
    va_start(args, language);
    MString text;
    text.FormatV(format.GetText(), args);
    va_end(args);
    return text;
}

MString SetupCaption(HMODULE module)
{
    MString internalName;
    try
    {
        internalName = MString(L"InternalName", module);
    }
    catch (const QuilloryError&)
    {
        internalName = L"Setup";
    }
    return MString(sX::Format(), L"%s - %s", ProductName, internalName.GetText());
}

MString ViewerNotStoppedText(LANGID language)
{
    if (SetupLanguageOf(language) == 1026)
        return MString(sX::Format(),
                       L"%s не можа да бъде спрян от настройващия процес. "
                       L"Моля спрете приложението ръчно и опитайте отново.",
                       ProductName);
    return MString(sX::Format(),
                   L"The %s could not be stopped by the setup. Please stop the application manually and try again.",
                   ProductName);
}
