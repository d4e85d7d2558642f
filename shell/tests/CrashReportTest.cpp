#include "core/CrashReport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace
{
struct RecordedEvent
{
    WORD type;
    WORD category;
    DWORD eventId;
    PSID user;
    DWORD dataSize;
    std::vector<std::wstring> strings;
};

std::vector<RecordedEvent> Recorded;

BOOL WINAPI RecordEvent(HANDLE, WORD type, WORD category, DWORD eventId, PSID user, WORD stringCount, DWORD dataSize,
                        LPCWSTR* strings, LPVOID)
{
    RecordedEvent event{type, category, eventId, user, dataSize, {}};
    for (WORD i = 0; i < stringCount; ++i)
        event.strings.push_back(strings[i]);
    Recorded.push_back(event);
    return TRUE;
}

// Records the events instead of writing them; the source is still
// registered with the real event log.
class CrashReport : public testing::Test
{
protected:
    void SetUp() override
    {
        Recorded.clear();
        m_previous = ReportEventCall;
        ReportEventCall = &RecordEvent;
    }
    void TearDown() override { ReportEventCall = m_previous; }

    static std::wstring OnlyText()
    {
        EXPECT_EQ(Recorded.size(), 1u);
        if (Recorded.size() != 1 || Recorded[0].strings.size() != 1)
            return L"<no single string>";
        return Recorded[0].strings[0];
    }

private:
    ReportEventFunction m_previous = nullptr;
};

DWORD WINAPI LookUpTwoFiles(void*)
{
    return GetSourceFileId("x\\file 4") == 4 && GetSourceFileId("file 5") == 5;
}
}

// First in this file: the table is still empty, and every thread may be the
// one that fills it.
TEST_F(CrashReport, ConcurrentLookupsFillTheTableOnce)
{
    const int threads = 8;
    HANDLE handles[threads];
    for (HANDLE& handle : handles)
        handle = CreateThread(nullptr, 0, &LookUpTwoFiles, nullptr, 0, nullptr);
    WaitForMultipleObjects(threads, handles, TRUE, INFINITE);
    for (HANDLE handle : handles)
    {
        DWORD result = 0;
        GetExitCodeThread(handle, &result);
        EXPECT_EQ(result, 1u);
        CloseHandle(handle);
    }
}

TEST_F(CrashReport, WritesOneErrorEventWithTheCrashText)
{
    ReportCrashToEventLog("C:\\src\\shell\\file 3", 12, MStringEx<wchar_t>(L"Disk full"));
    EXPECT_EQ(OnlyText(), L"Crash at 3-12. Error message: Disk full");
    ASSERT_EQ(Recorded.size(), 1u);
    EXPECT_EQ(Recorded[0].type, EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(Recorded[0].category, 0);
    EXPECT_EQ(Recorded[0].eventId, 3u);
    EXPECT_EQ(Recorded[0].user, nullptr);
    EXPECT_EQ(Recorded[0].dataSize, 0u);
}

TEST_F(CrashReport, FileNumbersIgnoreCaseAndUnknownFilesGetAllOnes)
{
    ReportCrashToEventLog("D:\\build\\FILE 3", 7, MStringEx<wchar_t>());
    EXPECT_EQ(OnlyText(), L"Crash at 3-7.");

    Recorded.clear();
    ReportCrashToEventLog("C:\\src\\unknown.cpp", 590, MStringEx<wchar_t>());
    EXPECT_EQ(OnlyText(), L"Crash at 4294967295-590.");
}

TEST_F(CrashReport, SourceFileNumbers)
{
    struct Case
    {
        const char* path;
        unsigned long number;
    };
    const Case cases[] = {
        {"file 1", 1},                        // no separator: the whole path
        {"C:\\a\\b\\file 5", 5},
        {"/work/main/shell/File 2", 2},      // the compiler's forward slashes
        {"C:\\a\\file 2\\", 0xFFFFFFFF},     // nothing after the last separator
        {"C:\\a\\file 22", 0xFFFFFFFF},      // same start, other length
        {"", 0xFFFFFFFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetSourceFileId(c.path), c.number) << c.path;
}

TEST_F(CrashReport, RegisteredNamesMustBeNew)
{
    GetSourceFileId("file 1");  // the table is filled on first use
    EXPECT_EQ(GetSourceFileId("crash report test.cpp"), 0xFFFFFFFFul);
    RegisterSourceFileId(Pair<MStringEx<char>, unsigned long>("crash report test.cpp", 77));
    EXPECT_EQ(GetSourceFileId("C:\\tests\\Crash Report Test.cpp"), 77ul);

    try
    {
        RegisterSourceFileId(Pair<MStringEx<char>, unsigned long>("file 2", 99));
        ADD_FAILURE() << "a second file 2 was taken";
    }
    catch (const DictionaryException& e)
    {
        EXPECT_EQ(e.code, 2u);
    }
    EXPECT_EQ(GetSourceFileId("file 2"), 2ul);
}

TEST_F(CrashReport, NoThrowRecordsTheCallersFileAndLine)
{
    if (GetSourceFileId(__FILE__) == 0xFFFFFFFF)
        RegisterSourceFileId(Pair<MStringEx<char>, unsigned long>("CrashReportTest.cpp", 78));
    const unsigned line = __LINE__ + 1;
    const int result = NoThrow(5, []() -> int { throw std::runtime_error("callback failed"); });
    EXPECT_EQ(result, 5);
    EXPECT_EQ(OnlyText(), L"Crash at " + std::to_wstring(GetSourceFileId(__FILE__)) + L"-" + std::to_wstring(line) +
                              L". Error message: callback failed");
}

TEST(CrashReportEventLog, WritesToTheRealEventLog)
{
    // The default goes to the system's event log and must not fail or throw.
    EXPECT_NO_THROW(ReportCrashToEventLog(__FILE__, __LINE__, MStringEx<wchar_t>(L"test record")));
}
