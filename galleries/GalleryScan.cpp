#include "galleries/GalleryScan.h"

#include "foundation/ComApartment.h"
#include "foundation/FolderPath.h"
#include "foundation/PictureBounds.h"
#include "foundation/ShellHelpers.h"
#include "foundation/SystemUtilities.h"
#include "foundation/StringResources.h"
#include "galleries/ExifOrientation.h"
#include "galleries/FileTypes.h"
#include "galleries/GalleryEntryCheck.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/MediaProbe.h"
#include "galleries/Thumbnail.h"
#include "resources/languages/LanguageIds.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/Language.h"
#include "core/ThreadCounter.h"

#include <objbase.h>
#include <shellapi.h>

#include <map>
#include <set>

namespace
{
// More failures than this are listed as the first ListedFailures lines and
// one line with the number of the others.
constexpr size_t MostFailuresListed = 15;
constexpr size_t ListedFailures = 10;
// A batch of records goes out when it holds this many, or when its first
// record has waited this long (so that a slow scan still shows its progress).
constexpr size_t BatchRecords = 64;
constexpr ULONGLONG BatchWaitMs = 100;
// How long the scan goes on without looking at the cancel event.
constexpr ULONGLONG CancelPollMs = 20;
// How many paths of the second pass one still-held question covers.
constexpr size_t StillHeldChunk = 64;

MString Text(UINT id) { return MString(ResId(id)); }

MString CountText(size_t count) { return MString(true, static_cast<unsigned __int64>(count)); }

class Scan
{
public:
    explicit Scan(ScanJob& job) : m_job(job) {}

    void Run()
    {
        if (m_job.paths.empty() && m_job.mode == ScanMode::AddFiles)
            LoadLocalGalleryFiles(m_job.gallery, m_job.paths);
        m_protected = ProtectedFolderList();
        m_showHidden = ExplorerShowsHiddenFiles();
        m_webExtensions = ExtensionsOfPattern(WebDocumentPattern);
        m_textExtensions = ExtensionsOfPattern(TextDocumentPattern);
        m_media = m_job.media ? m_job.media() : NewWindowsMediaPlayerProbe();
        for (int pass = 0; pass < 2; ++pass)
        {
            const bool first = pass == 0;
            for (size_t index = 0; index < m_job.paths.size(); ++index)
            {
                if (IsCancelled(index == 0))
                    break;
                if (first || (WantsSecondPass(index) && IsStillHeld(index)))
                    ScanPath(first, index);
            }
            if (first)
                SendQuickRecords();
            else
                HandOverRecords();
            PostScanPassEnd(m_job.dialog, first, std::make_unique<MString>(Summary(first)));
        }
    }

private:
    // Whether the dialog has set the cancel event. Each look at it is a trip
    // to the server under Wine, as dear as the work on a small picture: it is
    // looked at when a pass starts and then at most once per CancelPollMs.
    bool IsCancelled(bool passStart)
    {
        const ULONGLONG now = GetTickCount64();
        if (!passStart && now - m_cancelChecked < CancelPollMs)
            return false;
        m_cancelChecked = now;
        return WaitForSingleObject(m_job.cancelEvent, 0) == WAIT_OBJECT_0;
    }

    // In an addition a path that failed in the first pass is done; in either
    // mode so is one that the dialog's answer lets go.
    bool WantsSecondPass(size_t index) const
    {
        if (m_job.mode == ScanMode::AddFiles && m_firstFailures.count(index))
            return false;
        const auto answer = m_answers.find(index);
        return answer == m_answers.end() || !(answer->second & SkipSecondPass);
    }

    // Whether the dialog still holds the path; asked for the next chunk of
    // paths of the pass at once.
    bool IsStillHeld(size_t index)
    {
        if (index >= m_heldUntil)
        {
            StillHeldQuery query;
            std::vector<size_t> asked;
            for (size_t next = index; next < m_job.paths.size() && asked.size() < StillHeldChunk; ++next)
                if (WantsSecondPass(next))
                {
                    asked.push_back(next);
                    query.paths.push_back(&m_job.paths[next]);
                }
            query.held.assign(asked.size(), false);
            SendMessageW(m_job.dialog, WM_SCAN_STILL_HELD, 0, reinterpret_cast<LPARAM>(&query));
            m_held.clear();
            for (size_t i = 0; i < asked.size(); ++i)
                if (i < query.held.size() && query.held[i])
                    m_held.insert(asked[i]);
            m_heldUntil = asked.empty() ? index + 1 : asked.back() + 1;
        }
        return m_held.count(index) != 0;
    }

