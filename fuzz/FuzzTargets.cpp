#include "fuzz/FuzzTargets.h"

#include "adverts/AdvertDocuments.h"
#include "adverts/AdvertsReport.h"
#include "crypto/ProtectedTexts.h"
#include "filter/OnlineFilter.h"
#include "filter/PropertyList.h"
#include "foundation/AtomPersistence.h"
#include "foundation/ExifBlock.h"
#include "foundation/JpegExif.h"
#include "foundation/PictureBounds.h"
#include "foundation/Registry.h"
#include "foundation/SystemUtilities.h"
#include "galleries/FileDrop.h"
#include "galleries/FileListState.h"
#include "server/GetSlideReply.h"
#include "server/ReceivedSlide.h"
#include "server/SlideCacheFile.h"
#include "server/SlideProperties.h"
#include "server/SlideSession.h"
#include "settings/HotKeysRecord.h"
#include "core/Language.h"
#include "slideshow/CurrentSlideRecord.h"
#include "slideshow/DisplayControl.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/PrimeTableHash.h"
#include "upgrade/ReleaseDocument.h"
#include "upgrade/UpgradeWorker.h"
#include "viewers/PageTitleCommands.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace
{
// Views the guarded input itself, so that a read past it faults.
ShellMemory<unsigned char> Input(const unsigned char* data, size_t size)
{
    return ShellMemory<unsigned char>(const_cast<unsigned char*>(data), size);
}

std::string Text(const MAtom<unsigned char>& bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), static_cast<size_t>(bytes.GetCount()));
}

MemoryPH<unsigned char> Bytes(const std::string& text)
{
    MemoryPH<unsigned char> bytes(text.size());
    if (!text.empty())
        std::memcpy(bytes.GetData(), text.data(), text.size());
    return bytes;
}

// Runs a parser and lets its own rejections pass.
template <class Parse> void Rejecting(Parse parse)
{
    try
    {
        parse();
    }
    catch (const QuilloryError&)
    {
    }
    catch (const std::bad_alloc&)
    {
    }
}

void Nothing() {}

void LoadLanguage()
{
    static HMODULE module = LoadLibraryW(GetModuleFolder(nullptr, L"Resources EN US.dll").GetText());
    LanguageModule = module;
    UiLanguage = LanguageEnglish;
}

// ---- key reply -----------------------------------------------------------------

void RunKeyReply(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MemoryPH<unsigned char> key;
        MStringEx<wchar_t> session;
        ParseServerKeyReply(Input(data, size), key, session);
    });
}

std::vector<std::string> KeyReplySeeds()
{
    return {"<?xml version=\"1.0\"?><rsa_key><version>1</version><session>S0123</session>"
            "<public_key>0602000000A40000525341310004000001000100AB</public_key></rsa_key>",
            "<rsa_key><version>1</version><session><![CDATA[x]]></session><public_key/></rsa_key>"};
}

// ---- framed session replies ----------------------------------------------------

std::unique_ptr<MACrypt> SessionKey;

void PrepareSessionKey()
{
    LoadLanguage();
    if (!SessionKey)
        SessionKey = std::make_unique<MACrypt>(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512),
                                               0, MACrypt::Chained);
}

void RunSessionReply(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MemoryPH<unsigned char> reply(Input(data, size));
        SecureBytes fields[5];
        OpenFramedReply(reply, L"12345678901234", *SessionKey, ReplyChecks{6, 1030, 9, 1040}, fields, 5);
    });
}

std::vector<std::string> SessionReplySeeds()
{
    std::string blocks(65, '\0');
    blocks[0] = 0;
    return {blocks, std::string("\x01h\0i\0", 5), std::string(129, '\x05')};
}

// ---- cache file ----------------------------------------------------------------

std::unique_ptr<SlideCacheCipher> CacheCipher;

void PrepareCache()
{
    if (!CacheCipher)
        CacheCipher = std::make_unique<SlideCacheCipher>();
}

