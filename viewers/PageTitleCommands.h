// The commands a page shown in the web-document viewer sends by setting its
// title: a fixed prefix, then "name=value" items joined by "<|>". The title
// comes from the page, so it is treated as hostile: every piece is checked,
// and a title that does not parse cleanly is not a command.
#pragma once

#include "foundation/StringEx.h"

#include <map>

// What a page asks for, by the prefix its title starts with.
enum class PageCommand
{
    SetVolume = 0,
    OpenLink = 1,
    EnterFullScreen = 2,
    ExitFullScreen = 3,
    CloseWindow = 4,
    None = 5, // the title is not a command
};

enum class PageCommandParameter
{
    RequestId = 0, // "reqid"
    Link = 1,      // "href"
    Volume = 2,    // "volume"
};

using PageCommandParameters = std::map<PageCommandParameter, MString>;

// The title prefix of every command but None.
const wchar_t* PageCommandPrefix(PageCommand command);

// The command of the title, with its known parameters (names compared
// without case; values trimmed, further "=" belong to the value). Items
// without a name or a value, and unknown names, are skipped. A title that
// names one parameter twice is not a command: None, parameters empty.
// Never throws for any title.
PageCommand ParseTitleCommand(const MString& title, PageCommandParameters& parameters);

// How the viewer that receives the title shows its document: what it lets
// a page do.
enum class PageTrust
{
    Full,            // a document of the server: every command
    LinksOnly,       // the slide-properties page: only Open-Link
    Nothing,         // a local file: no command at all
};

// Decides which title changes the viewer obeys: none before its current
// document has completed, none without a request id, and none that repeats
// the last request id (a page repeats a command by changing only the id).
class PageCommandGate
{
public:
    explicit PageCommandGate(PageTrust trust) : m_trust(trust) {}

    // A new document is being requested: commands wait for it.
    void DocumentRequested() { m_documentComplete = false; }
    void DocumentCompleted() { m_documentComplete = true; }
    bool IsDocumentComplete() const { return m_documentComplete; }

    // The command to carry out for this title, or None.
    PageCommand Accept(const MString& title, PageCommandParameters& parameters);

private:
    PageTrust m_trust;
    bool m_documentComplete = false;
    MString m_lastRequestId;
};

// The volume a Set-Volume command carries, read like wcstod (no number
// gives 0); false when it lies outside 0.0 to 1.0.
bool ParsePageVolume(const MString& text, double& volume);

// Opens the link of an Open-Link command maximised in the user's web
// browser; only http and https addresses are opened (a page could name a
// local program or a script otherwise). False when refused or not started.
bool OpenPageLink(const MString& link);
