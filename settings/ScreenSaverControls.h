// The screen-saver part of the settings dialog: the screen-saver mode, the
// idle time in minutes (with its text in days and hours) and the lock option.
// They exist only in the one-interval modes; the show/hide modes leave the
// stored values as they are.
#pragma once

#include "settings/DialogItems.h"
#include "slideshow/PerformanceData.h"

class ScreenSaverControls
{
public:
    // The working copies start from the stored settings.
    ScreenSaverControls(const ATL::CWindow& dialog, const PerformanceData& settings);

    // The mode list and the idle edit's range; the stored mode must be one
    // of the list.
    void Fill();
    // In the one-interval modes the working values, otherwise nothing.
    void ShowFor(bool oneInterval);
    void EnableScreenSaverControls(bool on);

    // A mode was chosen in the list.
    void TakeMode();
    // The idle edit changed: its text beside, and the entry kept in range.
    void TakeIdleTime();
    void TakeLock();

    // The control whose entry cannot be saved, with the message to show
    // (productName goes into it); 0 when there is none.
    int Refusal(const MString& productName, MString& message) const;
    void Apply(PerformanceData& settings) const;

private:
    void ShowIdleText(unsigned __int64 minutes, bool number);

    DialogItems m_items;
    DialogItems::ChoiceTexts m_modes;
    // Working copies.
    DWORD m_mode;
    unsigned __int64 m_idleSeconds;
    bool m_lock;
    // Set while the idle edit is emptied here, so that its change handler
    // leaves the working idle time alone.
    bool m_idleBusy = false;
};
