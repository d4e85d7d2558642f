#include "core/CommandLine.h"

#include <cwchar>
#include <cwctype>
#include <vector>

namespace
{
bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix)
{
    const size_t length = std::wcslen(prefix);
    return text && std::wcslen(text) >= length &&
           CompareStringOrdinal(text, static_cast<int>(length), prefix, static_cast<int>(length), TRUE) ==
               CSTR_EQUAL;
}

// The pieces between the separators, compared without regard to case; empty
// pieces are left out.
std::vector<MString> SplitNoCase(const wchar_t* text, const wchar_t* separator)
{
    std::vector<MString> pieces;
    const size_t separatorLength = std::wcslen(separator);
    const wchar_t* start = text;
    const wchar_t* at = text;
    auto take = [&](const wchar_t* end) {
        if (end > start)
        {
            MString piece{ElementCount(static_cast<unsigned __int64>(end - start))};
            std::wmemcpy(piece.GetData(), start, static_cast<size_t>(end - start));
            pieces.push_back(piece);
        }
    };
    while (*at)
    {
        if (StartsWithNoCase(at, separator))
        {
            take(at);
            at += separatorLength;
            start = at;
        }
        else
            ++at;
    }
    take(at);
    return pieces;
}

bool IsSetupFileName(const wchar_t* name)
{
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.Setup.exe"
    static const wchar_t pattern[] = L"{########-####-####-####-############}";
    const size_t guidLength = sizeof(pattern) / sizeof(wchar_t) - 1;
    if (std::wcslen(name) != guidLength + 10 || _wcsicmp(name + guidLength, L".Setup.exe") != 0)
        return false;
    for (size_t i = 0; i < guidLength; ++i)
    {
        if (pattern[i] == L'#' ? !std::iswxdigit(name[i]) : name[i] != pattern[i])
            return false;
    }
    return true;
}

// A file whose process has just ended can stay locked a little longer (the
// system still tears down its image, a scanner may hold it open): the
// deletion is tried again for a while before it is given up.
const DWORD UnlockWaitLimit = 10000;
const DWORD UnlockRetryPause = 50;

bool DeleteOnceUnlocked(const wchar_t* path, DWORD unlockWait)
{
    const ULONGLONG deadline = GetTickCount64() + unlockWait;
    for (;;)
    {
        if (DeleteFileW(path))
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || GetTickCount64() >= deadline)
            return false;
        Sleep(UnlockRetryPause);
    }
}

MString FullPath(const wchar_t* path)
{
    const DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (needed == 0)
        return MString();
    MString full{ElementCount(needed)};
    if (GetFullPathNameW(path, needed, full.GetData(), nullptr) == 0)
        return MString();
    return MString(full.GetText());
}
}

bool IsRegistrationSwitch(const wchar_t* argument)
{
    return StartsWithNoCase(argument, L"/RegServer") || StartsWithNoCase(argument, L"/UnregServer") ||
           StartsWithNoCase(argument, L"-Embedding");
}

bool ParseCleanSetupCommandLine(const wchar_t* commandLine, CleanSetupRequest& request)
{
    if (!commandLine)
        return false;
    const wchar_t* begin = commandLine;
    const wchar_t* end = commandLine + std::wcslen(commandLine);
    while (begin < end && *begin == L'"')
        ++begin;
    while (end > begin && end[-1] == L'"')
        --end;
    MString text{ElementCount(static_cast<unsigned __int64>(end - begin))};
    std::wmemcpy(text.GetData(), begin, static_cast<size_t>(end - begin));

    if (!StartsWithNoCase(text.GetText(), L"/clean_setup_file***"))
        return false;
    const std::vector<MString> pieces = SplitNoCase(text.GetText(), L"***");
    if (pieces.size() != 3)
        return false;
    MString id(pieces[2]);
    unsigned __int64 processId = 0;
    if (!id.ToUInt64(processId) || processId > MAXDWORD)
        return false;
    request.setupFile = pieces[1];
    request.processId = static_cast<DWORD>(processId);
    return true;
}

bool IsSetupFileOf(const wchar_t* folder, const wchar_t* path)
{
    const MString full = FullPath(path);
    const wchar_t* name = std::wcsrchr(full.GetText(), L'\\');
    if (!name || !IsSetupFileName(name + 1))
        return false;
    const size_t folderLength = static_cast<size_t>(name - full.GetText());
    MString fileFolder{ElementCount(folderLength)};
    std::wmemcpy(fileFolder.GetData(), full.GetText(), folderLength);
    MString ownFolder = FullPath(folder);
    while (ownFolder.GetLength() > 0 && ownFolder[ownFolder.GetLength() - 1] == L'\\')
    {
        ownFolder[ownFolder.GetLength() - 1] = 0;
        ownFolder = MString(ownFolder.GetText());
    }
    return !ownFolder.IsEmpty() && CompareStringOrdinal(fileFolder.GetText(), -1, ownFolder.GetText(), -1, TRUE) ==
                                       CSTR_EQUAL;
}

bool CleanUpAfterUpgrade(const wchar_t* commandLine, const wchar_t* programFolder, DWORD waitLimit)
{
    CleanSetupRequest request;
    if (!ParseCleanSetupCommandLine(commandLine, request))
        return false;
    // Waiting on the handle instead of polling the exit code: a process whose
    // exit code happens to be 259 (STILL_ACTIVE) cannot hold the start-up for
    // ever, and a setup that hangs holds it no longer than the limit. A setup
    // that cannot be opened is taken as ended.
    bool setupEnded = true;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, request.processId);
    if (process)
    {
        setupEnded = WaitForSingleObject(process, waitLimit) == WAIT_OBJECT_0;
        CloseHandle(process);
    }
    // The command line comes from outside: only the setup program's own file
    // is deleted, never another path it might name.
    if (!IsSetupFileOf(programFolder, request.setupFile.GetText()))
        return false;
    // A setup still running keeps its file locked: one try is enough then.
    return DeleteOnceUnlocked(request.setupFile.GetText(), setupEnded ? UnlockWaitLimit : 0);
}

MString ProgramFolder()
{
    MemoryPH<wchar_t> path(40000);
    const DWORD length = GetModuleFileNameW(nullptr, path.GetData(), 40000);
    if (length == 0 || length >= 40000)
        return MString();
    path[length] = 0;
    wchar_t* slash = std::wcsrchr(path.GetData(), L'\\');
    if (slash)
        *slash = 0;
    return MString(path.GetData());
}
