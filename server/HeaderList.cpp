#include "server/HeaderList.h"

void HeaderList::Add(const MStringEx<wchar_t>& name, const MStringEx<wchar_t>& value)
{
    Entry* pair = new Entry(name, value);
    try
    {
        Dictionary::Add(pair);
    }
    catch (...)
    {
        delete pair;
        throw;
    }
}

MStringEx<wchar_t> HeaderList::HeaderBlock() const
{
    MStringEx<wchar_t> block;
    for (unsigned __int64 i = 0; i < GetCount(); ++i)
    {
        const Entry* entry = GetAt(i);
        block += MStringEx<wchar_t>(sX::Format(), L"%s%s:%s", i == 0 ? L"" : L"\r\n", entry->first.GetText(),
                                    entry->second.GetText());
    }
    return block;
}

void CopyHeaderList(HeaderList& target, const HeaderList& source)
{
    target.Clear();
    for (unsigned __int64 i = 0; i < source.GetCount(); ++i)
    {
        const HeaderList::Entry* entry = source.GetAt(i);
        target.Add(entry->first, entry->second);
    }
}

MStringEx<wchar_t> HexHeaderValue(const MAtom<unsigned char>& bytes)
{
    const MemoryPH<char> hex = BytesToHexText(bytes);
    MStringEx<wchar_t> text{ElementCount(hex.GetCount())};
    for (unsigned __int64 i = 0; i < hex.GetCount(); ++i)
        text[i] = static_cast<wchar_t>(hex[i]);
    return text;
}
