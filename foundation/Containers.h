// The library's containers: MList, an owning doubly linked list with a lazily
// built index for access by position; Dictionary, a list of Pair entries with
// unique keys; the small records Pair and Triple. No container takes a lock:
// each is kept on one thread or guarded by its owner.
#pragma once

#include <windows.h>

#include <cwchar>
#include <new>
#include <type_traits>
#include <utility>

#include "foundation/Atom.h"
#include "foundation/Error.h"

// Two values; destroyed second first.
template <class A, class B> class Pair
{
public:
    A first;
    B second;

    Pair() : first(), second() {}
    Pair(const A& first_, const B& second_) : first(first_), second(second_) {}
    Pair(const Pair&) = default;
    Pair& operator=(const Pair&) = default;
    virtual ~Pair() = default;
};

// Three values; destroyed third first.
template <class A, class B, class C> class Triple
{
public:
    A first;
    B second;
    C third;

    Triple() : first(), second(), third() {}
    Triple(const A& first_, const B& second_, const C& third_) : first(first_), second(second_), third(third_) {}
    Triple(const Triple&) = default;
    Triple& operator=(const Triple&) = default;
    virtual ~Triple() = default;
};

// The lock policy of the containers: none.
struct MNoLock
{
    void Lock() {}
    void Unlock() {}
};

// Thrown by value. 1: key not found (also any lookup in an empty dictionary);
// 2: duplicate key.
struct DictionaryException : QuilloryError
{
    unsigned code = 0;

    explicit DictionaryException(unsigned code_) : code(code_) {}
    unsigned Code() const noexcept override { return code; }
    const char* what() const noexcept override { return "dictionary"; }
};

// The key by which MList::InsertSorted orders its elements. A record type
// whose first member is its 64-bit key provides an overload of SortKey for
// itself next to its declaration; pointers to records use the record's.
template <class N, class = std::enable_if_t<std::is_integral<N>::value>> unsigned __int64 SortKey(const N& value)
{
    return static_cast<unsigned __int64>(value);
}
template <class R> unsigned __int64 SortKey(R* const& record) { return SortKey(*record); }
template <class A, class B> unsigned __int64 SortKey(const Pair<A, B>& pair) { return SortKey(pair.first); }

namespace ContainerDetail
{
// String keys (anything with a text and a radix) are equal only when both
// their text and their radix are.
template <class K, class = void> struct IsTextKey : std::false_type
{
};
template <class K>
struct IsTextKey<K, std::void_t<decltype(std::declval<const K&>().radix),
                                decltype(std::declval<const K&>().Equals(std::declval<const K&>()))>>
    : std::true_type
{
};

template <class K> bool KeysEqual(const K& a, const K& b)
{
    if constexpr (IsTextKey<K>::value)
        return a.Equals(b) && a.radix == b.radix;
    else
        return a == b;
}
}