void RunCacheFile(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MemoryPH<unsigned char> contents;
        DecodeSlideCachePlain(Input(data, size), contents);
        OpenSlideCacheFile(*CacheCipher, Input(data, size), contents);
    });
}

std::vector<std::string> CacheSeeds()
{
    PrepareCache();
    std::vector<std::string> seeds;
    for (const char* contents : {"", "QSC1\0\0\0\x03payload", "a longer cache payload of the server, 48 bytes."})
    {
        MemoryPH<unsigned char> plain = EncodeSlideCachePlain(Bytes(contents));
        seeds.push_back(Text(plain));
        CacheCipher->Encrypt(plain);
        seeds.push_back(Text(plain));
    }
    return seeds;
}

// ---- property texts ------------------------------------------------------------

void RunProperties(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MStringEx<wchar_t> text{ElementCount(size / 2)};
        if (size >= 2)
            std::memcpy(text.GetData(), data, size / 2 * 2);
        SlideProperties properties;
        ParseSlideProperties(ReplySection(text, SlidePropertiesMarker), properties);
        ParseSlideProperties(text, properties);
        ReplySection(text, SecondSectionMarker);
        MList<ContentPropertyRow> rows;
        ParseContentProperties(ContentPropertyTexts(), text, rows);
    });
}

std::string Utf16(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::vector<std::string> PropertySeeds()
{
    const std::wstring separator = PropertyItemSeparator;
    return {Utf16(std::wstring(SlidePropertiesMarker) + L"title=A" + separator + L"creator=C" + separator +
                  L"border_window=frame" + SlidePropertiesMarker),
            Utf16(L"Size=yes=10 x 20" + separator + L"Link=on=a=b" + separator + L"x")};
}

// ---- get-slide reply -----------------------------------------------------------

void RunSlideReply(const unsigned char* data, size_t size)
{
    Rejecting([&] { ParseGetSlideReply(Input(data, size)); });
}

void Be32(std::string& out, size_t n)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(n >> shift));
}

void Field(std::string& out, const std::string& bytes)
{
    Be32(out, bytes.size());
    out += bytes;
}

std::vector<std::string> SlideReplySeeds()
{
    std::string picture(1, '\x01'), media(1, '\x02'), message(1, '\x82');
    Field(picture, "picture");
    Field(picture, "");
    Field(picture, Utf16(L"props"));
    picture.push_back('\x80');
    Field(picture, "cache");
    Field(media, Utf16(L"title"));
    Field(media, "media bytes");
    Field(media, "");
    media.push_back('\0');
    Field(media, "cache");
    Field(media, std::string(64, 'c'));
    Field(message, Utf16(L"Come back later."));
    return {picture, media, message};
}

// ---- get-slide reply layers ----------------------------------------------------

std::unique_ptr<MACrypt> UnwrapKey;
std::unique_ptr<AesCipher> UnwrapCipher;

void PrepareUnwrap()
{
    if (UnwrapKey)
        return;
    UnwrapKey = std::make_unique<MACrypt>(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512), 0,
                                          MACrypt::Chained);
    const MAAuthenticator hasher(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                                 MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
    SecureBytes secret;
    secret.AssignSecure(UnwrapKey->ExportPublicKey());
    UnwrapCipher = std::make_unique<AesCipher>(hasher, secret);
}

void RunSlideUnwrap(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        MemoryPH<unsigned char> reply;
        const unsigned n = size ? 10 + data[0] % 16 : 10;
        UnwrapGetSlideReply(*UnwrapCipher, *UnwrapKey, n, Input(data, size), reply, nullptr);
    });
}

std::vector<std::string> SlideUnwrapSeeds()
{
    PrepareUnwrap();
    std::vector<std::string> seeds;
    for (size_t length : {5u, 12u, 700u, 2000u})
    {
        MemoryPH<unsigned char> cipher;
        UnwrapCipher->EncryptCbc(MemoryPH<unsigned char>(length, 0x41), cipher);
        seeds.push_back(Text(cipher));
    }
    return seeds;
}

