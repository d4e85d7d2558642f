// Sending the current file by e-mail through Simple MAPI: the user's e-mail
// program opens a new message with the file attached. The wide entry point
// is used where the mail system has one; otherwise the ANSI one, with the
// texts in the ANSI code page and a path that does not convert replaced by
// its short form.
#include "shell/FileCommands.h"
#include "shell/WindowBase.h"


#include <mapi.h>

#include <memory>
#include <string>

namespace
{
// The wide Simple MAPI records (MAPISendMailW), as the mail system reads them.
struct MapiRecipientWide
{
    ULONG reserved;
    ULONG recipientClass;
    PWSTR name;
    PWSTR address;
    ULONG entryIdSize;
    void* entryId;
};
struct MapiFileWide
{
    ULONG reserved;
    ULONG flags;
    ULONG position;
    PWSTR pathName;
    PWSTR fileName;
    void* fileType;
};
struct MapiMessageWide
{
    ULONG reserved;
    PWSTR subject;
    PWSTR noteText;
    PWSTR messageType;
    PWSTR dateReceived;
    PWSTR conversationId;
    ULONG flags;
    MapiRecipientWide* originator;
    ULONG recipientCount;
    MapiRecipientWide* recipients;
    ULONG fileCount;
    MapiFileWide* files;
};
using SendMailWide = ULONG(WINAPI*)(ULONG_PTR session, ULONG_PTR uiParam, MapiMessageWide* message, ULONG flags,
                                     ULONG reserved);
using SendMailAnsi = ULONG(WINAPI*)(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags,
                                     ULONG reserved);

// The attachment is not placed in the note text.
constexpr ULONG NoPosition = 0xFFFFFFFF;
constexpr ULONG SendFlags = MAPI_LOGON_UI | MAPI_DIALOG;

// Failure stages of the notice.
enum MailStage : unsigned
{
    LibraryMissing = 1,
    EntryMissing = 2,
    SendFailed = 3,
};

// Text in the ANSI code page; false when a character has no form there.
bool ToAnsi(const wchar_t* text, std::string& ansi)
{
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lossy);
    if (size <= 0)
        return false;
    ansi.assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, &ansi[0], size, nullptr, &lossy);
    ansi.resize(static_cast<size_t>(size - 1));
    return !lossy;
}

// The path in the ANSI code page, or its short form where it does not convert.
std::string AnsiPath(const MString& path)
{
    std::string ansi;
    if (ToAnsi(path.GetText(), ansi))
        return ansi;
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(path.GetText(), shortPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        ToAnsi(shortPath, ansi);
    return ansi;
}

ULONG SendWide(SendMailWide send, const MString& path, const MString& note)
{
    MString pathCopy(path), noteCopy(note);
    MString empty(L"");
    MapiFileWide file = {0, 0, NoPosition, pathCopy.GetData(), pathCopy.GetData(), nullptr};
    MapiMessageWide message = {};
    message.subject = empty.GetData();
    message.noteText = noteCopy.GetData();
    message.fileCount = 1;
    message.files = &file;
    return send(0, reinterpret_cast<ULONG_PTR>(GetDesktopWindow()), &message, SendFlags, 0);
}

ULONG SendAnsi(SendMailAnsi send, const MString& path, const MString& note)
{
    std::string ansiPath = AnsiPath(path), ansiNote, subject;
    ToAnsi(note.GetText(), ansiNote);
    MapiFileDesc file = {0, 0, NoPosition, &ansiPath[0], &ansiPath[0], nullptr};
    MapiMessage message = {};
    message.lpszSubject = &subject[0];
    message.lpszNoteText = &ansiNote[0];
    message.nFileCount = 1;
    message.lpFiles = &file;
    return send(0, reinterpret_cast<ULONG_PTR>(GetDesktopWindow()), &message, SendFlags, 0);
}

void ReportMailFailure(HWND mainWindow, unsigned stage, ULONG code)
{
    if (!IsWindow(mainWindow))
        return;
    PostNoticeRecord(mainWindow,
                     std::make_unique<Pair<MString, MString>>(MString(ResId(IDS_FILE_COMMAND_FAILED)),
                                                              MString(sX::Format(), IDS_MAIL_FAILED, stage, code)));
}
}

DWORD WINAPI SendMailThreadProc(LPVOID parameter)
{
    std::unique_ptr<Pair<HWND__*, MString>> request(static_cast<Pair<HWND__*, MString>*>(parameter));
    if (!request)
        return 0;
    try
    {
        HWND mainWindow = request->first;
        HMODULE mail = FileCommandSystem.loadMailLibrary(L"MAPI32.DLL");
        if (!mail)
        {
            ReportMailFailure(mainWindow, LibraryMissing, 0);
            return 0;
        }
        auto sendWide = reinterpret_cast<SendMailWide>(
            reinterpret_cast<void*>(FileCommandSystem.findMailEntry(mail, "MAPISendMailW")));
        auto sendAnsi = reinterpret_cast<SendMailAnsi>(
            reinterpret_cast<void*>(FileCommandSystem.findMailEntry(mail, "MAPISendMail")));
        if (!sendWide && !sendAnsi)
        {
            ReportMailFailure(mainWindow, EntryMissing, 0);
            FileCommandSystem.freeMailLibrary(mail);
            return 0;
        }
        const MString note(sX::Format(), IDS_MAIL_NOTE, L"Quillory");
        const ULONG result = sendWide ? SendWide(sendWide, request->second, note)
                                      : SendAnsi(sendAnsi, request->second, note);
        // The user's cancel and a failed log-on are the user's own answers.
        if (result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT && result != MAPI_E_LOGIN_FAILURE)
            ReportMailFailure(mainWindow, SendFailed, result);
        FileCommandSystem.freeMailLibrary(mail);
    }
    catch (...)
    {
        // A thread of its own: nothing may escape it.
    }
    return 0;
}
