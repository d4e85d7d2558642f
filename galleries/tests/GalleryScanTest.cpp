// The scan thread against real files: the records of both passes, the
// thumbnails of PNG, JPEG (turned by its EXIF orientation) and TIFF, the
// fall-back of a broken picture, the failure summaries and a cancelled scan.
#include "foundation/tests/HostileFiles.h"
#include "galleries/GalleryScan.h"
#include "galleries/MediaProbe.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "resources/languages/LanguageIds.h"
#include "core/ThreadCounter.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace
{
constexpr int FixtureTurnedJpeg = 911;

std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

// The dialog's side of the scan, recording what arrives.
struct Receiver
{
    std::map<std::wstring, int> quickKinds;
    std::map<std::wstring, std::unique_ptr<FileItemRecord>> records;
    std::vector<std::wstring> summaries;
    // Every record's path in the order of arrival (both passes).
    std::vector<std::wstring> order;
    size_t asked = 0;
    int passEnds = 0;
    bool ended = false;
    bool stillHeld = true;
    SIZE thumbnailCorner = {};
};

Receiver* g_receiver = nullptr;

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Receiver& r = *g_receiver;
    switch (message)
    {
    case WM_SCAN_QUICK_RECORDS:
    {
        auto& batch = *reinterpret_cast<ScanRecordBatch*>(lParam);
        for (size_t i = 0; i < batch.records.size(); ++i)
        {
            std::unique_ptr<FileItemRecord> record = std::move(batch.records[i]);
            r.quickKinds[Text(record->path)] = static_cast<int>(record->kind);
            r.order.push_back(Text(record->path));
            batch.answers[i] = NeedsSecondPass;
        }
        return 0;
    }
    case WM_SCAN_RECORDS:
    {
        for (auto& record : reinterpret_cast<ScanRecordQueue*>(lParam)->TakeAll())
        {
            const std::wstring path = Text(record->path);
            r.order.push_back(path);
            r.records[path] = std::move(record);
        }
        return 0;
    }
    case WM_SCAN_STILL_HELD:
    {
        auto& query = *reinterpret_cast<StillHeldQuery*>(lParam);
        r.asked += query.paths.size();
        query.held.assign(query.paths.size(), r.stillHeld);
        return 0;
    }
    case WM_SCAN_PASS_END:
        if (wParam == ScanEnded)
            r.ended = true;
        else
        {
            std::unique_ptr<MString> summary(reinterpret_cast<MString*>(lParam));
            r.summaries.push_back(summary ? Text(*summary) : L"");
            ++r.passEnds;
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

class GalleryScan : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (ThreadCounterHolder.IsEmpty())
            ThreadCounterHolder.Create();
        g_receiver = &m_receiver;
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &ReceiverProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"GalleryScanReceiver";
        RegisterClassW(&windowClass);
        m_window = CreateWindowW(L"GalleryScanReceiver", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        m_cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(m_window);
        CloseHandle(m_cancel);
        g_receiver = nullptr;
    }

    // Runs a scan of paths on its thread and serves its messages until it ends.
    void Scan(const std::vector<std::wstring>& paths, ScanMode mode = ScanMode::AddFiles)
    {
        auto job = std::make_unique<ScanJob>();
        job->dialog = m_window;
        job->gallery = MString(L"Test");
        for (const std::wstring& path : paths)
            job->paths.emplace_back(path.c_str());
        job->mode = mode;
        job->icons = {10, 11, 12};
        job->cancelEvent = m_cancel;
        job->records = &m_records;
        job->thumbnailSize = 48;
        job->runningScans = &m_running;
        job->artModule = GetModuleHandleW(nullptr);
        job->media = [] { return std::unique_ptr<MediaProbe>(); };
        InterlockedIncrement(&m_running);
        ASSERT_TRUE(StartScanThread(std::move(job)));
        UiTest::PumpUntil([&] { return m_receiver.ended; }, 60000);
        ASSERT_TRUE(m_receiver.ended);
        EXPECT_EQ(m_running, 0);
    }

    static std::wstring WriteFixture(const GalleryTest::TempTree& tree, const wchar_t* name)
    {
        HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(FixtureTurnedJpeg), MAKEINTRESOURCEW(10));
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
        return tree.File(name, std::string(bytes, SizeofResource(nullptr, found)));
    }

    LanguageModuleScope m_language{1033};
    GdiplusScope m_gdiplus;
    Receiver m_receiver;
    HWND m_window = nullptr;
    HANDLE m_cancel = nullptr;
    ScanRecordQueue m_records;
    volatile LONG m_running = 0;
};
}

