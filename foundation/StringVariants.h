// String types derived from MStringEx, each with one purpose: a
// double-NUL-terminated path list for the shell, a secret that is wiped, a
// second string type for paths and names kept in lists, and (Contextualize.h)
// values marked with their role.
#pragma once

#include "foundation/Contextualize.h"
#include "foundation/StringEx.h"

#include <utility>

// Text that ends in two NULs, as the shell's file operations expect their
// path lists; the empty value has count 2.
template <class T> class MStringEx2Z : public MStringEx<T>
{
public:
    MStringEx2Z() : MStringEx2Z(MStringEx<T>()) {}
    // Takes the source's elements and one more NUL behind them.
    MStringEx2Z(MStringEx<T> source)
    {
        MemoryPH<T>::Resize(source.GetCount() + 1);
        this->CopyFrom(source);
        this->m_data[this->m_count - 2] = 0;
        this->m_data[this->m_count - 1] = 0;
    }

    bool IsEmpty() const override { return this->m_count == 2; }
    // Cleared it still ends in two NULs, so that a reader of the list never
    // runs past its end.
    MAtom<T>& Clear() override
    {
        if (!IsEmpty())
        {
            MemoryPH<T>::Resize(2);
            this->m_data[0] = this->m_data[1] = 0;
            this->radix = 10;
        }
        return *this;
    }
};

// A secret text. A wiping view watches the string's own buffer, so the
// characters are zero before the memory goes back to the heap, whether the
// string is cleared or destroyed. The text is set once: every operation that
// would put a new buffer behind the view's back is withheld.
template <class T> class MSecureString : public MStringEx<T>
{
public:
    explicit MSecureString(const T* text) : MStringEx<T>(text), m_watch(this->m_data, this->m_count) {}
    MSecureString(const MSecureString&) = delete;
    MSecureString& operator=(const MSecureString&) = delete;
    // The watch, a member, wipes before the base frees the buffer.
    ~MSecureString() override = default;

    MAtom<T>& Clear() override
    {
        m_watch.Clear();
        MStringEx<T>::Clear();
        m_watch.ShellMemory<T>::Attach(*this);
        return *this;
    }

private:
    using MStringEx<T>::Append;
    using MStringEx<T>::operator+=;
    using MStringEx<T>::Format;
    using MStringEx<T>::FormatV;
    using MStringEx<T>::InsertGroupSeparators;
    using MStringEx<T>::LoadString;
    using MStringEx<T>::Replace;
    using MStringEx<T>::TrimLeft;
    using MStringEx<T>::TrimRight;
    using MStringEx<T>::Trim;
    using MemoryPH<T>::Resize;
    using MemoryPH<T>::Assign;
    using MemoryPH<T>::Fill;
    using MemoryPH<T>::Swap;
    using MAtom<T>::Shift;

    SecureMemory<ShellMemory<T>, T> m_watch;
};

// A distinct string type for paths and names kept in lists and dictionaries;
// behaves as MStringEx.
template <class T> class CStringEx : public MStringEx<T>
{
public:
    using MStringEx<T>::MStringEx;
    using MStringEx<T>::operator=;
    CStringEx() = default;
    CStringEx(const MStringEx<T>& text) : MStringEx<T>(text) {}
    CStringEx(MStringEx<T>&& text) : MStringEx<T>(std::move(text)) {}
    CStringEx(const CStringEx&) = default;
    CStringEx(CStringEx&&) = default;
    CStringEx& operator=(const CStringEx&) = default;
    CStringEx& operator=(CStringEx&&) = default;
};

// printf-style text in a CStringEx; a null format or one the formatter
// rejects gives the empty string.
inline CStringEx<wchar_t> FormatWideString(const wchar_t* format, ...)
{
    CStringEx<wchar_t> text;
    if (!format)
        return text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    return text;
}
