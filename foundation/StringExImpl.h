// Template bodies of MStringEx; included by StringEx.h.
#pragma once

template <class T> void MStringEx<T>::CopyText(const T* text, unsigned __int64 length)
{
    MemoryPH<T>::Resize(length + 1);
    if (length)
        std::memcpy(this->m_data, text, static_cast<size_t>(length * sizeof(T)));
    this->m_data[length] = 0;
}

template <class T> MStringEx<T>::MStringEx(const T* text)
{
    if (text)
        CopyText(text, StringDetail::TextLength(text));
    else
        SetEmpty();
}

template <class T> MStringEx<T>::MStringEx(const ElementCount& length)
{
    MemoryPH<T>::Resize(length.value + 1);
    this->m_data[0] = 0;
    this->m_data[length.value] = 0;
}

template <class T> MStringEx<T>::MStringEx(const sX::Format&, const T* format, ...)
{
    SetEmpty();
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

template <class T>
template <class U, class>
MStringEx<T>::MStringEx(bool group, unsigned __int64 value) : MStringEx(sX::Format(), L"%I64u", value)
{
    if (group)
        InsertGroupSeparators(L",");
}

template <class T> MStringEx<T>::MStringEx(const MAtom<T>& atom, bool stopAtNul)
{
    unsigned __int64 length = atom.GetCount();
    if (stopAtNul)
    {
        for (unsigned __int64 i = 0; i < atom.GetCount(); ++i)
            if (atom[i] == 0)
            {
                length = i;
                break;
            }
    }
    CopyText(atom.GetData(), length);
}

template <class T> template <class U, class> MStringEx<T>::MStringEx(char c)
{
    SetEmpty();
    if (c)
    {
        const char text[2] = {c, 0};
        CopyText(text, 1);
    }
}

template <class T> template <class U, class> MStringEx<T>::MStringEx(const GUID& guid)
{
    SetEmpty();
    wchar_t* text = nullptr;
    if (SUCCEEDED(StringFromCLSID(guid, &text)) && text)
    {
        *this = WideToUtf8String(MStringEx<wchar_t>(text));
        CoTaskMemFree(text);
    }
}

template <class T>
template <class U, class>
MStringEx<T>::MStringEx(const MMemory<wchar_t>& memory)
    : MStringEx(ShellMemory<wchar_t>(memory.GetData(), memory.GetSize() / 2), true)
{
}

template <class T> template <class U, class> MStringEx<T>::MStringEx(ResId id)
{
    SetEmpty();
    LoadString(id.id, LanguageModule);
}

template <class T> template <class U, class> MStringEx<T>::MStringEx(const sX::Format&, unsigned id, ...)
{
    SetEmpty();
    const MStringEx format = MStringEx().LoadString(id, LanguageModule);
    va_list args;
    va_start(args, id);
    FormatV(format.GetText(), args);
    va_end(args);
}

template <class T>
template <class U, class>
MStringEx<T>::MStringEx(const wchar_t* entryName, HMODULE module)
{
    MemoryPH<wchar_t> value = StringDetail::ReadVersionValue(entryName, module);
    this->Swap(value);
}

template <class T> template <class U, class> MStringEx<T>& MStringEx<T>::LoadString(unsigned id, HMODULE module)
{
    const ShellMemory<wchar_t> entry = StringDetail::FindStringTableEntry(module, id);
    if (entry.GetCount() == 0)
        Clear();
    else
    {
        MStringEx text(entry, true);
        this->Swap(text);
    }
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::operator=(const MStringEx& other)
{
    if (this == &other)
        return *this;
    if (this->m_count != other.m_count)
        MemoryPH<T>::Resize(other.m_count);
    this->CopyFrom(other);
    radix = other.radix;
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::operator=(MStringEx&& other) noexcept
{
    if (this != &other)
    {
        this->Swap(other);
        radix = other.radix;
    }
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::operator=(const T* text)
{
    MStringEx copy(text);
    this->Swap(copy);
    return *this;
}

template <class T> MAtom<T>& MStringEx<T>::Clear()
{
    if (!IsEmpty())
    {
        SetEmpty();
        radix = 10;
    }
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::Append(const MStringEx& other)
{
    const unsigned __int64 length = GetLength(), otherLength = other.GetLength();
    MStringEx joined(ElementCount(length + otherLength));
    if (length)
        std::memcpy(joined.m_data, this->m_data, static_cast<size_t>(length * sizeof(T)));
    if (otherLength)
        std::memcpy(joined.m_data + length, other.m_data, static_cast<size_t>(otherLength * sizeof(T)));
    joined.radix = radix;
    this->Swap(joined);
    return *this;
}

template <class T> MStringEx<T> MStringEx<T>::operator+(const T* text) const
{
    MStringEx result(*this);
    if (text)
        result.Append(MStringEx(text));
    return result;
}

template <class T> MStringEx<T> MStringEx<T>::operator+(const MStringEx& other) const
{
    MStringEx result(*this);
    result.Append(other);
    return result;
}

template <class T> MStringEx<T> operator+(const T* text, const MStringEx<T>& string)
{
    if (!text)
        return string;
    MStringEx<T> result(text);
    result.Append(string);
    return result;
}

template <class T> MStringEx<T>& MStringEx<T>::Format(const T* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::FormatV(const T* format, va_list args)
{
    if (!format)
    {
        Clear();
        return *this;
    }
    va_list counting;
    va_copy(counting, args);
    const int length = StringDetail::CountFormatted(format, counting);
    va_end(counting);
    if (length < 0)
    {
        Clear();
        return *this;
    }
    MStringEx formatted{ElementCount(static_cast<unsigned __int64>(length))};
    StringDetail::PrintFormatted(formatted.m_data, static_cast<size_t>(length) + 1, format, args);
    formatted.m_data[length] = 0;
    this->Swap(formatted);
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::InsertGroupSeparators(const T* separator)
{
    const unsigned __int64 n = GetLength();
    const size_t separatorLength = separator ? StringDetail::TextLength(separator) : 0;
    if (separatorLength == 0 || n < 4)
        return *this;
    const unsigned __int64 separators = (n - 1) / 3;
    MStringEx grouped{ElementCount(n + separators * separatorLength)};
    unsigned __int64 out = 0;
    const unsigned __int64 first = (n - 1) % 3 + 1;
    for (unsigned __int64 i = 0; i < n; ++i)
    {
        if (i >= first && (i - first) % 3 == 0)
            for (size_t k = 0; k < separatorLength; ++k)
                grouped.m_data[out++] = separator[k];
        grouped.m_data[out++] = this->m_data[i];
    }
    grouped.radix = radix;
    this->Swap(grouped);
    return *this;
}

template <class T> unsigned MStringEx<T>::DigitValue(T c) const
{
    unsigned value;
    if (c >= '0' && c <= '9')
        value = static_cast<unsigned>(c - '0');
    else if (c >= 'A' && c <= 'F')
        value = static_cast<unsigned>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f')
        value = static_cast<unsigned>(c - 'a' + 10);
    else
        value = 16;
    switch (radix)
    {
    case 2:
    case 8:
    case 10:
    case 16:
        if (value >= radix)
            throw MStringException(10006);
        return value;
    default:
        throw MStringException(10007);
    }
}

template <class T> bool MStringEx<T>::ToUInt64(unsigned __int64& value) const
{
    value = 0;
    unsigned __int64 weight = 1;
    bool weightOverflow = false;
    try
    {
        for (unsigned __int64 i = GetLength(); i-- > 0;)
        {
            const unsigned __int64 digit = DigitValue(this->m_data[i]);
            if (digit != 0)
            {
                // A digit above the 64-bit weights, or a sum that wraps.
                if (weightOverflow || digit > ~0ull / weight || value > ~0ull - digit * weight)
                {
                    value = ~0ull;
                    return false;
                }
                value += digit * weight;
            }
            if (weight > ~0ull / radix)
                weightOverflow = true;
            else
                weight *= radix;
        }
    }
    catch (const MStringException&)
    {
        value = 0;
        return false;
    }
    return true;
}

template <class T>
template <class U, class>
MStringEx<char> MStringEx<T>::ToUtf8() const
{
    const unsigned __int64 bytes = StringDetail::Utf16ToUtf8(this->m_data, this->m_count, nullptr, 0);
    MStringEx<char> result{ElementCount(bytes ? bytes - 1 : 0)};
    StringDetail::Utf16ToUtf8(this->m_data, this->m_count, result.GetData(), bytes);
    return result;
}

template <class T> bool MStringEx<T>::WriteTextToHandle(HANDLE file, bool withNul) const
{
    const ShellMemory<T> text = withNul ? this->View() : TextView();
    return AtomDetail::IsFileHandle(file) && AtomDetail::WriteChunks(file, text.GetData(), text.GetByteCount(), nullptr);
}

template <class T> bool MStringEx<T>::AppendTextToFile(const wchar_t* path, bool withNul) const
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER zero = {};
    const bool written = SetFilePointerEx(file, zero, nullptr, FILE_END) && WriteTextToHandle(file, withNul);
    CloseHandle(file);
    return written;
}

template <class T>
bool MStringEx<T>::WriteTextFile(const wchar_t* path, bool withNul, DWORD creationDisposition,
                                 DWORD flagsAndAttributes, DWORD* error) const
{
    const ShellMemory<T> text = withNul ? this->View() : TextView();
    return text.WriteFile(path, creationDisposition, flagsAndAttributes, error);
}

// ---- conversions from UTF-8 atoms ---------------------------------------------

template <class T> MStringEx<wchar_t> MAtom<T>::Utf8ToWide() const
{
    static_assert(sizeof(T) == 1, "UTF-8 text is made of bytes");
    const char* source = reinterpret_cast<const char*>(m_data);
    const unsigned __int64 units = StringDetail::Utf8ToUtf16(source, m_count, nullptr, 0);
    // Exactly the units produced: the room constructor adds one element,
    // which is dropped again.
    MStringEx<wchar_t> result{ElementCount(units)};
    StringDetail::Utf8ToUtf16(source, m_count, result.GetData(), units);
    result.SetCount(units);
    return result;
}