// Every element is a heap object of its own that the list owns and deletes:
// class elements through their (virtual) destructor, scalars and plain
// records as boxed cells. For an element type that is itself a pointer only
// the cell is freed, never the pointee.
template <class T> class MList
{
    struct Node
    {
        Node* previous;
        Node* next;
        T* item;
    };

public:
    using ElementType = T;

    MList() = default;
    // Copies every element in order; the index is built when the source had one.
    MList(const MList& other) : MList() { CopyElementsOf(other); }
    MList(MList&& other) noexcept
        : m_count(other.m_count), m_last(other.m_last), m_first(other.m_first), m_index(other.m_index)
    {
        other.m_count = 0;
        other.m_last = other.m_first = nullptr;
        other.m_index = nullptr;
    }
    // Takes the non-null element pointers of the argument list, in order
    // (callers end the list with a null pointer). No index is built.
    template <class... More> explicit MList(T* first, More... more) : MList()
    {
        static_assert((std::is_convertible<More, T*>::value && ...), "element pointers only");
        try
        {
            AppendAll(first, more...);
        }
        catch (...)
        {
            Clear();
            throw;
        }
    }
    MList& operator=(const MList& other)
    {
        if (this != &other)
        {
            Clear();
            CopyElementsOf(other);
        }
        return *this;
    }
    MList& operator=(MList&& other) noexcept
    {
        if (this != &other)
        {
            Clear();
            std::swap(m_count, other.m_count);
            std::swap(m_last, other.m_last);
            std::swap(m_first, other.m_first);
            std::swap(m_index, other.m_index);
        }
        return *this;
    }
    virtual ~MList() { Clear(); }

    // Deletes the elements from the last to the first, then the index.
    virtual void Clear()
    {
        while (m_last)
        {
            Node* node = m_last;
            m_last = node->previous;
            if (m_last)
                m_last->next = nullptr;
            else
                m_first = nullptr;
            T* item = node->item;
            delete node;
            --m_count;
            delete item;
        }
        DropIndex();
    }

    unsigned __int64 GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    // A null element adds nothing and answers null.
    T* Append(T* item)
    {
        if (!item)
            return nullptr;
        Node* node = new Node{m_last, nullptr, item};
        if (m_last)
            m_last->next = node;
        else
            m_first = node;
        m_last = node;
        ++m_count;
        DropIndex();
        return item;
    }
    T* Prepend(T* item)
    {
        if (!item)
            return nullptr;
        Node* node = new Node{nullptr, m_first, item};
        if (m_first)
            m_first->previous = node;
        else
            m_last = node;
        m_first = node;
        ++m_count;
        DropIndex();
        return item;
    }
    // Position 0 prepends, a position at or past the count appends.
    bool InsertAt(T* item, unsigned __int64 position)
    {
        if (!item)
            return false;
        if (position == 0)
            return Prepend(item) != nullptr;
        if (position >= m_count)
            return Append(item) != nullptr;
        Node* before = NodeAt(position - 1);
        Node* node = new Node{before, before->next, item};
        before->next->previous = node;
        before->next = node;
        ++m_count;
        DropIndex();
        return true;
    }
    // Inserts before the first element with a greater SortKey, so that equal
    // keys keep their order of insertion.
    T* InsertSorted(T* item)
    {
        if (!item)
            return nullptr;
        const unsigned __int64 key = SortKey(*item);
        unsigned __int64 position = 0;
        for (Node* node = m_first; node && SortKey(*node->item) <= key; node = node->next)
            ++position;
        InsertAt(item, position);
        return item;
    }
    // Unlinks the element at the position and hands it to the caller; null
    // when there is none.
    T* RemoveAt(unsigned __int64 position)
    {
        if (position >= m_count)
            return nullptr;
        Node* node = position == 0 ? m_first : position == m_count - 1 ? m_last : NodeAt(position);
        (node->previous ? node->previous->next : m_first) = node->next;
        (node->next ? node->next->previous : m_last) = node->previous;
        T* item = node->item;
        delete node;
        --m_count;
        DropIndex();
        return item;
    }
    // No range check: the caller keeps position < count.
    T* GetAt(unsigned __int64 position) const
    {
        BuildIndex();
        return m_index[position];
    }
    void BuildIndex() const
    {
        if (m_index || m_count == 0)
            return;
        T** index = static_cast<T**>(
            AtomDetail::HeapTake(GetProcessHeap(), AtomDetail::ByteSize<T*>(m_count)));
        unsigned __int64 i = 0;
        for (Node* node = m_first; node; node = node->next)
            index[i++] = node->item;
        m_index = index;
    }

    // Moves the first n elements of the source to the front of the
    // destination, keeping their order.
    static bool MoveFirst(MList& destination, MList& source, unsigned __int64 n)
    {
        if (source.m_count == 0 || source.m_count < n)
            return false;
        for (unsigned __int64 i = n; i-- > 0;)
            destination.Prepend(source.RemoveAt(i));
        return true;
    }

    // For lists of wide strings: whether an element between first and last
    // (inclusive) equals the text without regard to case.
    static bool ContainsNoCaseInRange(const MList& list, unsigned __int64 first, unsigned __int64 last,
                                      const T& text)
    {
        if (list.m_count == 0 || first > last)
            return false;
        if (last >= list.m_count)
            last = list.m_count - 1;
        for (unsigned __int64 i = first; i <= last; ++i)
        {
            const T& item = *list.GetAt(i);
            if (item.GetCount() == text.GetCount() &&
                _wcsnicmp(item.GetData(), text.GetData(), static_cast<size_t>(text.GetCount() - 1)) == 0)
                return true;
        }
        return false;
    }

private:
    void AppendAll() {}
    template <class... More> void AppendAll(T* item, More... more)
    {
        Append(item);
        AppendAll(more...);
    }

    void CopyElementsOf(const MList& other)
    {
        try
        {
            for (Node* node = other.m_first; node; node = node->next)
                Append(new T(*node->item));
            if (other.m_index)
                BuildIndex();
        }
        catch (...)
        {
            Clear();
            throw;
        }
    }

    Node* NodeAt(unsigned __int64 position) const
    {
        Node* node = m_first;
        while (position-- > 0)
            node = node->next;
        return node;
    }

    void DropIndex()
    {
        if (m_index)
            HeapFree(GetProcessHeap(), 0, m_index);
        m_index = nullptr;
    }

    unsigned __int64 m_count = 0;
    Node* m_last = nullptr;
    Node* m_first = nullptr;
    mutable T** m_index = nullptr;
};

