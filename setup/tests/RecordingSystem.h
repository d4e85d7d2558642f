// A SetupSystem that records what the setup program asks for and answers
// from a script, so that no MsiExec.exe, elevation or viewer start happens.
#pragma once

#include "setup/SetupSystem.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct RecordedRun
{
    std::wstring verb;
    std::wstring file;
    std::wstring parameters;
};

struct RecordedMessage
{
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

class RecordingSystem : public SetupSystem
{
public:
    // Answers of RunAndWait in order; a run beyond the script succeeds.
    std::deque<RunResult> runResults;
    // Answers of ShowMessage in order; beyond the script IDOK.
    std::deque<int> messageAnswers;
    // Called on every Sleep with the number of sleeps so far.
    std::function<void(unsigned)> onSleep;
    MString installedPackage;
    bool openDocumentWorks = false;
    UINT driveType = DRIVE_FIXED;

    std::vector<RecordedRun> runs;
    std::vector<std::pair<std::wstring, std::wstring>> starts;
    std::vector<RecordedMessage> messages;
    std::vector<std::wstring> opened;
    std::vector<DWORD> sleeps;

    RunResult RunAndWait(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters) override
    {
        runs.push_back({verb ? verb : L"(none)", file, parameters});
        if (runResults.empty())
            return RunResult{true, 0, 0};
        const RunResult result = runResults.front();
        runResults.pop_front();
        return result;
    }
    bool StartProgram(const wchar_t* application, const wchar_t* commandLine) override
    {
        starts.emplace_back(application, commandLine);
        return true;
    }
    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override
    {
        messages.push_back({owner, text, caption, type});
        if (messageAnswers.empty())
            return IDOK;
        const int answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    bool OpenDocument(const wchar_t* path) override
    {
        opened.emplace_back(path);
        return openDocumentWorks;
    }
    UINT DriveType(const wchar_t*) override { return driveType; }
    void Sleep(DWORD milliseconds) override
    {
        sleeps.push_back(milliseconds);
        if (onSleep)
            onSleep(static_cast<unsigned>(sleeps.size()));
    }
    MString FindInstalledPackage(const wchar_t*) override { return installedPackage; }
};

inline RunResult Exited(DWORD code)
{
    return RunResult{true, 0, code};
}
inline RunResult NotStarted(DWORD error)
{
    return RunResult{false, error, 0};
}

// Runs MsiExec.exe for real and records the messages only.
class RealInstallerSystem : public RecordingSystem
{
public:
    RunResult RunAndWait(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters) override
    {
        runs.push_back({verb ? verb : L"(none)", file, parameters});
        return RealSetupSystem().RunAndWait(verb, file, parameters);
    }
    MString FindInstalledPackage(const wchar_t* productCode) override
    {
        return RealSetupSystem().FindInstalledPackage(productCode);
    }
};

// The Windows path of a file of the build (Wine maps / to Z:).
inline MString WindowsPath(const wchar_t* unixPath)
{
    MString path(sX::Format(), L"Z:%s", unixPath);
    path.Replace(MString(L"/"), MString(L"\\"), true);
    return path;
}