// ---- settings record -----------------------------------------------------------

void RunSettings(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        WriteProductValue(PerformanceDataValueName, REG_BINARY, data, static_cast<DWORD>(size));
        PerformanceData settings;
        SlideTimer timer;
        RECT area = {};
        LoadPerformanceData(settings, timer, area);
    });
}

std::vector<std::string> SettingsSeeds()
{
    PerformanceData settings;
    SlideTimer timer;
    const PerformanceData::Words words = settings.ToWords(timer);
    return {std::string(reinterpret_cast<const char*>(words.data()), words.size() * sizeof(DWORD))};
}
// ---- hot-keys record ------------------------------------------------------------

void RunHotKeys(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        WriteProductValue(HotKeysBlob, REG_BINARY, data, static_cast<DWORD>(size));
        static const AllowedKeyTable allowed(new AllowedKeyTable::Entry(0, MString(L"-")),
                                             new AllowedKeyTable::Entry('A', MString(L"A")),
                                             new AllowedKeyTable::Entry(VK_F9, MString(L"F9")));
        HotKeyEntry table[HotKeyTableSize];
        LoadHotKeys(allowed, table);
    });
}

std::vector<std::string> HotKeysSeeds()
{
    return {std::string("\x01\xC0" "A\0\0\x78\0\0\0", HotKeysRecordSize)};
}

// ---- current-slide record -------------------------------------------------------

void RunCurrentSlide(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        DecodedCurrentSlide decoded;
        DecodeCurrentSlide(data, size, decoded);
    });
}

std::vector<std::string> CurrentSlideSeeds()
{
    std::vector<std::string> seeds;
    std::vector<unsigned char> record;
    if (EncodeCurrentSlide(false, MString(L"slide"), record))
        seeds.emplace_back(record.begin(), record.end());
    // A local record needs a file to hash.
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    if (GetTempPathW(MAX_PATH, folder) && GetTempFileNameW(folder, L"qfz", 0, path))
    {
        if (EncodeCurrentSlide(true, MString(path), record))
            seeds.emplace_back(record.begin(), record.end());
        DeleteFileW(path);
    }
    return seeds;
}

// ---- Display Control ------------------------------------------------------------

// The input: a mode byte, two piece lengths, then the pieces, the last of
// them running to the guarded end. Mode bit 0 set: the three name lists of
// the key, with "total this loop" (count mode >> 1) made to match them;
// clear: a folder node, its name and its completed items, with "exhausted"
// made to match. Without the matching record every input would fail its
// hash check before the names are read.
void RunDisplayControl(const unsigned char* data, size_t size)
{
    if (size < 3)
        return;
    const unsigned char* rest = data + 3;
    const size_t count = size - 3;
    const size_t first = std::min<size_t>(data[1], count);
    const size_t second = std::min<size_t>(data[2], count - first);
    const ValueBytes a{rest, first};
    const ValueBytes b{rest + first, second};
    const ValueBytes c{rest + first + second, count - first - second};
    const auto put = [](std::vector<unsigned char>& bytes, size_t at, unsigned __int64 value) {
        std::memcpy(bytes.data() + at, &value, sizeof(value));
    };
    Rejecting([&] {
        if (data[0] & 1)
        {
            std::vector<unsigned char> total(40);
            put(total, 0, data[0] >> 1);
            put(total, 8, PrimeTableHash(a.data, a.size));
            put(total, 16, PrimeTableHash(b.data, b.size));
            put(total, 24, PrimeTableHash(c.data, c.size));
            put(total, 32, PrimeTableHash(total.data(), 32));
            LocalWalkState state;
            DecodeDisplayControlLists(ValueBytes{total.data(), total.size()}, a, b, c, state);
            return;
        }
        // The name's hash is of its text up to the first NUL.
        std::vector<wchar_t> units(b.size / 2 + 1, L'\0');
        if (b.size >= 2)
            std::memcpy(units.data(), b.data, b.size / 2 * 2);
        std::vector<unsigned char> exhausted(25);
        exhausted[0] = data[0] & 2 ? 0xA5 : 0x5A;
        put(exhausted, 1, PrimeTableHash(MString(units.data())));
        put(exhausted, 9, PrimeTableHash(c.data, c.size));
        put(exhausted, 17, PrimeTableHash(exhausted.data(), 17));
        MString name;
        std::vector<MString> completed;
        bool done = false;
        DecodeDisplayControlNode(b, c, ValueBytes{exhausted.data(), exhausted.size()}, name, completed, done);
    });
}