TEST_F(GalleryScan, RecordsOfPicturesDocumentsAndFailures)
{
    GalleryTest::TempTree tree;
    const std::wstring png = tree.At(L"wide.png"), tiff = tree.At(L"tall.tif"), small = tree.At(L"small.png"),
                       square = tree.At(L"square.png");
    ASSERT_TRUE(GalleryTest::WritePicture(png, 64, 32));
    ASSERT_TRUE(GalleryTest::WritePicture(tiff, 30, 60, L"image/tiff"));
    ASSERT_TRUE(GalleryTest::WritePicture(small, 23, 100));
    ASSERT_TRUE(GalleryTest::WritePicture(square, 24, 24));
    const std::wstring jpeg = WriteFixture(tree, L"camera.jpg");
    const std::wstring broken = tree.File(L"broken.png", "not a picture at all");
    const std::wstring page = tree.File(L"PAGE.HTM", "<html></html>");
    const std::wstring bare = tree.File(L"README", "text without an extension");
    const std::wstring folder = tree.Folder(L"inner");
    const std::wstring missing = tree.At(L"gone.png");

    Scan({png, jpeg, tiff, small, square, broken, page, bare, folder, missing});

    EXPECT_EQ(m_receiver.passEnds, 2);
    EXPECT_EQ(m_receiver.quickKinds[folder], static_cast<int>(FileItemRecord::Folder));
    EXPECT_EQ(m_receiver.quickKinds.count(missing), 0u); // a first-pass failure of an addition is not sent
    const MString picture(ResId(IDS_KIND_PICTURE)), ok(ResId(IDS_STATUS_OK));
    for (const std::wstring& path : {png, jpeg, tiff, square})
    {
        ASSERT_EQ(m_receiver.records.count(path), 1u) << path;
        const FileItemRecord& record = *m_receiver.records[path];
        EXPECT_EQ(Text(record.contentKind), Text(picture)) << path;
        EXPECT_EQ(Text(record.status), Text(ok)) << path;
        EXPECT_NE(record.thumbnail, nullptr) << path;
        BITMAP bitmap = {};
        GetObjectW(record.thumbnail, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, 48) << path;
        EXPECT_EQ(bitmap.bmHeight, 48) << path;
    }
    // The camera picture is 48 x 32 as stored and 32 x 48 as it is to be seen.
    EXPECT_EQ(m_receiver.records[jpeg]->width, 32u);
    EXPECT_EQ(m_receiver.records[jpeg]->height, 48u);
    EXPECT_EQ(m_receiver.records[png]->width, 64u);
    EXPECT_EQ(m_receiver.records[png]->size, static_cast<unsigned __int64>(GetFileSize(
        CreateFileW(png.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr), nullptr)));

    EXPECT_EQ(Text(m_receiver.records[small]->status), Text(MString(ResId(IDS_SCAN_TOO_SMALL))));
    EXPECT_EQ(m_receiver.records[small]->icon, 12u);
    // A broken picture and a file of no known kind get the failure icon.
    EXPECT_EQ(Text(m_receiver.records[broken]->status), Text(MString(ResId(IDS_SCAN_UNSUPPORTED))));
    EXPECT_EQ(m_receiver.records[broken]->icon, 12u);
    EXPECT_EQ(m_receiver.records[broken]->thumbnail, nullptr);
    EXPECT_EQ(Text(m_receiver.records[bare]->status), Text(MString(ResId(IDS_SCAN_UNSUPPORTED))));
    EXPECT_EQ(Text(m_receiver.records[page]->contentKind), Text(MString(ResId(IDS_KIND_DOCUMENT))));
    EXPECT_NE(m_receiver.records[page]->thumbnail, nullptr);

    ASSERT_EQ(m_receiver.summaries.size(), 2u);
    EXPECT_NE(m_receiver.summaries[0].find(missing), std::wstring::npos);
    // Second pass: the small, the broken and the bare file.
    EXPECT_EQ(m_receiver.summaries[1], Text(MString(sX::Format(), IDS_SCAN_SOME_FAILED, L"3")));
}

