#include "foundation/Containers.h"
#include "foundation/SmartPtr.h"
#include "foundation/StringVariants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
// Records the order in which elements are destroyed.
std::vector<int> destroyed;

struct Probe
{
    int id = 0;
    Probe() = default;
    Probe(int id_) : id(id_) {}
    Probe(const Probe&) = default;
    Probe& operator=(const Probe&) = default;
    virtual ~Probe() { destroyed.push_back(id); }
};

// A plain record without a virtual destructor.
struct PlainProbe
{
    int id;
    ~PlainProbe() { destroyed.push_back(id); }
};

std::vector<int> Ids(const MList<Probe>& list)
{
    std::vector<int> ids;
    for (unsigned __int64 i = 0; i < list.GetCount(); ++i)
        ids.push_back(list.GetAt(i)->id);
    return ids;
}

MList<Probe> ListOf(std::vector<int> ids)
{
    MList<Probe> list;
    for (int id : ids)
        list.Append(new Probe(id));
    return list;
}

class Containers : public ::testing::Test
{
protected:
    void SetUp() override { destroyed.clear(); }
};
}

// Records ordered by the 64-bit key they hold first.
struct Keyed
{
    unsigned __int64 key;
    int tag;
};
unsigned __int64 SortKey(const Keyed& record) { return record.key; }

TEST_F(Containers, NewListAndNullElements)
{
    MList<Probe> list;
    EXPECT_EQ(list.GetCount(), 0u);
    list.BuildIndex();
    list.Clear();
    EXPECT_EQ(list.Append(nullptr), nullptr);
    EXPECT_EQ(list.Prepend(nullptr), nullptr);
    EXPECT_FALSE(list.InsertAt(nullptr, 0));
    EXPECT_EQ(MList<unsigned __int64>().InsertSorted(nullptr), nullptr);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.RemoveAt(0), nullptr);
    EXPECT_TRUE(destroyed.empty());
}

TEST_F(Containers, InsertAtPlacesElements)
{
    struct Case
    {
        std::vector<int> start;
        unsigned __int64 position;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {{}, 0, {9}},            // empty: prepend
        {{}, 3, {9}},            // empty, past the end: append
        {{1, 2}, 5, {1, 2, 9}},  // past the end: append
        {{1, 2}, 2, {1, 2, 9}},  // at the count: append
        {{1, 2}, 0, {9, 1, 2}},  // front
        {{1, 2, 3}, 1, {1, 9, 2, 3}},
        {{1, 2, 3}, 2, {1, 2, 9, 3}},
    };
    for (const Case& c : cases)
    {
        MList<Probe> list = ListOf(c.start);
        list.BuildIndex();
        EXPECT_TRUE(list.InsertAt(new Probe(9), c.position));
        EXPECT_EQ(list.GetCount(), c.expected.size());
        EXPECT_EQ(Ids(list), c.expected) << "position " << c.position;
        // The chain is sound in both directions: removing from the back
        // yields the elements in reverse order.
        std::vector<int> backwards;
        while (list.GetCount())
        {
            Probe* last = list.RemoveAt(list.GetCount() - 1);
            backwards.insert(backwards.begin(), last->id);
            delete last;
        }
        EXPECT_EQ(backwards, c.expected);
    }
}

TEST_F(Containers, IndexFollowsEveryStructuralChange)
{
    MList<Probe> list = ListOf({1, 2, 3});
    EXPECT_EQ(list.GetAt(2)->id, 3);
    list.Append(new Probe(4));
    EXPECT_EQ(list.GetAt(list.GetCount() - 1)->id, 4);
    list.Prepend(new Probe(0));
    EXPECT_EQ(list.GetAt(0)->id, 0);
    EXPECT_EQ(list.GetAt(4)->id, 4);
    delete list.RemoveAt(2);
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 3, 4}));
    list.InsertAt(new Probe(2), 2);
    EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 2, 3, 4}));
    // Changing an element's contents keeps the index.
    list.GetAt(1)->id = 10;
    EXPECT_EQ(list.GetAt(1)->id, 10);
}

TEST_F(Containers, RemoveAtHandsTheElementOver)
{
    MList<Probe> one = ListOf({7});
    EXPECT_EQ(one.RemoveAt(1), nullptr);
    Probe* only = one.RemoveAt(0);
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(only->id, 7);
    EXPECT_EQ(one.GetCount(), 0u);
    EXPECT_TRUE(destroyed.empty());
    delete only;
    // First and last are both gone: the emptied list builds up again.
    one.Append(new Probe(8));
    one.Prepend(new Probe(6));
    EXPECT_EQ(Ids(one), (std::vector<int>{6, 8}));

    MList<Probe> three = ListOf({1, 2, 3});
    delete three.RemoveAt(1);
    delete three.RemoveAt(1);
    EXPECT_EQ(Ids(three), (std::vector<int>{1}));
}

