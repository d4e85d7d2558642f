// The property list request against the stand-in server: the gallery tree
// and the properties in both languages, the translation of a gallery path,
// every bad reply the stand-in can send (reported, changing nothing), and
// the gallery list text on its own.
#include "filter/PropertyList.h"
#include "filter/SearchValueSyntax.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "server/ServerReplyError.h"
#include "server/tests/StandIn.h"
#include "core/Language.h"
#include "core/WaitDlg.h"
#include "core/tests/UiTestSupport.h"

#include <string>

namespace
{
std::wstring W(const MStringEx<wchar_t>& text) { return std::wstring(text.GetText(), static_cast<size_t>(text.GetLength())); }

class PropertyListTest : public StandIn::Test
{
protected:
    void TearDown() override
    {
        UiLanguage = LanguageEnglish;
        StandIn::Test::TearDown();
    }
};

const Property_Manager::Property_Class* Find(const Property_Manager::PropertyList& list, unsigned __int64 id)
{
    for (const auto& property : list)
        if (property.id == id)
            return &property;
    return nullptr;
}
} // namespace

TEST(GalleryListText, DepthsMakePathsAndIndents)
{
    OnlineGalleryList galleries;
    ASSERT_TRUE(ParseGalleryListText(L"*A**B**C*D", galleries));
    ASSERT_EQ(galleries.size(), 4u);
    const wchar_t* paths[] = {L"A", L"A/B", L"A/C", L"D"};
    const wchar_t* shown[] = {L" A", L"        B", L"        C", L" D"};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(W(galleries[i].path), paths[i]);
        EXPECT_EQ(W(galleries[i].display), shown[i]);
    }
    ASSERT_TRUE(ParseGalleryListText(L"*A**B***C**D", galleries));
    EXPECT_EQ(W(galleries[2].path), L"A/B/C");
    EXPECT_EQ(W(galleries[2].display), std::wstring(15, L' ') + L"C");
    EXPECT_EQ(W(galleries[3].path), L"A/D");

    for (const wchar_t* bad : {L"**A", L"*", L"*A*", L"*A**", L"", L"A*B"})
    {
        galleries.assign(1, OnlineGalleryEntry());
        EXPECT_FALSE(ParseGalleryListText(bad, galleries)) << std::string(bad, bad + wcslen(bad));
        EXPECT_TRUE(galleries.empty());
    }
}

TEST_F(PropertyListTest, ListAllGivesGalleriesAndPropertiesOfEveryKind)
{
    PropertyListRequest request(nullptr, SelectedOnlineGallery());
    ASSERT_TRUE(RunPropertyListRequest(request)) << std::string(request.errorText.ToUtf8().GetText());
    EXPECT_TRUE(request.errorText.IsEmpty());
    ASSERT_EQ(request.galleries.size(), 6u);
    EXPECT_EQ(W(request.galleries[3].path), L"Art/Paintings/Oil");
    EXPECT_EQ(W(request.galleries[3].display), std::wstring(15, L' ') + L"Oil");

    const auto* number = Find(request.properties, 102);
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(W(number->class_name), L"Number");
    EXPECT_EQ(number->data_type, static_cast<DWORD>(UInt64));
    EXPECT_EQ(number->entry_type, 2u);
    const auto* colour = Find(request.properties, 103);
    ASSERT_NE(colour, nullptr);
    EXPECT_TRUE(colour->is_enum);
    // Values in descending order of id, typed as their property.
    ASSERT_EQ(colour->values.Entries().size(), 3u);
    EXPECT_EQ(colour->values.Entries()[0].first, 9u);
    EXPECT_EQ(colour->values.Entries()[1].first, 5u);
    EXPECT_EQ(colour->values.Entries()[2].first, 3u);
    EXPECT_EQ(W(colour->values.Entries()[0].second.text), L"green");
    EXPECT_EQ(colour->values.Entries()[0].second.type, static_cast<DWORD>(Token));
    const auto* century = Find(request.properties, 105);
    ASSERT_NE(century, nullptr);
    EXPECT_TRUE(century->is_container_property);
    EXPECT_EQ(century->data_type, static_cast<DWORD>(RomanNumberEra));

    // The request as the server reads it.
    const std::vector<StandIn::Request> requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/get-galleries.aspx");
    EXPECT_EQ(requests[0].NamesAmong({"Velmora-LV-Product-Name", "Velmora-LV-Product-Version", "Velmora-LV-UI-Language",
                                      "Velmora-LV-Internet-Slide-Library-Version",
                                      "Velmora-LV-Internet-Library-Function",
                                      "Velmora-LV-Get-Properties-Request-Version",
                                      "Velmora-LV-Internet-Properties-Function", "E"}),
              (std::vector<std::string>{"Velmora-LV-Product-Name", "Velmora-LV-Product-Version",
                                        "Velmora-LV-UI-Language", "Velmora-LV-Internet-Slide-Library-Version",
                                        "Velmora-LV-Internet-Library-Function",
                                        "Velmora-LV-Get-Properties-Request-Version",
                                        "Velmora-LV-Internet-Properties-Function", "E"}));
    EXPECT_EQ(requests[0].Header("Velmora-LV-Product-Name"), "5100750069006C006C006F0072007900");
}

