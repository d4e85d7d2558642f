#include "upgrade/CheckForNewReleaseDlg.h"

#include "foundation/DefaultBrowser.h"
#include "foundation/ShellHelpers.h"
#include "foundation/SystemUtilities.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/CommandLine.h"
#include "core/CrashReport.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/MessageBox.h"
#include "core/MessageWait.h"
#include "core/ThreadCounter.h"
#include "upgrade/AutomaticUpgrade.h"

#include <commctrl.h>
#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <memory>

namespace
{
constexpr int ProgressRange = 5000;
constexpr DWORD BytesUpdateInterval = 500;
constexpr int PackageNameLimit = 10000;
constexpr DWORD SaveDialogBuffer = 40000;
// How long the dialog waits for its worker to end, cancelled or reporting.
constexpr DWORD WorkerStopTimeout = 20000;
// The maker's site, used when a release names no page of its own.
const wchar_t MakerWebSite[] = L"https://www.velmora.example/quillory";

bool SaveDialogChoice(HWND owner, const MString& proposed, MString& chosen)
{
    std::vector<wchar_t> buffer(SaveDialogBuffer, 0);
    wcsncpy(buffer.data(), proposed.GetText(), SaveDialogBuffer - 1);
    const MString caption(ResId(IDS_PRODUCT_CAPTION));
    const MString title(sX::Format(), IDS_RELEASE_SAVE_TITLE, caption.GetText());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Microsoft Installer (*.msi)\0*.msi\0All Files\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = SaveDialogBuffer;
    dialog.lpstrTitle = title.GetText();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_DONTADDTORECENT;
    if (!GetSaveFileNameW(&dialog))
        return false;
    chosen = buffer.data();
    return true;
}

bool Exists(const MString& path)
{
    WIN32_FIND_DATAW data;
    HANDLE found = FindFirstFileW(path.GetText(), &data);
    if (found == INVALID_HANDLE_VALUE)
        return false;
    FindClose(found);
    return true;
}

// The Downloads folder, else Documents; backslashes trimmed at both ends.
MString PackageFolder()
{
    MString folder;
    PWSTR known = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, KF_FLAG_CREATE, nullptr, &known)) && known)
        folder = known;
    CoTaskMemFree(known);
    if (folder.IsEmpty())
    {
        wchar_t documents[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, documents)))
            folder = documents;
    }
    folder.Trim(L'\\');
    return folder;
}