TEST_F(Containers, ClearDeletesFromTheLast)
{
    {
        MList<Probe> list = ListOf({1, 2, 3});
        list.GetAt(0);
        list.Clear();
        EXPECT_EQ(list.GetCount(), 0u);
        EXPECT_EQ(destroyed, (std::vector<int>{3, 2, 1}));
        list.Append(new Probe(4));
    }
    EXPECT_EQ(destroyed, (std::vector<int>{3, 2, 1, 4}));
}

TEST_F(Containers, OwnershipByElementType)
{
    {
        MList<PlainProbe> records(new PlainProbe{1}, new PlainProbe{2}, nullptr);
        MList<unsigned __int64> scalars(new unsigned __int64(5), nullptr);
        EXPECT_EQ(*scalars.GetAt(0), 5u);
    }
    EXPECT_EQ(destroyed, (std::vector<int>{2, 1}));

    // For pointer elements only the cell is the list's, never the pointee.
    Probe pointee(42);
    {
        MList<Probe*> pointers;
        pointers.Append(new Probe*(&pointee));
        EXPECT_EQ(*pointers.GetAt(0), &pointee);
    }
    EXPECT_EQ(destroyed, (std::vector<int>{2, 1}));
}

TEST_F(Containers, ArgumentListConstructor)
{
    MList<Probe> three(new Probe(1), new Probe(2), new Probe(3), nullptr);
    EXPECT_EQ(Ids(three), (std::vector<int>{1, 2, 3}));
    MList<Probe> none(static_cast<Probe*>(nullptr));
    EXPECT_EQ(none.GetCount(), 0u);
}

TEST_F(Containers, CopyMakesNewElements)
{
    MList<MString> source(new MString(L"a"), new MString(L"ff"), nullptr);
    source.GetAt(1)->radix = 16;
    MList<MString> copy(source);
    ASSERT_EQ(copy.GetCount(), 2u);
    EXPECT_NE(copy.GetAt(0), source.GetAt(0));
    EXPECT_TRUE(*copy.GetAt(1) == *source.GetAt(1));
    EXPECT_EQ(copy.GetAt(1)->radix, 16u);
    *source.GetAt(0) = L"changed";
    EXPECT_TRUE(*copy.GetAt(0) == MString(L"a"));

    MList<MString> assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetCount(), 2u);
}

TEST_F(Containers, MoveFirst)
{
    struct Case
    {
        std::vector<int> source;
        unsigned __int64 n;
        bool result;
        std::vector<int> sourceAfter, destinationAfter;
    };
    const Case cases[] = {
        {{1, 2}, 3, false, {1, 2}, {9}},
        {{1, 2}, 0, true, {1, 2}, {9}},
        {{}, 0, false, {}, {9}},
        {{}, 1, false, {}, {9}},
        {{1, 2, 3}, 2, true, {3}, {1, 2, 9}},
        {{1, 2}, 2, true, {}, {1, 2, 9}},
    };
    for (const Case& c : cases)
    {
        MList<Probe> source = ListOf(c.source), destination = ListOf({9});
        EXPECT_EQ(MList<Probe>::MoveFirst(destination, source, c.n), c.result);
        EXPECT_EQ(Ids(source), c.sourceAfter);
        EXPECT_EQ(Ids(destination), c.destinationAfter);
    }
}

TEST_F(Containers, InsertSortedKeepsEqualKeysInArrivalOrder)
{
    Keyed records[] = {{5, 1}, {3, 2}, {5, 3}, {1, 4}};
    MList<Keyed*> list;
    for (Keyed& record : records)
        list.InsertSorted(new Keyed*(&record));
    std::vector<int> tags;
    for (unsigned __int64 i = 0; i < list.GetCount(); ++i)
        tags.push_back((*list.GetAt(i))->tag);
    EXPECT_EQ(tags, (std::vector<int>{4, 2, 1, 3}));

    MList<unsigned __int64> numbers;
    for (unsigned __int64 n : {7u, 2u, 9u, 2u})
        numbers.InsertSorted(new unsigned __int64(n));
    EXPECT_EQ(*numbers.GetAt(0), 2u);
    EXPECT_EQ(*numbers.GetAt(3), 9u);
}

