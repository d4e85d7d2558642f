#include "upgrade/CheckForNewReleaseDlg.h"

CCheckForNewReleaseDlg::CCheckForNewReleaseDlg(POINT cursor, DialogWindowSlot* slot, const ReleaseRecord* release,
                                               const MStringEx<wchar_t>& notes, const UpgradeLinks& links,
                                               const MStringEx<wchar_t>& upgradeExitEventName)
    : CControllerDialog<CCheckForNewReleaseDlg>(L"CheckForNewReleaseDlg", slot, cursor), m_release(release),
      m_notes(notes), m_links(links), m_upgradeExitEventName(upgradeExitEventName)
{
}