HANDLE CreatePackageFile(const MString& path)
{
    return CreateFileW(path.GetText(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

MString ThousandsText(unsigned __int64 value)
{
    return MString(true, value);
}

bool ReadSystemVersion(RTL_OSVERSIONINFOEXW& version)
{
    using RtlGetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto call = ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                                  reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                            : nullptr;
    version = RTL_OSVERSIONINFOEXW{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!call || call(&version) != 0)
    {
        version = RTL_OSVERSIONINFOEXW{};
        return false;
    }
    return true;
}

bool NativeAmd64()
{
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    return system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}
} // namespace

UpgradePlatform ClassifyPlatform(DWORD major, DWORD minor, WORD servicePackMajor, bool nativeAmd64)
{
    UpgradePlatform platform;
    if (major < 5 || (major == 5 && minor == 0))
        return platform;
    if (major == 5)
    {
        platform.accepted = servicePackMajor >= (nativeAmd64 ? 2 : 3);
        platform.versionName = L"XP";
        platform.fileNamePart = L"XP ";
        platform.xp = true;
        return platform;
    }
    platform.accepted = true;
    platform.fileNamePart = L"";
    if (major >= 10)
        platform.versionName = L"10";
    else if (major == 6 && minor == 0)
        platform.versionName = L"Vista";
    else if (major == 6 && minor == 1)
        platform.versionName = L"7";
    else if (major == 6 && minor == 2)
        platform.versionName = L"8";
    else
        platform.versionName = L"8.1";
    return platform;
}

MString FreePackagePath(const MString& folder, const MString& baseName)
{
    const wchar_t* separator = folder.IsEmpty() ? L"" : L"\\";
    const MString plain(sX::Format(), L"%s%s%s.msi", folder.GetText(), separator, baseName.GetText());
    if (!Exists(plain))
        return plain;
    for (int n = 1; n <= PackageNameLimit; ++n)
    {
        const MString candidate(sX::Format(), L"%s%s%s (%d).msi", folder.GetText(), separator, baseName.GetText(), n);
        if (!Exists(candidate))
            return candidate;
    }
    return plain;
}

MString FixPackagePath(const MString& chosen)
{
    MString path = chosen;
    path.Trim(L'.');
    const unsigned __int64 length = path.GetLength();
    if (length < 4 || _wcsicmp(path.GetText() + length - 4, L".msi") != 0)
        path = path + L".msi";
    return path;
}

MString DefaultWebSiteUrl()
{
    const unsigned ids[] = {IDS_SITE_LINK};
    for (unsigned id : ids)
    {
        try
        {
            const MString link = BuildLinkQuery(MString(ResId(id)));
            if (!link.IsEmpty())
                return link;
        }
        catch (...)
        {
        }
    }
    return BuildLinkQuery(MString(MakerWebSite));
}

MString SplitUrl(const UpgradeLinks& links)
{
    MString site = links.second.IsEmpty() ? DefaultWebSiteUrl() : MString(links.second);
    const unsigned __int64 query = site.FindChar(L'?', 0, true);
    if (query != ~0ull)
        site = site.Left(query);
    const unsigned __int64 scheme = site.Find(MString(L"://"), 0, true);
    if (scheme != ~0ull)
        site = site.Mid(scheme + 3);
    return site;
}

MString NormalizeChanges(const MString& notes)
{
    MString text = notes;
    text.Replace(MString(L"\r\n"), MString(L"\n"), true);
    text.Replace(MString(L"\n"), MString(L"\r\n"), true);
    // Every line end at the end goes, the last CR LF included.
    while (!text.IsEmpty() && (text.GetText()[text.GetLength() - 1] == L'\r' || text.GetText()[text.GetLength() - 1] == L'\n'))
        text = text.Left(text.GetLength() - 1);
    return text;
}

CCheckForNewReleaseDlg::PackagePathChooser CCheckForNewReleaseDlg::ChoosePackagePath = SaveDialogChoice;
CCheckForNewReleaseDlg::MessageBoxFunction CCheckForNewReleaseDlg::ShowMessage = LocalizedMessageBox;

CCheckForNewReleaseDlg::CCheckForNewReleaseDlg(POINT cursor, DialogWindowSlot* slot,
                                               const MStringEx<wchar_t>& serverVersion,
                                               const MStringEx<wchar_t>& notes, const UpgradeLinks& links,
                                               const MStringEx<wchar_t>& upgradeExitEventName)
    : CControllerDialog<CCheckForNewReleaseDlg>(L"CheckForNewReleaseDlg", slot, cursor),
      m_caption(ResId(IDS_PRODUCT_CAPTION)), m_productName(ReleaseProductName), m_productLabel(ResId(IDS_PRODUCT_NAME)),
      m_productVersion(L"ProductVersion", static_cast<HMODULE>(nullptr)), m_serverVersion(serverVersion),
      m_notes(NormalizeChanges(notes)), m_links(links), m_upgradeExitEventName(upgradeExitEventName),
      m_cancel(std::make_shared<MHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr)))
{
    m_releaseIcon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SHOWN_NEW_RELEASE), IMAGE_ICON, 48, 48, 0));
    m_programIcon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

