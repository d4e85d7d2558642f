// CWindowBase: the commands on the file of the slide that was on screen when
// the tray menu opened (or a hot key was pressed): the target test, the
// Recycle Bin, secure deletion, shell verbs, the open-with dialog and the
// rotation of a picture. Their workers are in shell/FileCommands.cpp.
#include "shell/WindowBase.h"

#include "shell/FileCommands.h"

#include "foundation/Containers.h"
#include "foundation/StringVariants.h"
#include "foundation/SystemUtilities.h"
#include "galleries/LocalGalleryStore.h"
#include "core/ThreadCounter.h"

#include <shlwapi.h>

#include <functional>
#include <memory>
#include <vector>

namespace
{
constexpr DWORD FilePictureKind = 0x80000001u;

// Same length and equal without regard to case.
bool SameText(const MString& a, const MString& b)
{
    return a.GetLength() == b.GetLength() && a.EqualsNoCase(b);
}
}

// ---- Notices --------------------------------------------------------------

void CWindowBase::PostNotice(UINT titleId, UINT textId) const
{
    PostToMainWindow(WM_NOTICE, titleId, textId);
}

void CWindowBase::PostNoticeTexts(const MString& title, const MString& text) const
{
    PostNoticeRecord(m_mainWindow, std::make_unique<Pair<MString, MString>>(title, text));
}

void CWindowBase::CloseViewersUnderSlideLock() const
{
    // The main window never waits for the slide lock, so it answers while
    // this thread holds it.
    SendToMainWindow(WM_CLOSE_VIEWER, 0, 0);
}

// ---- The target test ------------------------------------------------------

void CWindowBase::RunOnCurrentSlide(WORD id, bool online)
{
    if (!IsMainWindowRegistered())
        return;
    CommandSlideLock slide(m_shared->slideLock, m_commandHoldsSlide);
    if (IsCommandTargetCurrent(slide.IsHeld(), online))
        RunTargetTested(id);
}

bool CWindowBase::IsCommandTargetCurrent(bool slideLockHeld, bool online)
{
    if (!m_mainWindow || !::IsWindowVisible(m_mainWindow))
        return false;
    const MainWindowSnapshot& state = m_shared->mainWindowSnapshot;
    if (!slideLockHeld || state.crossFading)
    {
        PostNotice(IDS_NOTICE_FADE_TITLE, IDS_NOTICE_FADE_RUNNING);
        return false;
    }
    // The caller holds the slide lock: the shown slide cannot change now.
    const bool sameFile = !m_commandTarget.File().IsEmpty() && SameText(m_commandTarget.File(), state.shown.path);
    bool current;
    if (online)
        current = sameFile || (!m_commandTarget.Link().IsEmpty() && SameText(m_commandTarget.Link(), state.shown.link));
    else
        current = sameFile && SameText(m_commandTarget.Identity(), state.shown.identity);
    if (!current)
        // The main window has no preloaded text for this one: it goes as texts.
        PostNoticeTexts(MString(ResId(IDS_NOTICE_FADE_TITLE)), MString(ResId(IDS_NOTICE_SLIDE_REPLACED)));
    return current;
}

// ---- Deleting -------------------------------------------------------------

void CWindowBase::ActOnLockedTarget(const std::function<void(const MString& path)>& act)
{
    if (!IsMainWindowRegistered())
        return;
    CommandSlideLock slide(m_shared->slideLock, m_commandHoldsSlide);
    if (IsCommandTargetCurrent(slide.IsHeld(), false))
        act(m_shared->mainWindowSnapshot.shown.path);
}

void CWindowBase::RemoveDeletedFile(const MString& path) const
{
    RemoveFileFromLocalGallery(ReadSelectedLocalGallery(), path);
    PostToMainWindow(WM_GALLERY_CHANGED, 0, 0);
}