    void ScanPath(bool first, size_t index)
    {
        const MString& path = m_job.paths[index];
        auto record = std::make_unique<FileItemRecord>();
        record->path = path;
        record->icon = m_job.icons.file;

        // One look at the file gives its attributes and its size.
        WIN32_FILE_ATTRIBUTE_DATA facts = {};
        if (!GetFileAttributesExW(path.GetText(), GetFileExInfoStandard, &facts))
            return Fail(first, index, IDS_SCAN_NOT_FOUND, FileItemRecord::Unusable, IDS_STATUS_MISSING, std::move(record));
        const DWORD attributes = facts.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_HIDDEN) && !m_showHidden)
            return Fail(first, index, IDS_SCAN_HIDDEN, FileItemRecord::Unusable, IDS_STATUS_HIDDEN, std::move(record));
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder)
        {
            if (const ProtectedFolder* refused = FindProtectedFolder(m_protected, path))
                return Fail(first, index, refused->messageId, FileItemRecord::Folder, IDS_STATUS_PROTECTED,
                            std::move(record));
        }
        else
            record->size = (static_cast<unsigned __int64>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
        // The type name depends on the name alone: the second pass takes the
        // first pass's answer instead of asking the shell again.
        const auto known = m_typeNames.find(index);
        if (known != m_typeNames.end())
            record->typeName = known->second;
        else
        {
            SHFILEINFOW info = {};
            if (!SHGetFileInfoW(path.GetText(), attributes, &info, sizeof(info),
                                SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
                return Fail(first, index, IDS_SCAN_NO_TYPE, folder ? FileItemRecord::Folder : FileItemRecord::File,
                            IDS_STATUS_NO_TYPE, std::move(record));
            record->typeName = MString(info.szTypeName);
            m_typeNames.emplace(index, record->typeName);
        }
        record->status = Text(IDS_STATUS_OK);

        if (first)
        {
            record->kind = folder ? FileItemRecord::Folder : FileItemRecord::File;
            if (folder)
            {
                record->size = ~0ull;
                record->icon = m_job.icons.folder;
            }
            return Queue(index, std::move(record));
        }
        if (!folder)
            Classify(index, std::move(record));
    }

    // The second pass of a file: picture, media, web or text document.
    void Classify(size_t index, std::unique_ptr<FileItemRecord> record)
    {
        PictureInMemory picture(record->path.GetText());
        if (picture.IsOversized() || (!picture.IsValid() && IsTooLongPicture(record->path)))
            return FailLate(index, IDS_SCAN_NO_THUMBNAIL, std::move(record));
        if (picture.IsValid())
        {
            Gdiplus::Image& image = picture.Image();
            if (image.GetWidth() < SmallestPictureSide || image.GetHeight() < SmallestPictureSide)
                return FailLate(index, IDS_SCAN_TOO_SMALL, std::move(record));
            ApplyExifOrientation(image, picture.Bytes().data(), picture.Bytes().size());
            record->thumbnail = MakeThumbnail(image, m_job.thumbnailSize);
            if (!record->thumbnail)
                return FailLate(index, IDS_SCAN_NO_THUMBNAIL, std::move(record));
            record->contentKind = Text(IDS_KIND_PICTURE);
            record->width = image.GetWidth();
            record->height = image.GetHeight();
            return Send(std::move(record));
        }
        MediaFacts facts;
        if (MediaDuration(record->path, facts))
        {
            record->contentKind = Text(IDS_KIND_MEDIA);
            record->duration = facts.duration;
            record->width = facts.width > 0 ? static_cast<UINT>(facts.width) : ~0u;
            record->height = facts.height > 0 ? static_cast<UINT>(facts.height) : ~0u;
            record->thumbnail = MakeResourceThumbnail(m_job.artModule, IDP_MEDIA_THUMBNAIL, m_job.thumbnailSize);
            return Send(std::move(record));
        }
        const bool web = HasExtensionOf(record->path, m_webExtensions);
        if (web || HasExtensionOf(record->path, m_textExtensions))
        {
            record->contentKind = Text(IDS_KIND_DOCUMENT);
            record->thumbnail =
                MakeResourceThumbnail(m_job.artModule, web ? IDP_WEB_CARD : IDP_TEXT_CARD, m_job.thumbnailSize);
            return Send(std::move(record));
        }
        FailLate(index, IDS_SCAN_UNSUPPORTED, std::move(record));
    }

    // A file too long to be read as a picture that begins like one: the
    // media player, which would decode it, is not asked about it.
    static bool IsTooLongPicture(const MString& path)
    {
        unsigned char start[64] = {};
        size_t read = 0;
        return !FileSizeAtMost(path.GetText(), MaxPictureFileBytes) &&
               ReadFileStart(path.GetText(), start, sizeof(start), read) && HasPictureSignature(start, read);
    }

    // Whether the file is media: the player opens it and gives it a
    // duration, which facts then holds with the picture size of a video.
    bool MediaDuration(const MString& path, MediaFacts& facts)
    {
        return m_media && m_media->Probe(path, facts) && facts.duration != 0.0;
    }

    // A record of the second pass: it joins the batch, which goes to the
    // dialog's queue when it is full or has waited long enough.
    void Send(std::unique_ptr<FileItemRecord> record)
    {
        if (m_records.empty())
            m_recordsStart = GetTickCount64();
        m_records.push_back(std::move(record));
        if (m_records.size() >= BatchRecords || GetTickCount64() - m_recordsStart >= BatchWaitMs)
            HandOverRecords();
    }

    void HandOverRecords()
    {
        if (!m_records.empty() && m_job.records->Add(m_records))
            PostMessageW(m_job.dialog, WM_SCAN_RECORDS, 0, reinterpret_cast<LPARAM>(m_job.records));
    }

    // Adds a quick record to the batch of the first pass, sending the batch
    // when it is full or has waited long enough.
    void Queue(size_t index, std::unique_ptr<FileItemRecord> record)
    {
        if (m_batch.records.empty())
            m_batchStart = GetTickCount64();
        m_batch.records.push_back(std::move(record));
        m_batchPaths.push_back(index);
        if (m_batch.records.size() >= BatchRecords || GetTickCount64() - m_batchStart >= BatchWaitMs)
            SendQuickRecords();
    }

    void SendQuickRecords()
    {
        if (m_batch.records.empty())
            return;
        m_batch.answers.assign(m_batch.records.size(), LRESULT{::NeedsSecondPass});
        SendMessageW(m_job.dialog, WM_SCAN_QUICK_RECORDS, 0, reinterpret_cast<LPARAM>(&m_batch));
        for (size_t i = 0; i < m_batchPaths.size() && i < m_batch.answers.size(); ++i)
            m_answers[m_batchPaths[i]] = m_batch.answers[i];
        m_batch = ScanRecordBatch();
        m_batchPaths.clear();
    }

    // A failure of the checks common to both passes.
    void Fail(bool first, size_t index, UINT message, UINT kind, UINT status, std::unique_ptr<FileItemRecord> record)
    {
        record->kind = kind;
        record->status = Text(status);
        record->icon = m_job.icons.failure;
        record->size = kind == FileItemRecord::File ? record->size : ~0ull;
        const MString text = Text(message);
        if (first)
        {
            m_firstFailures.emplace(index, text);
            if (m_job.mode == ScanMode::Rescan)
                Queue(index, std::move(record));
            return;
        }
        Send(std::move(record));
        if (!m_firstFailures.count(index))
            m_secondFailures.emplace(index, text);
    }

    // A failure met only in the second pass.
    void FailLate(size_t index, UINT message, std::unique_ptr<FileItemRecord> record)
    {
        record->status = Text(message);
        record->icon = m_job.icons.failure;
        if (record->thumbnail)
            DeleteObject(record->TakeThumbnail());
        Send(std::move(record));
        m_secondFailures.emplace(index, Text(message));
    }

    MString Summary(bool first) const
    {
        MString summary;
        if (first)
        {
            if (!m_firstFailures.empty())
            {
                if (m_job.mode == ScanMode::Rescan)
                    summary = CountSummary(m_firstFailures.size());
                else
                    summary = FailureList();
            }
            for (const auto& answer : m_answers)
                if (answer.second & NoteFolderMerge)
                {
                    summary += MString(L"\r\n\r\n") + Text(IDS_SCAN_FOLDERS_MERGED);
                    break;
                }
            return summary;
        }
        return m_secondFailures.empty() ? summary : CountSummary(m_secondFailures.size());
    }

    static MString CountSummary(size_t count)
    {
        return count == 1 ? Text(IDS_SCAN_ONE_FAILED)
                          : MString(sX::Format(), IDS_SCAN_SOME_FAILED, CountText(count).GetText());
    }

    MString FailureList() const
    {
        const size_t listed = m_firstFailures.size() > MostFailuresListed ? ListedFailures : m_firstFailures.size();
        MString lines;
        size_t n = 0;
        for (const auto& failure : m_firstFailures)
        {
            if (n == listed)
                break;
            if (n++)
                lines += MString(L"\r\n");
            lines += MString(sX::Format(), IDS_SCAN_SUMMARY_LINE, m_job.paths[failure.first].GetText(),
                             failure.second.GetText());
        }
        if (listed < m_firstFailures.size())
            lines += MString(L"\r\n") + MString(sX::Format(), IDS_SCAN_SUMMARY_OTHERS,
                                                CountText(m_firstFailures.size() - listed).GetText());
        return MString(sX::Format(), IDS_SCAN_SUMMARY_LIST, lines.GetText());
    }

    ScanJob& m_job;
    std::vector<ProtectedFolder> m_protected;
    bool m_showHidden = false;
    std::vector<MString> m_webExtensions, m_textExtensions;
    std::unique_ptr<MediaProbe> m_media;
    std::map<size_t, LRESULT> m_answers;
    std::map<size_t, MString> m_firstFailures, m_secondFailures;
    std::map<size_t, MString> m_typeNames;
    // The quick records not yet sent, with their paths' indices.
    ScanRecordBatch m_batch;
    std::vector<size_t> m_batchPaths;
    ULONGLONG m_batchStart = 0;
    ULONGLONG m_cancelChecked = 0;
    // The full records not yet handed over.
    std::vector<std::unique_ptr<FileItemRecord>> m_records;
    ULONGLONG m_recordsStart = 0;
    // The paths of the last still-held answer that the dialog holds, and the
    // first index that answer did not cover.
    std::set<size_t> m_held;
    size_t m_heldUntil = 0;
};

DWORD WINAPI ScanFilesThreadProc(void* parameter)
{
    RunScan(std::unique_ptr<ScanJob>(static_cast<ScanJob*>(parameter)));
    return 0;
}
}