std::string Utf16Names(std::initializer_list<const wchar_t*> names)
{
    std::string bytes;
    for (const wchar_t* name : names)
        bytes.append(reinterpret_cast<const char*>(name), (wcslen(name) + 1) * sizeof(wchar_t));
    return bytes;
}

std::vector<std::string> DisplayControlSeeds()
{
    const std::string thisLoop = Utf16Names({L"C:\\pictures\\a.png", L"C:\\pictures\\b.png"});
    const std::string lastLoop = Utf16Names({L"C:\\pictures\\c.png"});
    const std::string unique = Utf16Names({L"C:\\pictures\\a.png|a", L"C:\\pictures\\b.png|b"});
    const std::string name = Utf16Names({L"holiday"});
    const std::string completed = Utf16Names({L"a.png", L"b.png"});
    return {std::string{'\x05', static_cast<char>(thisLoop.size()), static_cast<char>(lastLoop.size())} + thisLoop +
                lastLoop + unique,
            std::string{'\x02', 0, static_cast<char>(name.size())} + name + completed};
}

// ---- EXIF block ------------------------------------------------------------------

void RunExif(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        const ExifBlock block(data, size);
        WORD orientation = 0;
        block.ReadShort(274, orientation);
        for (WORD tag : {270, 40091, 269, 800})
            block.ReadText(tag);
    });
}

// A JPEG start and an APP1 segment with IFD0 of two entries: orientation 6
// and an ImageDescription; the real JPEG files are in fuzz/seeds/exif.
std::vector<std::string> ExifSeeds()
{
    std::string tiff("II*\0\x08\0\0\0", 8);
    tiff += std::string("\x02\0", 2);
    tiff += std::string("\x12\x01\x03\0\x01\0\0\0\x06\0\0\0", 12);
    tiff += std::string("\x0e\x01\x02\0\x06\0\0\0\x26\0\0\0", 12);
    tiff += std::string("\0\0\0\0", 4);
    tiff += std::string("Title\0", 6);
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const size_t length = payload.size() + 2;
    std::string jpeg("\xFF\xD8\xFF\xE1", 4);
    jpeg += static_cast<char>(length >> 8);
    jpeg += static_cast<char>(length & 0xFF);
    jpeg += payload;
    jpeg += std::string("\xFF\xD9", 2);
    return {jpeg};
}

// The input is taken as the original JPEG and as the re-encoded one at once.
void RunJpegExif(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        const std::vector<unsigned char> original(data, data + size);
        std::vector<unsigned char> rewritten(data, data + size);
        CarryExifSegment(original, rewritten);
        std::vector<unsigned char> segment;
        if (FindExifSegment(data, size, segment))
            SetExifOrientationUpright(segment);
    });
}

// ---- Picture headers --------------------------------------------------------------

void RunPictureHeader(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        PictureDimensions dimensions;
        ReadPictureDimensions(data, size, dimensions);
        PictureHeaderWithinBounds(data, size);
    });
}

