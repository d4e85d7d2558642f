#include "core/ShellStrings.h"

MStringEx<wchar_t> AppendPathComponent(const MStringEx<wchar_t>& folder, const MStringEx<wchar_t>& name)
{
    const wchar_t* f = folder.GetText();
    const unsigned __int64 length = folder.GetLength();
    if (length == 0 || (length == 1 && f[0] == L'\\'))
        return name;
    if (f[length - 1] == L'\\')
    {
        const wchar_t* rest = name.GetText();
        while (*rest == L'\\')
            ++rest;
        return MStringEx<wchar_t>(sX::Format(), L"%s%s", f, rest);
    }
    if (name.GetLength() == 1 && name.GetText()[0] == L'\\')
        return folder;
    return MStringEx<wchar_t>(sX::Format(), L"%s\\%s", f, name.GetText());
}

MStringEx<wchar_t> ClsidToString(const CLSID& clsid)
{
    LPOLESTR text = nullptr;
    if (FAILED(StringFromCLSID(clsid, &text)) || !text)
        return MStringEx<wchar_t>();
    MStringEx<wchar_t> result(text);
    CoTaskMemFree(text);
    return result;
}
