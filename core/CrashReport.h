// Crash reporting: the outermost handlers of the program's threads write one
// record to the Windows event log naming the place of the failure by a
// source-file number and a line, followed by the failure's text.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"

#include <exception>

// The event-log call behind ReportCrashToEventLog. Tests replace it with a
// recorder; the program always uses ReportEventW.
using ReportEventFunction = BOOL(WINAPI*)(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID user,
                                          WORD stringCount, DWORD dataSize, LPCWSTR* strings, LPVOID data);
extern ReportEventFunction ReportEventCall;

// Writes "Crash at <file number>-<line>." and, when there is a text,
// " Error message: <text>" as an error event under the source
// "Velmora Quillory". Does nothing when the source cannot be registered.
void ReportCrashToEventLog(const char* sourcePath, unsigned line, const MStringEx<wchar_t>& errorText);

// The number of the file named by the part of the path after its last
// separator, compared without regard to case; 0xFFFFFFFF when the table has
// no such name. The table is filled on first use.
unsigned long GetSourceFileId(const char* sourcePath);

// Adds an entry at the end of the table; a name already present throws
// DictionaryException 2 and leaves the table unchanged.
void RegisterSourceFileId(const Pair<MStringEx<char>, unsigned long>& entry);

// Adds the program's source files to the table.
void BuildSourceFileIdTable();

// The failure's own text for a crash record: the family, code and system
// error of a program failure, the text of a standard one; empty for an
// unknown kind.
MStringEx<wchar_t> DescribeException(std::exception_ptr failure);
// Writes a crash record with the failure's text; never throws.
void ReportWorkerCrash(const char* sourcePath, unsigned line, std::exception_ptr failure);

// The text of the language module's "program failed" message with the
// program's product name and version, shown when a failure ended the
// program's work.
MStringEx<wchar_t> CrashMessageText();

// The text of the language module's "background task failed" message with
// the program's product name and version.
MStringEx<wchar_t> WorkerCrashMessageText();
// Posts WorkerCrashMessageText to the controller's window as a message-box
// request (WM_MESSAGE_BOX_REQUEST, error icon), which the controller shows and
// frees. False when it could not be posted; never throws.
bool PostWorkerCrashMessage(HWND controller);

// Runs work at the edge of a raw callback of the system (a subclass or hook
// procedure, an enumeration callback, a COM method): no exception may cross
// into the system's code. A failure is recorded as a crash at the caller's
// file and line (filled in where the call stands) and fallback is returned.
template <class R, class F>
R NoThrow(R fallback, F&& work, const char* sourcePath = __builtin_FILE(), unsigned line = __builtin_LINE()) noexcept
{
    try
    {
        return work();
    }
    catch (...)
    {
        ReportWorkerCrash(sourcePath, line, std::current_exception());
        return fallback;
    }
}