TEST_F(Containers, ContainsNoCaseInRange)
{
    MList<MString> list(new MString(L"Alpha"), new MString(L"beta"), new MString(L"GAMMA"), nullptr);
    struct Case
    {
        unsigned __int64 first, last;
        const wchar_t* text;
        bool expected;
    };
    const Case cases[] = {
        {0, 2, L"gamma", true}, {0, 1, L"gamma", false}, {1, 1, L"BETA", true}, {2, 1, L"beta", false},
        {0, 2, L"bet", false},  {0, 2, L"betas", false}, {0, 9, L"ALPHA", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MList<MString>::ContainsNoCaseInRange(list, c.first, c.last, c.text), c.expected) << c.text;
    EXPECT_FALSE(MList<MString>::ContainsNoCaseInRange(MList<MString>(), 0, 0, L""));
}

TEST_F(Containers, DictionaryLooksUpByKey)
{
    Dictionary<unsigned long, MString> names(new Pair<unsigned long, MString>(1033, L"English"),
                                             new Pair<unsigned long, MString>(1026, L"Bulgarian"), nullptr);
    EXPECT_EQ(names.GetCount(), 2u);
    EXPECT_TRUE(names.GetValue(1026) == MString(L"Bulgarian"));
    try
    {
        names.GetValue(1031);
        FAIL() << "no exception";
    }
    catch (const DictionaryException& e)
    {
        EXPECT_EQ(e.code, 1u);
    }
    names.Add(new Pair<unsigned long, MString>(1031, L"German"));
    EXPECT_TRUE(names.GetValue(1031) == MString(L"German"));

    Pair<unsigned long, MString> duplicate(1033, L"again");
    try
    {
        names.Add(&duplicate);
        FAIL() << "no exception";
    }
    catch (const DictionaryException& e)
    {
        EXPECT_EQ(e.code, 2u);
    }
    EXPECT_EQ(names.GetCount(), 3u);
    EXPECT_TRUE(names.GetValue(1033) == MString(L"English"));

    Dictionary<unsigned long, MString> empty;
    try
    {
        empty.GetValue(0);
        FAIL() << "no exception";
    }
    catch (const DictionaryException& e)
    {
        EXPECT_EQ(e.code, 1u);
    }
}

TEST_F(Containers, DictionaryWithARepeatedKeyDeletesEveryPair)
{
    using Entry = Pair<int, Probe>;
    try
    {
        Dictionary<int, Probe> broken(new Entry(1, Probe(1)), new Entry(2, Probe(2)), new Entry(1, Probe(3)),
                                      new Entry(4, Probe(4)), nullptr);
        FAIL() << "no exception";
    }
    catch (const DictionaryException& e)
    {
        EXPECT_EQ(e.code, 2u);
    }
    // Four temporaries went on the way; then every pair handed over is
    // destroyed exactly once.
    ASSERT_EQ(destroyed.size(), 8u);
    std::vector<int> pairs(destroyed.end() - 4, destroyed.end());
    std::sort(pairs.begin(), pairs.end());
    EXPECT_EQ(pairs, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(Containers, StringKeysCompareTextAndRadix)
{
    Dictionary<MString, unsigned long> numbers;
    numbers.Add(new Pair<MString, unsigned long>(L"ff", 1));
    MString hex(L"ff");
    hex.radix = 16;
    numbers.Add(new Pair<MString, unsigned long>(hex, 2));
    EXPECT_EQ(numbers.GetCount(), 2u);
    EXPECT_EQ(numbers.GetValue(L"ff"), 1u);
    EXPECT_EQ(numbers.GetValue(hex), 2u);
    EXPECT_THROW(numbers.Add(new Pair<MString, unsigned long>(L"ff", 3)), DictionaryException);

    using FileName = contextualize<CStringEx<wchar_t>, sX::FileName>;
    using Name = contextualize<CStringEx<wchar_t>, sX::Name>;
    Dictionary<FileName, Name> files(new Pair<FileName, Name>(FileName(L"C:\\a.jpg"), Name(L"A")), nullptr);
    EXPECT_TRUE(files.GetValue(FileName(L"C:\\a.jpg")) == Name(L"A"));
    EXPECT_THROW(files.GetValue(FileName(L"C:\\A.jpg")), DictionaryException);
}

TEST_F(Containers, PairsAndTriplesDestroyTheirMembersBackwards)
{
    auto* pair = new Pair<Probe, Probe>(Probe(1), Probe(2));
    auto* triple = new Triple<Probe, Probe, Probe>(Probe(1), Probe(2), Probe(3));
    destroyed.clear();
    delete pair;
    EXPECT_EQ(destroyed, (std::vector<int>{2, 1}));
    destroyed.clear();
    delete triple;
    EXPECT_EQ(destroyed, (std::vector<int>{3, 2, 1}));
}

TEST_F(Containers, SmartPtr)
{
    MSmartPtr<Probe> empty;
    EXPECT_THROW(empty.Get(), MSmartPtrError);
    EXPECT_THROW(empty->id, MSmartPtrError);
    empty.Free();
    EXPECT_TRUE(destroyed.empty());

    MSmartPtr<Probe> held(new Probe(1));
    EXPECT_EQ(held->id, 1);
    held.Reset(new Probe(2));
    EXPECT_EQ(destroyed, (std::vector<int>{1}));
    held.Free();
    EXPECT_EQ(destroyed, (std::vector<int>{1, 2}));
    EXPECT_TRUE(held.IsEmpty());
    {
        MSmartPtr<PlainProbe> record(new PlainProbe{3});
    }
    EXPECT_EQ(destroyed, (std::vector<int>{1, 2, 3}));
}