TEST_F(GalleryScan, LongFailureListsShowTenAndTheRest)
{
    GalleryTest::TempTree tree;
    for (int count : {15, 16})
    {
        m_receiver = Receiver();
        std::vector<std::wstring> paths;
        for (int i = 0; i < count; ++i)
            paths.push_back(tree.At(L"missing" + std::to_wstring(i) + L".png"));
        Scan(paths);
        ASSERT_EQ(m_receiver.summaries.size(), 2u);
        const std::wstring& summary = m_receiver.summaries[0];
        size_t lines = 0;
        for (const std::wstring& path : paths)
            lines += summary.find(path + L":") != std::wstring::npos ? 1 : 0;
        EXPECT_EQ(lines, count == 15 ? 15u : 10u) << count;
        const bool rest = summary.find(Text(MString(sX::Format(), IDS_SCAN_SUMMARY_OTHERS, L"6"))) != std::wstring::npos;
        EXPECT_EQ(rest, count == 16) << count;
    }
}

TEST_F(GalleryScan, CancelledScanSkipsEverythingAndStillEnds)
{
    GalleryTest::TempTree tree;
    const std::wstring png = tree.At(L"a.png");
    ASSERT_TRUE(GalleryTest::WritePicture(png, 40, 40));
    SetEvent(m_cancel);
    Scan({png, png});
    EXPECT_EQ(m_receiver.passEnds, 2);
    EXPECT_TRUE(m_receiver.quickKinds.empty());
    EXPECT_TRUE(m_receiver.records.empty());
}

TEST_F(GalleryScan, RescanSendsFirstPassFailuresAndAsksForEachPath)
{
    GalleryTest::TempTree tree;
    const std::wstring png = tree.At(L"a.png"), missing = tree.At(L"gone.png");
    ASSERT_TRUE(GalleryTest::WritePicture(png, 40, 40));
    m_receiver.stillHeld = false; // the dialog let go of every path
    Scan({png, missing}, ScanMode::Rescan);
    EXPECT_EQ(m_receiver.quickKinds.count(missing), 1u);
    EXPECT_EQ(m_receiver.asked, 2u);
    EXPECT_EQ(m_receiver.records.count(png), 0u);
    EXPECT_EQ(m_receiver.summaries[0], Text(MString(ResId(IDS_SCAN_ONE_FAILED))));
}

TEST_F(GalleryScan, RecordsOfManyFilesArriveInJobOrder)
{
    // More files than one batch of records holds.
    GalleryTest::TempTree tree;
    std::vector<std::wstring> paths;
    for (int i = 0; i < 70; ++i)
        paths.push_back(tree.File(L"note" + std::to_wstring(i) + L".txt", "text"));
    Scan(paths);
    std::vector<std::wstring> expected = paths;
    expected.insert(expected.end(), paths.begin(), paths.end());
    EXPECT_EQ(m_receiver.order, expected);
    EXPECT_EQ(m_receiver.summaries, std::vector<std::wstring>(2));
}

TEST_F(GalleryScan, HostileFilesFailWithoutBeingDecodedOrReadWhole)
{
    // A real PNG of 16384 x 16384 pixels (a gigabyte decoded, in 7 MB), just
    // past the bound, and a 5 GB file named .jpg, beside a good picture.
    GalleryTest::TempTree tree;
    const std::wstring bomb = tree.At(L"bomb.png"), huge = tree.At(L"huge.jpg"), good = tree.At(L"good.png");
    ASSERT_TRUE(HostileFiles::WriteBytes(bomb, HostileFiles::DecompressionBombPng(16384, 16384)));
    ASSERT_TRUE(HostileFiles::WriteHugeFile(huge, 5ull * 1024 * 1024 * 1024));
    ASSERT_TRUE(GalleryTest::WritePicture(good, 64, 32));
    const uint64_t peakBefore = HostileFiles::PeakMemoryBytes();

    Scan({bomb, huge, good});

    EXPECT_LT(HostileFiles::PeakMemoryBytes() - peakBefore, 256ull * 1024 * 1024);
    ASSERT_EQ(m_receiver.records.count(bomb), 1u);
    EXPECT_EQ(Text(m_receiver.records[bomb]->status), Text(MString(ResId(IDS_SCAN_NO_THUMBNAIL))));
    EXPECT_EQ(m_receiver.records[bomb]->thumbnail, nullptr);
    ASSERT_EQ(m_receiver.records.count(huge), 1u);
    // It begins like a JPEG: a picture too long to read, which the media
    // player is not asked about either.
    EXPECT_EQ(Text(m_receiver.records[huge]->status), Text(MString(ResId(IDS_SCAN_NO_THUMBNAIL))));
    ASSERT_EQ(m_receiver.records.count(good), 1u);
    EXPECT_EQ(Text(m_receiver.records[good]->contentKind), Text(MString(ResId(IDS_KIND_PICTURE))));
}