TEST_F(PropertyListTest, AGalleryOfAnotherLanguageIsTranslatedIntoTheInterfaceLanguage)
{
    UiLanguage = LanguageBulgarian;
    SelectedOnlineGallery chosen;
    chosen.Assign(L"Art/Paintings", 1033);
    PropertyListRequest request(nullptr, chosen);
    ASSERT_TRUE(RunPropertyListRequest(request));
    EXPECT_EQ(W(request.gallery.name), L"Изкуство/Картини");
    EXPECT_EQ(request.gallery.language, 1026u);
    EXPECT_EQ(W(request.galleries[0].path), L"Демо");
    ASSERT_NE(Find(request.properties, 107), nullptr);
    EXPECT_EQ(W(Find(request.properties, 107)->class_name), L"Тема");

    // A path the server does not know comes back empty: no gallery chosen.
    chosen.Assign(L"Nowhere", 1033);
    PropertyListRequest unknown(nullptr, chosen);
    ASSERT_TRUE(RunPropertyListRequest(unknown));
    EXPECT_TRUE(unknown.gallery.name.IsEmpty());
    EXPECT_EQ(unknown.gallery.language, 1033u);
}

TEST_F(PropertyListTest, SameGalleryAcrossLanguagesAndNeverAThrow)
{
    SelectedOnlineGallery english, bulgarian, upper;
    english.Assign(L"Art/Drawings", 1033);
    bulgarian.Assign(L"Изкуство/Рисунки", 1026);
    upper.Assign(L"ART/Drawings", 1033);
    EXPECT_FALSE(IsSameOnlineGallery(english, upper));
    EXPECT_TRUE(StandIn::Requests().empty()) << "same language: no request";
    EXPECT_TRUE(IsSameOnlineGallery(english, bulgarian));
    EXPECT_TRUE(IsSameOnlineGallery(bulgarian, english));

    // A language the server does not translate into, and no server at all:
    // "not the same", never an exception.
    SelectedOnlineGallery other;
    other.Assign(L"Art/Drawings", 7);
    EXPECT_NO_THROW(EXPECT_FALSE(IsSameOnlineGallery(english, other)));
    const std::wstring saved = ServerBaseAddress().GetText();
    ServerBaseAddress() = L"http://127.0.0.1:1";
    EXPECT_NO_THROW(EXPECT_FALSE(IsSameOnlineGallery(english, bulgarian)));
    ServerBaseAddress() = saved.c_str();
}

