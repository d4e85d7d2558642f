#include "foundation/StringEx.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

using TestFiles::TestModule;

namespace
{
std::wstring Text(const MStringEx<wchar_t>& s) { return std::wstring(s.GetText(), s.GetLength()); }

// Makes the test module the language module for the life of the object.
class LanguageModuleScope
{
public:
    explicit LanguageModuleScope(HMODULE module) : m_previous(LanguageModule) { LanguageModule = module; }
    LanguageModuleScope(const LanguageModuleScope&) = delete;
    LanguageModuleScope& operator=(const LanguageModuleScope&) = delete;
    ~LanguageModuleScope() { LanguageModule = m_previous; }

private:
    HMODULE m_previous;
};

MStringException LoadFailure(HMODULE module, unsigned id)
{
    try
    {
        MStringEx<wchar_t>().LoadString(id, module);
    }
    catch (const MStringException& e)
    {
        return e;
    }
    return MStringException(0);
}

MStringException VersionFailure(const wchar_t* entry, HMODULE module)
{
    try
    {
        MStringEx<wchar_t> value(entry, module);
    }
    catch (const MStringException& e)
    {
        return e;
    }
    return MStringException(0);
}
}

TEST(StringTable, EntriesAreFoundByBlockAndPosition)
{
    TestModule module;
    ASSERT_NE(module.Get(), nullptr);
    struct Case
    {
        unsigned id;
        std::wstring text;
    };
    const Case cases[] = {
        {0, L"zero"},           // entry 0 of block 1
        {2, L"ab"},             // a NUL inside the entry ends the text
        {3, L""},               // an empty entry
        {15, L"fifteen"},       // last entry of block 1
        {16, L"sixteen"},       // entry 0 of block 2
        {17, L"\u041A\u0438\u0440\u0438\u043B"},
        {31, L"thirty-one"},    // entry 15 of block 2
        {33, L"b"},
        {80, L""},
    };
    for (const Case& c : cases)
    {
        MStringEx<wchar_t> s(L"previous");
        s.radix = 16;
        s.LoadString(c.id, module.Get());
        EXPECT_EQ(Text(s), c.text) << "id " << c.id;
        EXPECT_EQ(s.GetCount(), c.text.size() + 1) << "id " << c.id;
        EXPECT_EQ(s.GetData()[s.GetCount() - 1], L'\0');
    }
}

TEST(StringTable, FailuresRaiseTheStringException)
{
    TestModule module;
    struct Case
    {
        unsigned id;
        unsigned code;
    };
    const Case cases[] = {
        {64, MStringException::BlockNotFound},
        {79, MStringException::BlockNotFound},
        {34, MStringException::EntryOutsideBlock},  // the block ends after entry 33
        {40, MStringException::EntryOutsideBlock},
        {48, MStringException::EntryOutsideBlock},  // its length runs past the block
        {49, MStringException::EntryOutsideBlock},
        {81, MStringException::EntryOutsideBlock},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadFailure(module.Get(), c.id).code, c.code) << "id " << c.id;

    const MStringException missing = LoadFailure(module.Get(), 64);
    EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadFailure(module.Get(), 48).error, 0u);
}

TEST(StringTable, NullModuleIsTheProgramItself)
{
    MStringEx<wchar_t> s;
    s.LoadString(992, nullptr);
    EXPECT_EQ(Text(s), L"own");
}

TEST(StringTable, ConstructorsLoadFromTheLanguageModule)
{
    TestModule module;
    LanguageModuleScope scope(module.Get());

    EXPECT_EQ(Text(MStringEx<wchar_t>(ResId(31))), L"thirty-one");
    EXPECT_EQ(Text(MStringEx<wchar_t>(sX::Format(), 1, L"The gallery", 12)), L"The gallery has 12");
    EXPECT_TRUE(MStringEx<wchar_t>(ResId(5)).IsEmpty());
    EXPECT_THROW((void)MStringEx<wchar_t>(ResId(64)), MStringException);
    EXPECT_THROW((void)MStringEx<wchar_t>(sX::Format(), 64, 1), MStringException);
}

TEST(VersionResource, ValuesAreLookedUpThroughTheTranslations)
{
    TestModule module;
    struct Case
    {
        const wchar_t* entry;
        std::wstring value;
    };
    const Case cases[] = {
        {L"ProductName", L"Quillory Test"},  // the first translation answers first
        {L"ProductVersion", L"3.1.0.7"},
        {L"OnlySecond", L"\u0432\u0442\u043E\u0440\u043E"},  // only in block 040204e4
    };
    for (const Case& c : cases)
    {
        const MStringEx<wchar_t> value(c.entry, module.Get());
        EXPECT_EQ(Text(value), c.value) << c.entry;
        EXPECT_EQ(value.GetCount(), c.value.size() + 1);
    }

    const MStringException absent = VersionFailure(L"NoSuchEntry", module.Get());
    EXPECT_EQ(absent.code, MStringException::LoadFailed);
    EXPECT_EQ(absent.error, 0u);
}

TEST(VersionResource, MissingResourceOrTranslationTable)
{
    // The test program itself carries no version resource.
    const MStringException none = VersionFailure(L"ProductVersion", nullptr);
    EXPECT_EQ(none.code, MStringException::LoadFailed);
    EXPECT_NE(none.error, 0u);

    TestModule noTranslation(L"FoundationTestNoTranslation.dll");
    ASSERT_NE(noTranslation.Get(), nullptr);
    EXPECT_EQ(VersionFailure(L"ProductName", noTranslation.Get()).code, MStringException::NoTranslationTable);
}

TEST(ByteCountedText, TakesTheUnitsUpToTheFirstNul)
{
    MMemoryPH<wchar_t, 4> block(5);
    const wchar_t units[] = {L'a', L'b', 0, L'c', L'd'};
    block.AssignRaw(units, 5);
    const MStringEx<wchar_t> text(block);
    EXPECT_EQ(Text(text), L"ab");
    EXPECT_EQ(text.GetCount(), 3u);

    block.AssignRaw(units, 2);
    EXPECT_EQ(MStringEx<wchar_t>(block).GetCount(), 3u) << "a NUL is added";
    EXPECT_TRUE(MStringEx<wchar_t>(MMemoryPH<wchar_t, 4>()).IsEmpty());
}