// One header of each format the reader knows: PNG, JPEG, GIF, BMP, TIFF
// (both byte orders), an icon holding a PNG, EMF and placeable WMF.
std::vector<std::string> PictureHeaderSeeds()
{
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x75\x30\0\0\x75\x30\x08\x06\0\0\0", 29);
    std::string icon("\0\0\x01\0\x01\0\0\0\0\0\x01\0\x20\0\x1d\0\0\0\x16\0\0\0", 22);
    icon += png;
    std::string emf(44, '\0');
    emf[0] = 1;
    emf[16] = 100;
    emf[20] = 50;
    emf.replace(40, 4, " EMF");
    return {png,
            std::string("\xFF\xD8\xFF\xE0\0\x04JF\xFF\xC0\0\x0b\x08\x01\xe0\x02\x80\x01\x01\x11\0", 21),
            std::string("GIF89a\x40\0\x20\0\0\0\0", 13),
            std::string("BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x40\0\0\0\xc0\xff\xff\xff", 26),
            std::string("II*\0\x08\0\0\0\x02\0\0\x01\x03\0\x01\0\0\0\x40\0\0\0\x01\x01\x04\0\x01\0\0\0\x20\0\0\0", 34),
            std::string("MM\0*\0\0\0\x08\0\x02\x01\0\0\x03\0\0\0\x01\0\x40\0\0\x01\x01\0\x04\0\0\0\x01\0\0\0\x20", 34),
            icon,
            emf,
            std::string("\xd7\xcd\xc6\x9a\0\0\0\0\0\0\x40\x06\x80\x04\xa0\x05\0\0\0\0\0\0", 22)};
}

// The file-list block of a drop or of the clipboard.
void RunFileList(const unsigned char* data, size_t size)
{
    std::vector<MString> paths, tooLong;
    ReadFileList(data, size, paths, tooLong);
}

std::vector<std::string> FileListSeeds()
{
    const std::vector<unsigned char> block =
        BuildFileList({MString(L"C:\\Pictures\\sea.jpg"), MString(L"D:\\folder")});
    return {std::string(block.begin(), block.end()), std::string(20, '\0')};
}

// The file-descriptor block of a drop or of the clipboard, alone and as the
// count by which the data object finds the contents blocks that follow it.
void RunFileDescriptors(const unsigned char* data, size_t size)
{
    UINT count = 0;
    CountFileDescriptors(data, size, count);
    const std::vector<unsigned char> contents(4, 'x');
    IDataObject* object = NewFileDataObject({{FileDescriptorFormat(), std::vector<unsigned char>(data, data + size)},
                                             {FileContentsFormat(), contents},
                                             {FileContentsFormat(), contents}});
    if (!object)
        return;
    for (LONG index : {-1, 0, 1, 2, 0x7FFFFFFF})
    {
        FORMATETC format = {static_cast<CLIPFORMAT>(FileContentsFormat()), nullptr, DVASPECT_CONTENT, index,
                            TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (object->GetData(&format, &medium) == S_OK)
            ReleaseStgMedium(&medium);
    }
    object->Release();
}

std::vector<std::string> FileDescriptorSeeds()
{
    std::vector<unsigned char> block(sizeof(UINT) + 2 * sizeof(FILEDESCRIPTORW));
    block[0] = 2;
    return {std::string(block.begin(), block.end()), std::string("\1\0\0\0", 4)};
}

// The stored look of the gallery dialog's list and its thumbnail size.
void RunFileListView(const unsigned char* data, size_t size)
{
    FileListState state;
    DecodeFileListView(data, size, state);
    DecodeThumbnailSize(REG_DWORD, data, static_cast<DWORD>(size));
}

std::vector<std::string> FileListViewSeeds()
{
    const std::vector<unsigned char> view = EncodeFileListView(FileListState());
    return {std::string(view.begin(), view.end()), std::string("\x40\0\0\0", 4)};
}

// ---- online filter: the stored blob, the gallery reply, the properties ---------

void RunFilterBlob(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        SearchLineList lines;
        ReadOnlineFilterBlob(data, size, lines);
    });
}

