#include "foundation/BigNumber.h"
#include "foundation/StringVariants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), s.GetLength()); }

// True when some unit of the viewed memory is the given one.
bool Holds(const ShellMemory<wchar_t>& view, wchar_t unit)
{
    for (unsigned __int64 i = 0; i < view.GetCount(); ++i)
        if (view[i] == unit)
            return true;
    return false;
}

const wchar_t secret[] = L"SSSSSSSSSSSSSSSS";

// Records every wipe while it lives, with what the watched string held at
// that moment (the test thread is the only one that wipes meanwhile). A
// string lets go of its buffer and forgets it in one step, so a wipe of the
// very range the string still holds comes before the memory goes back to the
// heap.
class WipeWatch
{
public:
    explicit WipeWatch(const MAtom<wchar_t>& owner) : m_previous(AtomDetail::SetWipeObserver(&Record))
    {
        Owner() = &owner;
        Seen().clear();
    }
    ~WipeWatch()
    {
        AtomDetail::SetWipeObserver(m_previous);
        Owner() = nullptr;
    }
    WipeWatch(const WipeWatch&) = delete;
    WipeWatch& operator=(const WipeWatch&) = delete;

    // Whether the whole buffer was zeroed while the string still held it.
    static bool WipedWhileHeld(const ShellMemory<wchar_t>& buffer)
    {
        for (const Wipe& wipe : Seen())
            if (wipe.data == buffer.GetData() && wipe.bytes == buffer.GetByteCount() && wipe.zero && wipe.held)
                return true;
        return false;
    }

private:
    struct Wipe
    {
        const void* data;
        unsigned __int64 bytes;
        bool zero;  // every byte 0 after the wipe
        bool held;  // the range still the watched string's own buffer
    };

    static std::vector<Wipe>& Seen()
    {
        static std::vector<Wipe> seen;
        return seen;
    }
    static const MAtom<wchar_t>*& Owner()
    {
        static const MAtom<wchar_t>* owner = nullptr;
        return owner;
    }
    static void Record(const void* data, unsigned __int64 bytes)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        const bool zero = std::all_of(p, p + bytes, [](unsigned char b) { return b == 0; });
        const MAtom<wchar_t>* owner = Owner();
        const bool held = owner && owner->GetData() == data && owner->GetByteCount() == bytes;
        Seen().push_back({data, bytes, zero, held});
    }

    AtomDetail::WipeObserver m_previous;
};
}

TEST(StringVariants, DoubleNulText)
{
    MStringEx2Z<wchar_t> path(MString(L"C:\\a.txt"));
    ASSERT_EQ(path.GetCount(), 10u);
    EXPECT_EQ(path.GetData()[8], 0);
    EXPECT_EQ(path.GetData()[9], 0);
    EXPECT_FALSE(path.IsEmpty());

    MStringEx2Z<wchar_t> empty{MString()};
    EXPECT_EQ(empty.GetCount(), 2u);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(MStringEx2Z<wchar_t>().IsEmpty());

    // Two paths joined by a NUL become the shell's list of two.
    const wchar_t two[] = L"C:\\a\0C:\\b";
    MStringEx2Z<wchar_t> list(MString(ShellMemory<wchar_t>(const_cast<wchar_t*>(two), 9), false));
    ASSERT_EQ(list.GetCount(), 11u);
    EXPECT_EQ(std::wstring(list.GetData(), 11), std::wstring(L"C:\\a\0C:\\b\0\0", 11));

    // Cleared, it is still a terminated list.
    path.Clear();
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_EQ(path.GetData()[0], 0);
    EXPECT_EQ(path.GetData()[1], 0);
}

TEST(StringVariants, SecureStringWipesOnClear)
{
    MSecureString<wchar_t> password(secret);
    WipeWatch watch(password);
    EXPECT_EQ(Text(password), secret);
    const ShellMemory<wchar_t> first = password.View();
    ASSERT_TRUE(Holds(first, L'S'));
    password.Clear();
    EXPECT_TRUE(password.IsEmpty());
    EXPECT_TRUE(WipeWatch::WipedWhileHeld(first));
}

TEST(StringVariants, SecureStringWipesOnDestruction)
{
    {
        auto* password = new MSecureString<wchar_t>(secret);
        WipeWatch watch(*password);
        const ShellMemory<wchar_t> first = password->View();
        delete password;
        EXPECT_TRUE(WipeWatch::WipedWhileHeld(first));
    }

    // Cleared and then destroyed: both buffers are wiped.
    auto* again = new MSecureString<wchar_t>(secret);
    WipeWatch watch(*again);
    const ShellMemory<wchar_t> old = again->View();
    again->Clear();
    const ShellMemory<wchar_t> cleared = again->View();
    EXPECT_FALSE(WipeWatch::WipedWhileHeld(cleared));
    delete again;
    EXPECT_TRUE(WipeWatch::WipedWhileHeld(old));
    EXPECT_TRUE(WipeWatch::WipedWhileHeld(cleared));
}

TEST(StringVariants, RolesMakeDistinctTypes)
{
    using FileName = contextualize<MString, sX::FileName>;
    using Name = contextualize<MString, sX::Name>;
    static_assert(!std::is_same<FileName, Name>::value, "roles differ");
    static_assert(!std::is_convertible<FileName*, Name*>::value, "no conversion between roles");
    static_assert(std::is_base_of<MString, FileName>::value, "a role keeps the value's type");
    static_assert(!std::is_same<CStringEx<wchar_t>, MString>::value, "a second string type");

    FileName a(MString(L"x.jpg")), b(L"x.jpg");
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a.Equals(Name(L"x.jpg")));
    using Tagged = contextualize<MString, MString>;
    EXPECT_TRUE(Tagged(MString(L"t")) == MString(L"t"));

    Pair<contextualize<MString, sX::Automatic>, contextualize<MString, sX::Manual>> links(
        MString(L"http://127.0.0.1/get-ip.aspx"), MString(L""));
    EXPECT_EQ(Text(links.first), L"http://127.0.0.1/get-ip.aspx");
    EXPECT_TRUE(links.second.IsEmpty());

    Pair<contextualize<Bool, sX::Valid>, unsigned long> flagged(Bool(true), 5);
    EXPECT_TRUE(flagged.first);

    CStringEx<wchar_t> path(L"C:\\dir");
    path = L"C:\\other";
    path.Clear();
    EXPECT_TRUE(path.IsEmpty());
}

TEST(StringVariants, FormatWideString)
{
    const CStringEx<wchar_t> empty = FormatWideString(nullptr);
    EXPECT_EQ(empty.GetCount(), 1u);
    EXPECT_EQ(Text(FormatWideString(L"%s-%I64u", L"id", 18446744073709551615ull)), L"id-18446744073709551615");
    EXPECT_EQ(FormatWideString(L"%d", 5).radix, 10u);
}
