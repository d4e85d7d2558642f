// The property list request on "get-galleries.aspx": the server's tree of
// online galleries and the properties a filter may test, fetched on a
// worker thread while the wait dialog shows; and the translation of a
// gallery path into another language.
//
// Reply: status 0 (1), G (4, big-endian, even), the gallery list text
// (G bytes, UTF-16LE, no NUL unit), X (4), the property container (X bytes),
// nothing after. The container, unscrambled with the request id: 0xFFFFFFFF
// (4), its own length (4), D (4), the property document (D bytes, scrambled
// once more with the same key): XML whose element texts are upper-case hex
// of UTF-16LE bytes.
#pragma once

#include "filter/MediaSource.h"
#include "filter/SearchLine.h"

#include <utility>
#include <vector>

namespace Property_Manager
{
// Values of a property by value id, in descending order of id.
class ValueDictionary
{
public:
    using Entry = std::pair<DWORD, Value>;
    // Throws PropertyListFailure for an id already present.
    void Insert(DWORD id, const Value& value);
    const std::vector<Entry>& Entries() const { return m_entries; }
    bool IsEmpty() const { return m_entries.empty(); }
    // The value of an id, or null.
    const Value* Find(DWORD id) const;

private:
    std::vector<Entry> m_entries;
};

// One property a filter may test.
struct Property_Class
{
    unsigned __int64 id = 0;
    // 2: values can only be typed; 0: value texts in the user-interface
    // language; other: language-independent.
    DWORD entry_type = 0;
    DWORD data_type = 0; // a SearchPropertyType
    MStringEx<wchar_t> class_name;
    bool multiplicity = false;
    bool is_enum = false;
    bool is_container_property = false;
    bool is_content_property = false;
    ValueDictionary values;
};
using PropertyList = std::vector<Property_Class>;

// Unscrambles a copy of the container with the request id's UTF-8 bytes,
// checks its framing and parses the document into properties (emptied
// first). Throws ServerReplyError (string 362 or 385 with the code),
// MCryptException or PropertyListFailure; properties is only changed on
// success.
void ParseBytes(PropertyList& properties, const MAtom<unsigned char>& container, const MStringEx<wchar_t>& requestId);
// The container's framing once unscrambled, then Parse on its document.
void ReadContainer(PropertyList& properties, const MAtom<unsigned char>& container,
                   const MStringEx<wchar_t>& requestId);
// The document inside the container: unscrambled, then ParseDocument.
void Parse(PropertyList& properties, const MAtom<unsigned char>& document, const MStringEx<wchar_t>& requestId);
// The XML of the properties once unscrambled.
void ParseDocument(PropertyList& properties, const MAtom<unsigned char>& xml);
} // namespace Property_Manager

// A reply that cannot be used and has no code of its own: shown as string
// 219 with the product name.
class PropertyListFailure : public QuilloryError
{
public:
    unsigned Code() const noexcept override { return 0; }
    const char* what() const noexcept override { return "property list"; }
};

// One entry of the gallery list: the text shown (indented by depth) and the
// "/"-joined gallery path.
struct OnlineGalleryEntry
{
    MStringEx<wchar_t> display;
    MStringEx<wchar_t> path;
};
using OnlineGalleryList = std::vector<OnlineGalleryEntry>;

// Reads "*A**B**C*D"-style text (depth = number of stars) into entries;
// false (and an empty list) when it is malformed.
bool ParseGalleryListText(const MStringEx<wchar_t>& text, OnlineGalleryList& galleries);

// Status 0 passes; an empty reply is PropertyListFailure; 128 to 138 is the
// server's message (ServerReplyError refusal); any other status is string
// 398 as a refusal.
void CheckGalleryReplyStatus(const MAtom<unsigned char>& reply);

// Checks the whole reply of the list request and reads it. Every length is
// checked against the reply before it is used; galleries and properties
// change only when the whole reply is good.
void ParseGalleryReply(const MAtom<unsigned char>& reply, const MStringEx<wchar_t>& requestId,
                       OnlineGalleryList& galleries, Property_Manager::PropertyList& properties);

// One exchange's result, kept by the gallery dialog until the next reload.
struct PropertyListRequest
{
    OnlineGalleryList galleries;
    SelectedOnlineGallery gallery;
    Property_Manager::PropertyList properties;
    // Empty on success.
    MStringEx<wchar_t> errorText;
    // Where the wait dialog's window handle is kept; ended with WaitDlgEnd.
    HWND* owner = nullptr;

    PropertyListRequest() = default;
    PropertyListRequest(HWND* owner_, const SelectedOnlineGallery& gallery_) : gallery(gallery_), owner(owner_) {}
};

// The worker: fetches and reads the list, translates the chosen gallery
// into the user-interface language when needed, and ends the wait dialog.
// Answers 0 on success and 1 with the request's error text set; a failure
// leaves the request's lists as they were. Its starter counts it
// (StartCountedThread).
DWORD WINAPI SearchPropertiesThreadProc(LPVOID request);
// The request's steps on the calling thread (the worker without its wait
// dialog).
bool RunPropertyListRequest(PropertyListRequest& request);

// The gallery path in the target language, through a TRANSLATE request;
// throws what the request or the reply raises.
MStringEx<wchar_t> TranslateGalleryPath(const SelectedOnlineGallery& gallery, DWORD targetLanguage);

// Whether two choices name the same gallery: same language and path, or
// the reference path translated into the other's language equals its path.
// A failed translation answers "not the same"; nothing is thrown.
bool IsSameOnlineGallery(const SelectedOnlineGallery& reference, const SelectedOnlineGallery& other);