std::vector<std::string> FilterBlobSeeds()
{
    Property_Manager::search_line_data first;
    first.property_id = 102;
    first.operator_code = L'<';
    first.value = Property_Manager::Value(12, L"4");
    first.open_parenthesis = true;
    first.conjunction = '|';
    Property_Manager::search_line_data second;
    second.property_id = 107;
    second.value = Property_Manager::Value(0, L"Landscape");
    second.language = 1033;
    second.close_parenthesis = true;
    std::vector<std::string> seeds;
    for (const SearchLineList& lines : {SearchLineList{first}, SearchLineList{first, second}})
    {
        const std::vector<unsigned char> blob = BuildOnlineFilterBlob(lines);
        seeds.emplace_back(blob.begin(), blob.end());
    }
    return seeds;
}

// The key of the scrambled parts: any request id of 8 or more digits.
const MStringEx<wchar_t> FuzzRequestId(L"123456789012");

void RunGalleryReply(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        OnlineGalleryList galleries;
        Property_Manager::PropertyList properties;
        ParseGalleryReply(Input(data, size), FuzzRequestId, galleries, properties);
    });
}

std::string Be32Text(size_t n)
{
    return std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                       static_cast<char>(n)};
}

std::vector<std::string> GalleryReplySeeds()
{
    std::vector<std::string> seeds;
    for (const wchar_t* text : {L"*Demo*Art**Paintings***Oil*Photographs", L"*A"})
    {
        const std::string galleries(reinterpret_cast<const char*>(text), wcslen(text) * 2);
        const std::string container = "\xFF\xFF\xFF\xFF" + Be32Text(16) + Be32Text(4) + "<a/>";
        seeds.push_back(std::string(1, '\0') + Be32Text(galleries.size()) + galleries + Be32Text(container.size()) +
                        container);
    }
    const std::string message(reinterpret_cast<const char*>(L"Busy"), 8);
    seeds.push_back("\x82" + message);
    return seeds;
}

void RunPropertyContainer(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        Property_Manager::PropertyList properties;
        Property_Manager::ReadContainer(properties, Input(data, size), FuzzRequestId);
    });
}

std::vector<std::string> PropertyContainerSeeds()
{
    const std::string document = "scrambled document bytes";
    return {"\xFF\xFF\xFF\xFF" + Be32Text(12 + document.size()) + Be32Text(document.size()) + document};
}

void RunPropertyDocument(const unsigned char* data, size_t size)
{
    Rejecting([&] {
        Property_Manager::PropertyList properties;
        Property_Manager::ParseDocument(properties, Input(data, size));
    });
}

std::vector<std::string> PropertyDocumentSeeds()
{
    // "102", "2", "12", "Number", "false" and "true" as hex of UTF-16LE.
    return {"<Search_Properties version=\"1\"><Items><item><id>310030003200</id><entry_type>3200</entry_type>"
            "<data_type>31003200</data_type><class_name>4E0075006D00620065007200</class_name>"
            "<multiplicity>660061006C0073006500</multiplicity><is_enum>7400720075006500</is_enum>"
            "<is_container_property>660061006C0073006500</is_container_property>"
            "<is_content_property>660061006C0073006500</is_content_property><propetry_data><v><vid>3300</vid>"
            "<data>3100</data></v><v><vid>3900</vid><data>3200</data></v></propetry_data></item></Items>"
            "</Search_Properties>"};
}

// ---- release document and installer reply ------------------------------------------

void RunReleaseDocument(const unsigned char* data, size_t size)
{
    ReleaseQuery query;
    query.productName = L"Quillory";
    query.localVersion = L"3.1.0.0";
    query.changesLanguage = L"English";
    query.defaultChanges = L"notes";
    query.webPagePrefix = L"https://";
    ReleaseFound found;
    ReadReleaseDocument(Input(data, size), query, found);
}