TEST_F(PropertyListTest, BadRepliesAreReportedWithTheirCodeAndChangeNothing)
{
    const MStringEx<wchar_t> general(sX::Format(), IDS_PROPERTIES_FAILED,
                                     MStringEx<wchar_t>(ResId(IDS_PRODUCT_NAME)).GetText());
    auto malformed = [](unsigned code, unsigned at) {
        return MStringEx<wchar_t>(sX::Format(), IDS_SERVER_REPLY_MALFORMED, code, at);
    };
    auto document = [](unsigned code, unsigned at, unsigned detail) {
        return MStringEx<wchar_t>(sX::Format(), IDS_SERVER_DOCUMENT_MALFORMED, code, at, detail);
    };
    const struct
    {
        const char* settings;
        MStringEx<wchar_t> text;
    } cases[] = {
        {"galleries_fault=status&galleries_status=130", L"The galleries are being rebuilt."},
        {"galleries_fault=status&galleries_status=1", MStringEx<wchar_t>(ResId(IDS_PROPERTIES_BAD_STATUS))},
        {"galleries_fault=empty", general},
        {"galleries_fault=short", malformed(3021, 300)},
        {"galleries_fault=odd_gallery", malformed(3022, 301)},
        {"galleries_fault=gallery_overrun", malformed(3023, 302)},
        {"galleries_fault=container_overrun", malformed(3024, 303)},
        {"galleries_fault=gallery_nul", malformed(3025, 304)},
        {"galleries_fault=bad_gallery_text", general},
        {"galleries_fault=short_container", malformed(3026, 64)},
        {"galleries_fault=bad_mark", malformed(3001, 73)},
        {"galleries_fault=bad_length", malformed(3002, 85)},
        {"galleries_fault=bad_document_length", malformed(3003, 102)},
        {"galleries_fault=no_items", document(3009, 157, 16)},
        {"galleries_fault=bad_version", malformed(3008, 149)},
        {"galleries_fault=odd_hex", malformed(3027, 190)},
        {"galleries_fault=duplicate_vid", general},
        {"galleries_fault=missing_data", document(3020, 209, 16)},
    };
    for (const auto& c : cases)
    {
        StandIn::Set(c.settings);
        PropertyListRequest request(nullptr, SelectedOnlineGallery());
        request.galleries.push_back(OnlineGalleryEntry{L" Kept", L"Kept"});
        request.properties.push_back(Property_Manager::Property_Class());
        EXPECT_FALSE(RunPropertyListRequest(request)) << c.settings;
        EXPECT_EQ(W(request.errorText), W(c.text)) << c.settings;
        ASSERT_EQ(request.galleries.size(), 1u) << c.settings;
        EXPECT_EQ(W(request.galleries[0].path), L"Kept");
        EXPECT_EQ(request.properties.size(), 1u) << c.settings;
    }
    // Not XML: string 385 with the parser's status.
    StandIn::Set("galleries_fault=bad_xml");
    PropertyListRequest request(nullptr, SelectedOnlineGallery());
    EXPECT_FALSE(RunPropertyListRequest(request));
    const std::wstring prefix = L"The server's document could not be read (error 3005 at 126, detail ";
    EXPECT_EQ(W(request.errorText).rfind(prefix, 0), 0u) << std::string(request.errorText.ToUtf8().GetText());
}

TEST_F(PropertyListTest, AFailedRequestNamesItsLocation)
{
    const std::wstring saved = ServerBaseAddress().GetText();
    ServerBaseAddress() = L"http://127.0.0.1:1";
    PropertyListRequest request(nullptr, SelectedOnlineGallery());
    EXPECT_FALSE(RunPropertyListRequest(request));
    ServerBaseAddress() = saved.c_str();
    const std::wstring text = W(request.errorText);
    EXPECT_EQ(text.rfind(L"The list of online galleries could not be fetched (CE", 0), 0u) << std::string(
        request.errorText.ToUtf8().GetText());
}

