// The release dialog (template 104): the new release and its change notes,
// the web page of the release, and the automatic upgrade: the package is
// saved where the user chooses, downloaded and verified by UpgradeWorker,
// and handed over to the setup program.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/WindowPlacement.h"
#include "resources/languages/LanguageIds.h"
#include "core/ControllerDialog.h"
#include "upgrade/ReleaseCheck.h"
#include "upgrade/UpgradeWorker.h"

// The Windows versions the automatic upgrade serves, and how they are named
// in the package request and its file name.
struct UpgradePlatform
{
    bool accepted = false;
    // "XP", "Vista", "7", "8", "8.1" or "10".
    MString versionName;
    // "XP " on Windows 5.x, else empty.
    MString fileNamePart;
    bool xp = false;
};
UpgradePlatform ClassifyPlatform(DWORD major, DWORD minor, WORD servicePackMajor, bool nativeAmd64);

// The first free package name in folder: base name, then "(1)", "(2)", ...
// up to 10000; the plain name when all are taken.
MString FreePackagePath(const MString& folder, const MString& baseName);

// The chosen path as saved: dots trimmed at both ends, ".msi" appended when
// it does not end so (any case).
MString FixPackagePath(const MString& chosen);

// The web site named in messages: the page (or the default site) before its
// "?", without its scheme.
MString SplitUrl(const UpgradeLinks& links);
// The maker's site when the release names no page.
MString DefaultWebSiteUrl();

// Change notes as the edit control shows them: CR LF line ends, no trailing
// line ends.
MString NormalizeChanges(const MString& notes);

class CCheckForNewReleaseDlg : public CControllerDialog<CCheckForNewReleaseDlg>
{
public:
    enum : INT_PTR
    {
        IDD = IDD_CHECK_FOR_NEW_RELEASE,
        AcceptedResult = 0,
        CancelledResult = 0,
        ClosedResult = 0,
    };

    CCheckForNewReleaseDlg(POINT cursor, DialogWindowSlot* slot, const MStringEx<wchar_t>& serverVersion,
                           const MStringEx<wchar_t>& notes, const UpgradeLinks& links,
                           const MStringEx<wchar_t>& upgradeExitEventName);
    ~CCheckForNewReleaseDlg() override;

    static const ATL::MessageMap<CCheckForNewReleaseDlg>& GetMessageMap();

    // Seams for the tests: where the package is saved (the save dialog:
    // false when the user cancels), and every message box of the dialog.
    using PackagePathChooser = bool (*)(HWND owner, const MString& proposed, MString& chosen);
    using MessageBoxFunction = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);
    static PackagePathChooser ChoosePackagePath;
    static MessageBoxFunction ShowMessage;
    // The manual route after a failed hand-over: the package shown in
    // Explorer and the list of installed programs opened.
    using ManualRouteFunction = void (*)(const MString& packagePath);
    static ManualRouteFunction ManualInstallRoute;

    const UpgradeLinks& GetLinks() const { return m_links; }
    bool IsDownloading() const { return m_worker != nullptr && m_worker != INVALID_HANDLE_VALUE; }

    // Writes the setup program beside the program and starts it with the
    // upgrade command line; failures end in ReportUpgradeFailure.
    void StartAutomaticUpgrade(const MString& packagePath);
    void ReportUpgradeFailure(const MString& packagePath, const MString& setupFile, unsigned step);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtlColorStatic(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtlColorDlg(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseBroadcast(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancelCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancelButton(WORD, WORD, HWND, BOOL&);
    LRESULT OnDownloadCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnWebSite(WORD, WORD, HWND, BOOL&);
    LRESULT OnChangesFocus(WORD, WORD, HWND, BOOL&);
    LRESULT OnFileNameFocus(WORD, WORD, HWND, BOOL&);
    LRESULT OnProgress(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDownloadFinished(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHashProgress(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnStatusText(UINT, WPARAM, LPARAM, BOOL&);

    void CloseRequest();
    void StartDownload();
    void OpenWebSite();
    void Show(const MString& text, UINT flags);
    void SetItemText(int id, const MString& text);

    MString m_caption;
    MString m_productName;
    MString m_productLabel;
    MString m_productVersion;
    MString m_serverVersion;
    MString m_notes;
    UpgradeLinks m_links;
    MString m_upgradeExitEventName;
    HICON m_releaseIcon = nullptr;
    HICON m_programIcon = nullptr;
    DerivedWindowFont m_headingFont;
    DerivedWindowFont m_fileNameFont;
    // Shared with the worker, which may outlive the dialog.
    std::shared_ptr<MHandle> m_cancel;
    HANDLE m_worker = nullptr;
    bool m_closeWhenDone = false;
    DWORD m_lastBytesUpdate = 0;
    bool m_bytesUpdated = false;
};