std::vector<std::string> ReleaseDocumentSeeds()
{
    return {"<?xml version=\"1.0\" encoding=\"utf-8\"?><Releases><Lumivane edition=\"Quillory\" version=\"3.2.1\">"
            "<Changes><English>New</English><Bulgarian><![CDATA[x]]></Bulgarian></Changes><Download>"
            "<Visit_Website_URL>example.com/r</Visit_Website_URL></Download></Lumivane></Releases>",
            "<R><Lumivane edition='Quillory' version='99999999999999999999.1..x'/></R>"};
}

void RunInstallerReply(const unsigned char* data, size_t size)
{
    MString message;
    DecodeServerMessage(Input(data, size), message);
    StatusIs(Input(data, size), L"SUCCESS");
    const unsigned char digest[20] = {0xA9, 0x99};
    DigestMatches(ShellMemory<unsigned char>(const_cast<unsigned char*>(digest), sizeof(digest)), Input(data, size));
}

std::vector<std::string> InstallerReplySeeds()
{
    return {"48006900", std::string("S\0U\0C\0C\0E\0S\0S\0", 14), "A9990000000000000000000000000000000000000"};
}

// A page title: the input as UTF-16LE text (an odd last byte dropped), as
// the browser hands it over. The gate sees it twice, as a page repeating it.
void RunTitleCommand(const unsigned char* data, size_t size)
{
    MString title(ElementCount(size / 2));
    if (size >= 2)
        std::memcpy(title.GetData(), data, size / 2 * sizeof(wchar_t));
    PageCommandParameters parameters;
    ParseTitleCommand(title, parameters);
    PageCommandGate gate(PageTrust::Full);
    gate.DocumentCompleted();
    for (int pass = 0; pass < 2; ++pass)
        if (gate.Accept(title, parameters) == PageCommand::SetVolume)
        {
            const auto volume = parameters.find(PageCommandParameter::Volume);
            double value = 0;
            if (volume != parameters.end())
                ParsePageVolume(volume->second, value);
        }
}

std::vector<std::string> TitleCommandSeeds()
{
    auto bytes = [](const std::wstring& text) {
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    };
    const std::wstring volume = PageCommandPrefix(PageCommand::SetVolume);
    return {bytes(volume + L"volume=0.5<|>reqid=12345"),
            bytes(std::wstring(PageCommandPrefix(PageCommand::OpenLink)) + L"href=https://a.example/?x=1<|>reqid=7"),
            bytes(std::wstring(PageCommandPrefix(PageCommand::CloseWindow)) + L"reqid=1<|>reqid=2"),
            bytes(L"An ordinary title")};
}
} // namespace

// ---- adverts reply and advert documents -------------------------------------------

void RunAdvertsReply(const unsigned char* data, size_t size)
{
    Rejecting([&] { SplitAdvertsReply(Input(data, size)); });
}

std::vector<std::string> AdvertsReplySeeds()
{
    const std::string frame("\xFF\xFF\xFF\xFF\0\0\0\x17\0\0\0\x01" "a" "\0\0\0\x02" "bc" "\0\0\0\0", 23);
    return {frame, std::string("\xFF\xFF\xFF\xFF\0\0\0\x14", 8) + std::string(12, '\0')};
}

// The three documents by the first byte of the input: 0 menu, 1 overlay,
// 2 slide; the rest is the unscrambled document.
void RunAdvertDocument(const unsigned char* data, size_t size)
{
    if (size == 0)
        return;
    const ShellMemory<unsigned char> text = Input(data + 1, size - 1);
    Rejecting([&] {
        switch (data[0] % 3)
        {
        case 0:
        {
            std::unique_ptr<Menu_Adverts> menu;
            ReadMenuAdverts(menu, text);
            break;
        }
        case 1:
        {
            std::unique_ptr<Overlay_Adverts> overlay;
            ReadOverlayAdverts(overlay, text);
            break;
        }
        default:
        {
            std::unique_ptr<SlideAdvertsSettings> slides;
            ReadSlideAdverts(slides, text);
        }
        }
    });
}