CCheckForNewReleaseDlg::~CCheckForNewReleaseDlg()
{
    if (IsDownloading())
    {
        // The dialog ended without the worker's report (it cannot): the
        // worker is told to stop. One that runs on shares its cancel event and
        // owns the rest of what it reads; its report finds no window.
        SetEvent(*m_cancel);
        WaitWithMessages(m_worker, WorkerStopTimeout, WhileWaiting::AnswerSentOnly);
    }
    if (m_worker)
        CloseHandle(m_worker);
    if (m_releaseIcon)
        DestroyIcon(m_releaseIcon);
    if (m_programIcon)
        DestroyIcon(m_programIcon);
}

const ATL::MessageMap<CCheckForNewReleaseDlg>& CCheckForNewReleaseDlg::GetMessageMap()
{
    using T = CCheckForNewReleaseDlg;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
        .Message(WM_INITDIALOG, &T::OnInitDialog)
        .Message(WM_DESTROY, &T::OnDestroy)
        .Message(WM_CTLCOLORSTATIC, &T::OnCtlColorStatic)
        .Message(WM_CTLCOLORDLG, &T::OnCtlColorDlg)
        .Message(WM_DRAWITEM, &T::OnDrawItem)
        .Message(WM_HELP, &T::OnHelp)
        .Message(WM_CLOSE, &T::OnCloseMessage)
        .Message(WM_CLOSE_REQUEST, &T::OnCloseMessage)
        .RegisteredMessage(&T::m_closeDialogsMessage, &T::OnCloseBroadcast)
        .Command(IDCANCEL, &T::OnCancelCommand)
        .Command(IDC_RELEASE_CANCEL, &T::OnCancelButton)
        .Command(IDOK, &T::OnDownloadCommand)
        .Command(IDC_RELEASE_DOWNLOAD, BN_CLICKED, &T::OnDownloadCommand)
        .Command(IDC_RELEASE_WEB_SITE, BN_CLICKED, &T::OnWebSite)
        .Command(IDC_RELEASE_CHANGES, EN_SETFOCUS, &T::OnChangesFocus)
        .Command(IDC_RELEASE_FILE_NAME, EN_SETFOCUS, &T::OnFileNameFocus)
        .Message(WM_UPGRADE_PROGRESS, &T::OnProgress)
        .Message(WM_UPGRADE_FINISHED, &T::OnDownloadFinished)
        .Message(WM_UPGRADE_HASH_PROGRESS, &T::OnHashProgress)
        .Message(WM_UPGRADE_STATUS, &T::OnStatusText);
    return map;
}

LRESULT CCheckForNewReleaseDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_slot)
        m_slot->Record(m_hWnd);
    if (m_programIcon)
    {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_programIcon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_programIcon));
    }
    ::SetWindowTextW(m_hWnd, MString(sX::Format(), IDS_RELEASE_TITLE, m_caption.GetText()).GetText());
    ::SetWindowContextHelpId(m_hWnd, DialogHelpContext(IDD));
    for (int id = IDC_RELEASE_HEADING; id <= IDC_RELEASE_CANCEL; ++id)
        ::SetWindowContextHelpId(::GetDlgItem(m_hWnd, id), DialogHelpContext(id));

    SetItemText(IDC_RELEASE_HEADING,
                MString(sX::Format(), IDS_RELEASE_HEADING, m_caption.GetText(), m_serverVersion.GetText()));
    ApplyDerivedWindowFont(m_headingFont, ::GetDlgItem(m_hWnd, IDC_RELEASE_HEADING), 1, FW_BOLD, false, true);
    SetItemText(IDC_RELEASE_CHANGES, m_notes);
    SendDlgItemMessage(IDC_RELEASE_CHANGES, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    SendDlgItemMessage(IDC_RELEASE_CHANGES, EM_SCROLLCARET);
    if (m_releaseIcon)
        SendDlgItemMessage(IDC_RELEASE_ICON, STM_SETICON, reinterpret_cast<WPARAM>(m_releaseIcon));
    SendDlgItemMessage(IDC_RELEASE_PROGRESS, PBM_SETRANGE32, 0, ProgressRange);
    ApplyDerivedWindowFont(m_fileNameFont, ::GetDlgItem(m_hWnd, IDC_RELEASE_FILE_NAME), 0, FW_BOLD, false, false);
    if (m_links.first.IsEmpty())
    {
        for (int id : {IDC_RELEASE_FILE_NAME, IDC_RELEASE_STATUS, IDC_RELEASE_BYTES, IDC_RELEASE_SIZE,
                       IDC_RELEASE_PROGRESS, IDC_RELEASE_DOWNLOAD})
            ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_HIDE);
        SetItemText(IDC_RELEASE_WEB_SITE, MString(ResId(IDS_RELEASE_VISIT_WEB_SITE)));
    }

    // Centred on the work area of the monitor where the menu was opened.
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromPoint(m_cursor, MONITOR_DEFAULTTONEAREST), &monitor))
    {
        const RECT& work = monitor.rcWork;
        ::SetWindowPos(m_hWnd, nullptr, (work.left + work.right) / 2 - width / 2, (work.top + work.bottom) / 2 - height / 2, 0,
                     0, SWP_NOSIZE | SWP_NOZORDER);
    }
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_RELEASE_FOCUS));
    return FALSE;
}