void CWindowBase::RecycleCurrentFile()
{
    ActOnLockedTarget([this](const MString& path) {
        CloseViewersUnderSlideLock();
        MStringEx2Z<wchar_t> source(path);
        SHFILEOPSTRUCTW operation = {};
        operation.wFunc = FO_DELETE;
        operation.pFrom = source.GetText();
        operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI |
                           FOF_WANTNUKEWARNING;
        if (ShellFileOperation(operation))
            RemoveDeletedFile(path);
        else
            PostNotice(IDS_NOTICE_GALLERY_TITLE, IDS_NOTICE_469);
    });
}

void CWindowBase::WipeCurrentFile()
{
    ActOnLockedTarget([this](const MString& path) {
        CloseViewersUnderSlideLock();
        switch (RunWorkerAndWait(FileWorkers.secureDelete, std::make_shared<MString>(path)))
        {
        case WorkerStillRunning:
            break; // the program is ending
        case SecureDeleteDone:
            RemoveDeletedFile(path);
            break;
        case SecureDeleteWriteFailed:
            PostNotice(IDS_NOTICE_GALLERY_TITLE, IDS_NOTICE_471);
            break;
        case SecureDeleteNameKept:
            PostNotice(IDS_NOTICE_GALLERY_TITLE, IDS_NOTICE_472);
            break;
        default:
            PostNotice(IDS_NOTICE_GALLERY_TITLE, IDS_NOTICE_470);
            break;
        }
    });
}

// ---- Handing the file to other programs -----------------------------------

void CWindowBase::ShellVerb(ShellVerbCode verb)
{
    const wchar_t* name = ShellVerbName(verb);
    const MString& path = m_commandTarget.File();
    if (verb == ShellVerbCode::Edit || verb == ShellVerbCode::Print)
    {
        const DWORD attributes = GetFileAttributesW(path.GetText());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return;
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | SEE_MASK_UNICODE;
    info.lpVerb = name;
    info.lpFile = path.GetText();
    info.nShow = SW_SHOWNORMAL;
    if (!FileCommandSystem.shellExecute(&info))
    {
        const DWORD error = GetLastError();
        PostNoticeTexts(MString(ResId(IDS_FILE_COMMAND_FAILED)),
                        MString(sX::Format(), IDS_SHELL_VERB_FAILED, name, path.GetText(),
                                FormatSystemError(error).GetText()));
    }
}

void CWindowBase::OpenWith()
{
    ActOnLockedTarget([this](const MString& path) {
        // OAIF_ALLOW_REGISTRATION | OAIF_REGISTER_EXT | OAIF_EXEC; the dialog
        // is modal and the slide stays locked while it is open.
        const OpenWithRequest request{path.GetText(), nullptr, 0x7};
        const HRESULT result = FileCommandSystem.openWithDialog(GetDesktopWindow(), &request);
        if (result != S_OK && result != S_FALSE && result != HRESULT_FROM_WIN32(ERROR_CANCELLED))
            PostNoticeTexts(MString(ResId(IDS_FILE_COMMAND_FAILED)), MString(ResId(IDS_OPEN_WITH_FAILED)));
    });
}

// ---- Rotation -------------------------------------------------------------

void CWindowBase::RunFileWorker(int rotation)
{
    const DWORD kind = static_cast<DWORD>(m_commandTarget.Kind());
    ActOnLockedTarget([this, kind, rotation](const MString& path) {
        if (kind != FilePictureKind)
        {
            PostNotice(IDS_NOTICE_FADE_TITLE, IDS_NOTICE_442);
            return;
        }
        auto request = std::make_shared<RotateImageRequest>();
        request->path = path;
        request->rotateFlip = static_cast<UINT>(rotation);
        switch (RunWorkerAndWait(FileWorkers.rotateImage, request))
        {
        case WorkerStillRunning:
            break; // the program is ending
        case RotateImageReadOnly:
            PostNotice(IDS_NOTICE_TITLE_377, IDS_NOTICE_378);
            break;
        case RotateImageFailed:
            PostNotice(IDS_NOTICE_TITLE_377, IDS_NOTICE_379);
            break;
        default:
            // The viewers close and the main window shows the file anew.
            PostToMainWindow(WM_CLOSE_VIEWER, 0, 0);
            PostToMainWindow(WM_SHOW_SLIDE_FILE_AGAIN, 0, 0);
            break;
        }
    });
}