// A list of Pair entries with unique keys, in insertion order.
template <class K, class V, class KeyLock = MNoLock, class ValueLock = MNoLock>
class Dictionary : public MList<Pair<K, V>>
{
public:
    using Entry = Pair<K, V>;

    Dictionary() = default;
    // Takes the non-null pairs of the argument list in order and builds the
    // index. A repeated key throws DictionaryException 2; every pair of the
    // list, taken or not, is then deleted.
    template <class... More> explicit Dictionary(Entry* first, More... more)
    {
        static_assert((std::is_convertible<More, Entry*>::value && ...), "pair pointers only");
        Entry* pairs[] = {first, more...};
        const size_t total = sizeof(pairs) / sizeof(pairs[0]);
        for (size_t i = 0; i < total; ++i)
        {
            if (!pairs[i])
                continue;
            if (Contains(pairs[i]->first))
            {
                for (size_t j = i; j < total; ++j)
                    delete pairs[j];
                this->Clear();
                throw DictionaryException{2};
            }
            try
            {
                this->Append(pairs[i]);
            }
            catch (...)
            {
                for (size_t j = i; j < total; ++j)
                    delete pairs[j];
                this->Clear();
                throw;
            }
        }
        this->BuildIndex();
    }

    // Appends and owns the pair. A key that is present throws
    // DictionaryException 2; the dictionary is unchanged and the pair stays
    // the caller's.
    void Add(Entry* pair)
    {
        if (!pair)
            return;
        if (Contains(pair->first))
            throw DictionaryException{2};
        this->Append(pair);
    }

    // The value stored under an equal key; DictionaryException 1 when none.
    V& GetValue(const K& key) const
    {
        for (unsigned __int64 i = 0; i < this->GetCount(); ++i)
        {
            Entry* entry = this->GetAt(i);
            if (ContainerDetail::KeysEqual(entry->first, key))
                return entry->second;
        }
        throw DictionaryException{1};
    }

private:
    bool Contains(const K& key) const
    {
        for (unsigned __int64 i = 0; i < this->GetCount(); ++i)
            if (ContainerDetail::KeysEqual(this->GetAt(i)->first, key))
                return true;
        return false;
    }
};