std::vector<std::string> AdvertDocumentSeeds()
{
    const std::string settings = "<Enabled>1</Enabled><Web_Home_App_Default>1</Web_Home_App_Default>"
                                 "<Title_Bold>1</Title_Bold><Title_Italic>0</Title_Italic>"
                                 "<Title_Underlined>0</Title_Underlined><Title_Normal_Height>1</Title_Normal_Height>"
                                 "<Title_Has_Separator>1</Title_Has_Separator><Title_Icon>0</Title_Icon>"
                                 "<Fixed_Items_Positions>1</Fixed_Items_Positions><Title_Text>41004200</Title_Text>"
                                 "<Title_URL></Title_URL><Position>top</Position>"
                                 "<Max_Displayed_Entries>2</Max_Displayed_Entries>";
    return {std::string(1, '\0') + "<Menu_Adverts version=\"1\">" + settings +
                "<Adverts><A><title>41004200</title><enabled>1</enabled><url>6800</url><priority>3</priority></A>"
                "</Adverts></Menu_Adverts>",
            std::string(1, '\1') + "<Overlay_Adverts version=\"1\"><Enabled>1</Enabled><Incidence>3</Incidence>"
                                   "<MC_Lag_Time>5</MC_Lag_Time><Adverts><A><leading_title>4100</leading_title>"
                                   "<auxiliary_title></auxiliary_title><enabled>1</enabled><class>6300</class>"
                                   "<content>7400</content><url></url><priority>2</priority></A></Adverts>"
                                   "</Overlay_Adverts>",
            std::string(1, '\2') + "<Slide_Adverts version=\"1\"><Enabled>y</Enabled><Incidence>4</Incidence>"
                                   "</Slide_Adverts>"};
}

const std::vector<FuzzTarget>& FuzzTargets()
{
    static const std::vector<FuzzTarget> targets = {
        {"key-reply", LoadLanguage, RunKeyReply, KeyReplySeeds},
        {"session-reply", PrepareSessionKey, RunSessionReply, SessionReplySeeds},
        {"cache-file", PrepareCache, RunCacheFile, CacheSeeds},
        {"properties", LoadLanguage, RunProperties, PropertySeeds},
        {"slide-reply", Nothing, RunSlideReply, SlideReplySeeds},
        {"slide-unwrap", PrepareUnwrap, RunSlideUnwrap, SlideUnwrapSeeds},
        {"settings", Nothing, RunSettings, SettingsSeeds},
        {"current-slide", Nothing, RunCurrentSlide, CurrentSlideSeeds},
        {"display-control", Nothing, RunDisplayControl, DisplayControlSeeds},
        {"exif", Nothing, RunExif, ExifSeeds},
        {"jpeg-exif", Nothing, RunJpegExif, ExifSeeds},
        {"picture-header", Nothing, RunPictureHeader, PictureHeaderSeeds},
        {"filter-blob", Nothing, RunFilterBlob, FilterBlobSeeds},
        {"gallery-reply", LoadLanguage, RunGalleryReply, GalleryReplySeeds},
        {"property-container", LoadLanguage, RunPropertyContainer, PropertyContainerSeeds},
        {"property-document", LoadLanguage, RunPropertyDocument, PropertyDocumentSeeds},
        {"hot-keys", Nothing, RunHotKeys, HotKeysSeeds},
        {"file-list", Nothing, RunFileList, FileListSeeds},
        {"file-list-view", Nothing, RunFileListView, FileListViewSeeds},
        {"file-descriptors", Nothing, RunFileDescriptors, FileDescriptorSeeds},
        {"adverts-reply", Nothing, RunAdvertsReply, AdvertsReplySeeds},
        {"advert-documents", LoadLanguage, RunAdvertDocument, AdvertDocumentSeeds},
        {"release-document", Nothing, RunReleaseDocument, ReleaseDocumentSeeds},
        {"installer-reply", Nothing, RunInstallerReply, InstallerReplySeeds},
        {"title-command", Nothing, RunTitleCommand, TitleCommandSeeds},
    };
    return targets;
}