void RunScan(std::unique_ptr<ScanJob> job)
{
    try
    {
        const ComApartment com;
        ApplyThreadLocale(UiLanguage);
        Scan(*job).Run();
    }
    catch (...)
    {
        // The scan ends; the dialog still learns that it has.
    }
    InterlockedDecrement(job->runningScans);
    PostMessageW(job->dialog, WM_SCAN_PASS_END, ScanEnded, 0);
}

bool StartScanThread(std::unique_ptr<ScanJob> job)
{
    // Counted in before it starts; without a counter (the program ending) or
    // a thread the scan ends here, and the dialog still learns that it has.
    if (StartCountedThread(&ScanFilesThreadProc, job.get()).IsValid())
    {
        // The thread owns the job.
        job.release();
        return true;
    }
    InterlockedDecrement(job->runningScans);
    PostMessageW(job->dialog, WM_SCAN_PASS_END, ScanEnded, 0);
    return false;
}

MString DurationText(double seconds)
{
    const unsigned __int64 total = seconds > 0 ? static_cast<unsigned __int64>(seconds) : 0;
    return MString(sX::Format(), L"%u:%.02u:%.02u", static_cast<unsigned>(total / 3600),
                   static_cast<unsigned>(total / 60 % 60), static_cast<unsigned>(total % 60));
}
