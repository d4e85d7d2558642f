// In-memory operations of the atoms; included by Atom.h.
#pragma once

template <class T> bool MAtom<T>::Equals(const MAtom& other) const
{
    if (m_count != other.m_count)
        return false;
    if (m_count == 0 || m_data == other.m_data)
        return true;
    return std::memcmp(m_data, other.m_data, static_cast<size_t>(m_count * sizeof(T))) == 0;
}

template <class T>
MAtom<T>& MAtom<T>::CopyRange(ElementCount& target, bool advanceTarget, const MAtom& source,
                              ElementCount& sourcePosition, bool advanceSource, const ElementCount& count)
{
    if (count.value != 0)
        std::memmove(m_data + target.value, source.m_data + sourcePosition.value,
                     static_cast<size_t>(count.value * sizeof(T)));
    if (advanceTarget)
        target.value += count.value;
    if (advanceSource)
        sourcePosition.value += count.value;
    return *this;
}

template <class T>
MAtom<T>& MAtom<T>::CopyRange(const ElementCount& target, const MAtom& source, const ElementCount& sourcePosition,
                              const ElementCount& count)
{
    ElementCount t = target, s = sourcePosition;
    return CopyRange(t, false, source, s, false, count);
}

template <class T> MAtom<T>& MAtom<T>::CopyFrom(const MAtom& source)
{
    return CopyRange(0, source, 0, source.m_count);
}

template <class T> MAtom<T>& MAtom<T>::CopyAt(ElementCount& position, bool advance, const MAtom& source)
{
    ElementCount s = 0;
    return CopyRange(position, advance, source, s, false, source.m_count);
}

template <class T> MAtom<T>& MAtom<T>::CopyAt(const ElementCount& position, const MAtom& source)
{
    return CopyRange(position, source, 0, source.m_count);
}

template <class T>
MAtom<T>& MAtom<T>::CopyRangeFrom(ElementCount& position, bool advance, const MAtom& source, const ElementCount& count)
{
    ElementCount s = 0;
    return CopyRange(position, advance, source, s, false, count);
}

template <class T>
MAtom<T>& MAtom<T>::CopyRangeTo(const MAtom& source, ElementCount& sourcePosition, bool advance,
                                const ElementCount& count)
{
    ElementCount t = 0;
    return CopyRange(t, false, source, sourcePosition, advance, count);
}

template <class T> MAtom<T>& MAtom<T>::Shift(const ElementCount& count, bool forward, bool keepCount)
{
    if (forward)
    {
        m_data += count.value;
        if (!keepCount)
            m_count -= count.value;
    }
    else
    {
        m_data -= count.value;
        if (!keepCount)
            m_count += count.value;
    }
    return *this;
}

template <class T> ShellMemory<T> MAtom<T>::View() const { return ShellMemory<T>(m_data, m_count); }

template <class T>
ShellMemory<unsigned char> MAtom<T>::SubView(unsigned __int64 byteOffset, unsigned __int64 byteCount) const
{
    return ShellMemory<unsigned char>(reinterpret_cast<unsigned char*>(m_data) + byteOffset, byteCount);
}

template <class T> ShellMemory<unsigned __int64> MAtom<T>::AsUInt64View() const
{
    return ShellMemory<unsigned __int64>(reinterpret_cast<unsigned __int64*>(m_data), GetByteCount() / 8);
}

template <class T>
ShellMemory<wchar_t> MAtom<T>::WideSubView(unsigned __int64 byteOffset, unsigned __int64 unitCount) const
{
    return ShellMemory<wchar_t>(reinterpret_cast<wchar_t*>(reinterpret_cast<unsigned char*>(m_data) + byteOffset),
                                unitCount);
}

template <class T> ShellMemory<unsigned char> MAtom<T>::AsBytes() const
{
    return ShellMemory<unsigned char>(reinterpret_cast<unsigned char*>(m_data), GetByteCount());
}

template <class T> ShellMemory<T> MAtom<T>::SubRange(unsigned __int64 byteOffset, unsigned __int64 count) const
{
    return ShellMemory<T>(reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(m_data) + byteOffset), count);
}