LRESULT CCheckForNewReleaseDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_headingFont.Restore();
    m_fileNameFont.Restore();
    if (m_slot)
        m_slot->Clear(m_hWnd);
    handled = FALSE;
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

LRESULT CCheckForNewReleaseDlg::OnCtlColorDlg(UINT, WPARAM, LPARAM, BOOL&)
{
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

LRESULT CCheckForNewReleaseDlg::OnDrawItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (wParam != IDC_RELEASE_FOCUS || !item)
    {
        handled = FALSE;
        return 0;
    }
    FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return TRUE;
}

LRESULT CCheckForNewReleaseDlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    if (info)
        ShowHelpContext(static_cast<int>(info->dwContextId));
    return TRUE;
}

void CCheckForNewReleaseDlg::CloseRequest()
{
    if (IsDownloading())
    {
        SetEvent(*m_cancel);
        m_closeWhenDone = true;
    }
    else
        EndDialog(0);
}

LRESULT CCheckForNewReleaseDlg::OnCloseMessage(UINT, WPARAM, LPARAM, BOOL&)
{
    CloseRequest();
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnCloseBroadcast(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (DialogCloseToken.Matches(wParam, lParam))
        CloseRequest();
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnCancelCommand(WORD, WORD, HWND, BOOL&)
{
    CloseRequest();
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnCancelButton(WORD, WORD, HWND, BOOL&)
{
    if (IsDownloading())
        SetEvent(*m_cancel);
    else
        EndDialog(0);
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnDownloadCommand(WORD, WORD, HWND, BOOL&)
{
    StartDownload();
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnWebSite(WORD, WORD, HWND, BOOL&)
{
    OpenWebSite();
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnChangesFocus(WORD, WORD, HWND, BOOL&)
{
    SendDlgItemMessage(IDC_RELEASE_CHANGES, EM_SETSEL, 0, 0);
    SendDlgItemMessage(IDC_RELEASE_CHANGES, EM_SCROLLCARET);
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnFileNameFocus(WORD, WORD, HWND, BOOL&)
{
    if (GetWindowTextLengthW(::GetDlgItem(m_hWnd, IDC_RELEASE_FILE_NAME)) == 0)
        ::SetFocus(::GetDlgItem(m_hWnd, IDC_RELEASE_FOCUS));
    return 0;
}

void CCheckForNewReleaseDlg::Show(const MString& text, UINT flags)
{
    ShowMessage(m_hWnd, text.GetText(), m_caption.GetText(), flags);
}

void CCheckForNewReleaseDlg::SetItemText(int id, const MString& text)
{
    ::SetDlgItemTextW(m_hWnd, id, text.GetText());
}

void CCheckForNewReleaseDlg::OpenWebSite()
{
    // Only http and https addresses are opened (OpenUrlInDefaultBrowser).
    const MString address = m_links.second.IsEmpty() ? DefaultWebSiteUrl() : BuildLinkQuery(m_links.second);
    OpenUrlInDefaultBrowser(sX::Browser(), m_hWnd, L"open", address.GetText(), SW_SHOWNORMAL);
}

void CCheckForNewReleaseDlg::StartDownload()
{
    if (IsDownloading())
    {
        MessageBeep(static_cast<UINT>(-1));
        return;
    }
    RTL_OSVERSIONINFOEXW version;
    ReadSystemVersion(version);
    const bool amd64 = NativeAmd64();
    const UpgradePlatform platform =
        ClassifyPlatform(version.dwMajorVersion, version.dwMinorVersion, version.wServicePackMajor, amd64);
    if (!platform.accepted)
    {
        Show(MString(sX::Format(), IDS_RELEASE_UNSUPPORTED_SYSTEM, m_productLabel.GetText()), MB_ICONERROR);
        OpenWebSite();
        return;
    }

    const MString baseName(sX::Format(), L"%s - Setup for %s %s- %d bit", m_productName.GetText(), L"Windows",
                           platform.fileNamePart.GetText(), amd64 ? 64 : 32);
    MString chosen;
    if (!ChoosePackagePath(m_hWnd, FreePackagePath(PackageFolder(), baseName), chosen))
        return;
    const MString path = FixPackagePath(chosen);

    HANDLE file = CreatePackageFile(path);
    if (file == INVALID_HANDLE_VALUE && (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS))
    {
        // The user agreed to replace it in the save dialog.
        SetFileAttributesW(path.GetText(), GetFileAttributesW(path.GetText()) & ~FILE_ATTRIBUTE_READONLY);
        DeleteFileW(path.GetText());
        file = CreatePackageFile(path);
    }
    if (file == INVALID_HANDLE_VALUE)
    {
        const DWORD error = GetLastError();
        Show(MString(sX::Format(), IDS_RELEASE_FILE_NOT_CREATED, m_productLabel.GetText(), path.GetText(),
                     FormatSystemError(error).GetText()),
             MB_ICONERROR);
        return;
    }

    auto params = std::make_unique<UpgradeWorkerParams>(file);
    params->owner = m_hWnd;
    params->cancelEvent = *m_cancel;
    // A worker that outlives the dialog still finds its cancel event.
    params->keepAlive = m_cancel;
    params->productName = m_productName;
    params->productLabel = m_productLabel;
    params->productVersion = m_productVersion;
    params->serverVersion = m_serverVersion;
    params->links = m_links;
    params->packagePath = path;
    params->platformName = L"Windows";
    params->platformVersionName = platform.versionName;
    params->xp = platform.xp;
    params->webSiteText = SplitUrl(m_links);
    params->language = UiLanguage;

    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RELEASE_DOWNLOAD), FALSE);
    ResetEvent(*m_cancel);
    SetItemText(IDC_RELEASE_FILE_NAME, path.AfterLast(L'\\', true));
    // Counted, so that the program's exit waits for the download.
    m_worker = StartCountedThread(UpgradeWorker, params.get()).Release();
    if (m_worker)
        params.release();
    else
    {
        // Nothing runs: the file goes again (params closes it first).
        params.reset();
        DeleteFileW(path.GetText());
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RELEASE_DOWNLOAD), TRUE);
        SetItemText(IDC_RELEASE_FILE_NAME, MString(L""));
    }
}

LRESULT CCheckForNewReleaseDlg::OnProgress(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const unsigned __int64 total = *reinterpret_cast<const unsigned __int64*>(wParam);
    const unsigned __int64 received = *reinterpret_cast<const unsigned __int64*>(lParam);
    const MString downloading(ResId(IDS_UPGRADE_DOWNLOADING));
    if (GetWindowTextString(::GetDlgItem(m_hWnd, IDC_RELEASE_STATUS)) != downloading)
        SetItemText(IDC_RELEASE_STATUS, downloading);
    const DWORD now = GetTickCount();
    if (!m_bytesUpdated || now - m_lastBytesUpdate > BytesUpdateInterval)
    {
        SetItemText(IDC_RELEASE_BYTES, ThousandsText(received));
        m_lastBytesUpdate = now;
        m_bytesUpdated = true;
    }
    const bool sizeEmpty = GetWindowTextLengthW(::GetDlgItem(m_hWnd, IDC_RELEASE_SIZE)) == 0;
    int position = ProgressRange / 2;
    if (total != 0)
    {
        if (sizeEmpty)
            SetItemText(IDC_RELEASE_SIZE, MString(sX::Format(), IDS_RELEASE_SIZE, ThousandsText(total).GetText()));
        position = static_cast<int>(static_cast<double>(received) / static_cast<double>(total) * ProgressRange);
    }
    else if (sizeEmpty)
        SetItemText(IDC_RELEASE_SIZE, MString(ResId(IDS_RELEASE_SIZE_UNKNOWN)));
    SendDlgItemMessage(IDC_RELEASE_PROGRESS, PBM_SETPOS, position);
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnHashProgress(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    SetItemText(IDC_RELEASE_BYTES, ThousandsText(*reinterpret_cast<const unsigned __int64*>(lParam)));
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnStatusText(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (wParam == IDS_UPGRADE_CONNECTING)
    {
        SetItemText(IDC_RELEASE_STATUS, MString(ResId(IDS_UPGRADE_CONNECTING)));
        SetItemText(IDC_RELEASE_BYTES, MString(L"..."));
    }
    else if (wParam == IDS_UPGRADE_VERIFYING)
    {
        SetItemText(IDC_RELEASE_STATUS, MString(ResId(IDS_UPGRADE_VERIFYING)));
        SetItemText(IDC_RELEASE_BYTES, MString(L"0"));
    }
    return 0;
}

LRESULT CCheckForNewReleaseDlg::OnDownloadFinished(UINT, WPARAM code, LPARAM lParam, BOOL&)
{
    const std::unique_ptr<UpgradeResult> result = TakeUpgradeFinished(lParam);
    if (m_worker)
    {
        // The worker posts its report last: it is about to end.
        WaitWithMessages(m_worker, WorkerStopTimeout, WhileWaiting::AnswerSentOnly);
        CloseHandle(m_worker);
        m_worker = nullptr;
    }
    const bool cancelled = WaitForSingleObject(*m_cancel, 0) == WAIT_OBJECT_0;
    for (int id : {IDC_RELEASE_FILE_NAME, IDC_RELEASE_STATUS, IDC_RELEASE_BYTES, IDC_RELEASE_SIZE})
        SetItemText(id, MString(L""));
    SendDlgItemMessage(IDC_RELEASE_PROGRESS, PBM_SETPOS, 0);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RELEASE_DOWNLOAD), TRUE);
    m_bytesUpdated = false;

    if (result)
    {
        const MString& path = result->packagePath;
        if (code == UpgradeVerified && !cancelled)
            StartAutomaticUpgrade(path);
        else
        {
            // A package that is not verified is never installed: a digest
            // that does not match means it was damaged or changed.
            if (!cancelled && code != UpgradeCancelled && !result->text.IsEmpty())
                Show(result->text, code == UpgradeNotVerified ? MB_ICONEXCLAMATION : MB_ICONERROR);
            if (!path.IsEmpty())
                DeleteFileW(path.GetText());
        }
    }
    if (m_closeWhenDone)
        EndDialog(0);
    return 0;
}