TEST_F(PropertyListTest, TheWorkerEndsTheWaitDialog)
{
    // As the gallery dialog runs it: the worker started suspended, the wait
    // dialog modal; the dialog resumes the worker once shown, and the worker
    // ends it through the dialog's window handle.
    LanguageModuleScope language(LanguageEnglish);
    PropertyListRequest request(nullptr, SelectedOnlineGallery());
    HANDLE worker = CreateThread(nullptr, 0, SearchPropertiesThreadProc, &request, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(worker, nullptr);
    CWaitDlg dialog(worker);
    request.owner = &dialog.m_hWnd;
    dialog.DoModal(nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeThread(worker, &code);
    CloseHandle(worker);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(request.galleries.size(), 6u);
    EXPECT_TRUE(request.errorText.IsEmpty());
}

namespace
{
// Hex of a text's UTF-16LE bytes, as the document carries it.
std::string Hex(const std::wstring& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (wchar_t c : text)
        for (unsigned byte : {static_cast<unsigned>(c) & 0xFF, static_cast<unsigned>(c) >> 8})
            hex += std::string{digits[byte >> 4], digits[byte & 15]};
    return hex;
}

// One item with the given element texts (already hex) and values.
std::string Item(const std::string& entryType, const std::string& dataType, const std::string& values,
                 const std::string& drop = "")
{
    const std::pair<std::string, std::string> fields[] = {
        {"id", Hex(L"42")},          {"entry_type", entryType},           {"data_type", dataType},
        {"class_name", Hex(L"Size")}, {"multiplicity", Hex(L"yes")},        {"is_enum", Hex(L"TRUE")},
        {"is_container_property", Hex(L"0")}, {"is_content_property", Hex(L"on")}};
    std::string item = "<item>";
    for (const auto& field : fields)
        if (field.first != drop)
            item += "<" + field.first + ">" + field.second + "</" + field.first + ">";
    if (drop != "propetry_data")
        item += "<propetry_data>" + values + "</propetry_data>";
    return item + "</item>";
}

std::string Value(const std::wstring& id, const std::wstring& text)
{
    return "<v><vid>" + Hex(id) + "</vid><data>" + Hex(text) + "</data></v>";
}

void ParseText(Property_Manager::PropertyList& list, const std::string& items)
{
    const std::string xml = "<Search_Properties version=\"1\"><Items>" + items + "</Items></Search_Properties>";
    Property_Manager::ParseDocument(
        list, ShellMemory<unsigned char>(reinterpret_cast<unsigned char*>(const_cast<char*>(xml.data())), xml.size()));
}
} // namespace

TEST(PropertyDocument, FieldsAreReadAndBounded)
{
    Property_Manager::PropertyList list;
    ParseText(list, Item(Hex(L"7"), Hex(L"15"), Value(L"3", L"S") + Value(L"9", L"XL") + Value(L"5", L"M")));
    ASSERT_EQ(list.size(), 1u);
    const Property_Manager::Property_Class& size = list[0];
    EXPECT_EQ(size.id, 42u);
    EXPECT_EQ(size.entry_type, 2u) << "7 becomes 2";
    EXPECT_EQ(size.data_type, 0u) << "15 becomes 0";
    EXPECT_EQ(W(size.class_name), L"Size");
    EXPECT_TRUE(size.multiplicity);
    EXPECT_TRUE(size.is_enum);
    EXPECT_FALSE(size.is_container_property);
    EXPECT_TRUE(size.is_content_property);
    ASSERT_EQ(size.values.Entries().size(), 3u);
    EXPECT_EQ(size.values.Entries()[0].first, 9u);
    EXPECT_EQ(size.values.Entries()[1].first, 5u);
    EXPECT_EQ(size.values.Entries()[2].first, 3u);
    EXPECT_EQ(W(size.values.Find(9)->text), L"XL");

    // A second value with the same id fails the whole document.
    list.clear();
    EXPECT_THROW(ParseText(list, Item(Hex(L"1"), Hex(L"1"), Value(L"3", L"a") + Value(L"3", L"b"))),
                 PropertyListFailure);
    EXPECT_TRUE(list.empty());
}

TEST(PropertyDocument, MissingElementsAndBadTextsCarryTheirCodes)
{
    const char* const elements[] = {"id",      "entry_type",            "data_type",          "class_name",
                                    "multiplicity", "is_enum", "is_container_property", "is_content_property",
                                    "propetry_data"};
    for (unsigned i = 0; i < 9; ++i)
    {
        Property_Manager::PropertyList list;
        try
        {
            ParseText(list, Item(Hex(L"1"), Hex(L"1"), "", elements[i]));
            ADD_FAILURE() << elements[i];
        }
        catch (const ServerReplyError& error)
        {
            EXPECT_EQ(error.Code(), 3010 + i) << elements[i];
            EXPECT_EQ(error.Location(), 174 + i) << elements[i];
        }
    }
    const struct
    {
        std::string values;
        std::string dataType;
        unsigned code;
    } cases[] = {
        {"<v><data>" + Hex(L"a") + "</data></v>", Hex(L"1"), 3019},
        {"<v><vid>" + Hex(L"1") + "</vid></v>", Hex(L"1"), 3020},
        {"", "310", 3027},                // odd count of digits
        {"", "31", 3027},                 // half a UTF-16 unit
        {"", "3a00", 3027},               // lower case is not hex here
    };
    for (const auto& c : cases)
    {
        Property_Manager::PropertyList list;
        try
        {
            ParseText(list, Item(Hex(L"1"), c.dataType, c.values));
            ADD_FAILURE() << "accepted: " << c.values << " " << c.dataType;
        }
        catch (const ServerReplyError& error)
        {
            EXPECT_EQ(error.Code(), c.code) << c.values << " " << c.dataType;
        }
    }
}
