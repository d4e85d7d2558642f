#include "core/CrashReport.h"

#include "foundation/Error.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "core/PrivateMessages.h"

#include <memory>

ReportEventFunction ReportEventCall = &ReportEventW;

namespace
{
using SourceFileTable = Dictionary<MStringEx<char>, unsigned long>;

// Several threads may report at once: every use of the table, its filling
// included, happens under this lock.
SRWLOCK TableLock = SRWLOCK_INIT;

class TableGuard
{
public:
    TableGuard() { AcquireSRWLockExclusive(&TableLock); }
    TableGuard(const TableGuard&) = delete;
    TableGuard& operator=(const TableGuard&) = delete;
    ~TableGuard() { ReleaseSRWLockExclusive(&TableLock); }
};

SourceFileTable& Table()
{
    static SourceFileTable table;
    return table;
}

// Callers hold the lock.
void AddEntry(const char* name, unsigned long number)
{
    Pair<MStringEx<char>, unsigned long>* entry = new Pair<MStringEx<char>, unsigned long>(name, number);
    try
    {
        Table().Add(entry);
    }
    catch (...)
    {
        delete entry;
        throw;
    }
}

void AddProgramFiles()
{
    AddEntry("file 1", 1);
    AddEntry("file 2", 2);
    AddEntry("file 3", 3);
    AddEntry("file 4", 4);
    AddEntry("file 5", 5);
}
}

void BuildSourceFileIdTable()
{
    TableGuard guard;
    AddProgramFiles();
}

void RegisterSourceFileId(const Pair<MStringEx<char>, unsigned long>& entry)
{
    TableGuard guard;
    AddEntry(entry.first.GetText(), entry.second);
}

unsigned long GetSourceFileId(const char* sourcePath)
{
    TableGuard guard;
    SourceFileTable& table = Table();
    if (table.GetCount() == 0)
        AddProgramFiles();

    // Compilers write the path of the source file with either separator.
    const char* name = sourcePath ? sourcePath : "";
    for (const char* c = name; *c; ++c)
        if (*c == '\\' || *c == '/')
            name = c + 1;
    for (unsigned __int64 i = 0; i < table.GetCount(); ++i)
    {
        const Pair<MStringEx<char>, unsigned long>& entry = *table.GetAt(i);
        if (_stricmp(entry.first.GetText(), name) == 0)
            return entry.second;
    }
    return 0xFFFFFFFF;
}

void ReportCrashToEventLog(const char* sourcePath, unsigned line, const MStringEx<wchar_t>& errorText)
{
    const MStringEx<wchar_t> sourceName(sX::Format(), L"%s %s", MakerWord, ProductName);
    HANDLE eventLog = RegisterEventSourceW(nullptr, sourceName.GetText());
    if (!eventLog)
        return;
    try
    {
        MStringEx<wchar_t> text(sX::Format(), L"Crash at %u-%u.", static_cast<unsigned>(GetSourceFileId(sourcePath)),
                                line);
        if (errorText.GetCount() > 1)
            text = text + L" Error message: " + errorText;
        const wchar_t* strings[] = {text.GetText()};
        ReportEventCall(eventLog, EVENTLOG_ERROR_TYPE, 0, 3, nullptr, 1, 0, strings, nullptr);
    }
    catch (...)
    {
        DeregisterEventSource(eventLog);
        throw;
    }
    DeregisterEventSource(eventLog);
}

MStringEx<wchar_t> DescribeException(std::exception_ptr failure)
{
    try
    {
        if (failure)
            std::rethrow_exception(failure);
    }
    catch (const QuilloryError& e)
    {
        return MStringEx<wchar_t>(sX::Format(), L"%S error %u (system error %lu).", e.what(), e.Code(),
                                  e.SystemError());
    }
    catch (const std::exception& e)
    {
        return MStringEx<wchar_t>(sX::Format(), L"%S", e.what());
    }
    catch (...)
    {
    }
    return MStringEx<wchar_t>();
}

void ReportWorkerCrash(const char* sourcePath, unsigned line, std::exception_ptr failure)
{
    try
    {
        ReportCrashToEventLog(sourcePath, line, DescribeException(failure));
    }
    catch (...)
    {
    }
}

namespace
{
// The message with the program's "ProductName" and "ProductVersion" values;
// fallback when the module or the version block cannot give it.
MStringEx<wchar_t> ProductMessage(unsigned stringId, const wchar_t* fallback)
{
    try
    {
        const MStringEx<wchar_t> name(L"ProductName", static_cast<HMODULE>(nullptr));
        const MStringEx<wchar_t> version(L"ProductVersion", static_cast<HMODULE>(nullptr));
        return MStringEx<wchar_t>(sX::Format(), stringId, name.GetText(), version.GetText());
    }
    catch (...)
    {
        return MStringEx<wchar_t>(fallback);
    }
}
} // namespace

MStringEx<wchar_t> CrashMessageText()
{
    return ProductMessage(IDS_PROGRAM_FAILED, L"Quillory ran into an unexpected problem and has to close.");
}

MStringEx<wchar_t> WorkerCrashMessageText()
{
    return ProductMessage(IDS_WORKER_FAILED, L"A background task of Quillory ran into an unexpected problem.");
}

bool PostWorkerCrashMessage(HWND controller)
{
    // A null window is refused: it would post to this thread's own queue,
    // which nobody reads.
    try
    {
        return PostMessageBoxRequest(controller, std::make_unique<MString>(WorkerCrashMessageText()), MB_ICONERROR);
    }
    catch (...)
    {
        return false;
    }
}
