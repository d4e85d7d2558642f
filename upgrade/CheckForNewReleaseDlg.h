// The release dialog (template 104) as the controller opens it. Until the
// download and hand-over come, it is the least dialog of its template: OK
// and Cancel close it, as do the controller's close request and the close
// broadcast.
#pragma once

#include "resources/languages/LanguageIds.h"
#include "shell/core/ControllerDialog.h"
#include "upgrade/ReleaseCheck.h"

class CCheckForNewReleaseDlg : public CControllerDialog<CCheckForNewReleaseDlg>
{
public:
    enum : INT_PTR
    {
        IDD = IDD_CHECK_FOR_NEW_RELEASE,
        AcceptedResult = IDOK,
        CancelledResult = IDCANCEL,
        ClosedResult = IDCANCEL,
    };

    // release is the controller's stored record (read while the dialog is
    // open, under the controller's release-record guard); notes a copy of
    // its notes.
    CCheckForNewReleaseDlg(POINT cursor, DialogWindowSlot* slot, const ReleaseRecord* release,
                           const MStringEx<wchar_t>& notes, const UpgradeLinks& links,
                           const MStringEx<wchar_t>& upgradeExitEventName);

    const UpgradeLinks& GetLinks() const { return m_links; }

private:
    const ReleaseRecord* m_release;
    MStringEx<wchar_t> m_notes;
    UpgradeLinks m_links;
    MStringEx<wchar_t> m_upgradeExitEventName;
};
