#include "foundation/BigNumber.h"
#include "foundation/StringVariants.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), s.GetLength()); }

// True when no unit of the viewed memory is the given one.
bool Holds(const ShellMemory<wchar_t>& view, wchar_t unit)
{
    for (unsigned __int64 i = 0; i < view.GetCount(); ++i)
        if (view[i] == unit)
            return true;
    return false;
}

// A secret long enough that freed-block bookkeeping cannot cover all of it.
const wchar_t secret[] = L"SSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSS";
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
    EXPECT_EQ(Text(password), secret);
    // A view kept alive over the first buffer shows what is left of it.
    const ShellMemory<wchar_t> first = password.View();
    password.Clear();
    EXPECT_TRUE(password.IsEmpty());
    EXPECT_FALSE(Holds(first, L'S'));
}

TEST(StringVariants, SecureStringWipesOnDestruction)
{
    auto* password = new MSecureString<wchar_t>(secret);
    const ShellMemory<wchar_t> first = password->View();
    delete password;
    EXPECT_FALSE(Holds(first, L'S'));

    // Cleared and then destroyed: neither buffer keeps the text.
    auto* again = new MSecureString<wchar_t>(secret);
    const ShellMemory<wchar_t> old = again->View();
    again->Clear();
    const ShellMemory<wchar_t> cleared = again->View();
    delete again;
    EXPECT_FALSE(Holds(old, L'S'));
    EXPECT_FALSE(Holds(cleared, L'S'));
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
