// The interval edits of the settings dialog: the slide interval of the
// one-interval modes (with the slide timer check and the duration beside it)
// and intervals A and B of the show/hide modes, each with its unit. Entries
// are kept within the slide timer's limits as they are typed; confirm checks
// them and writes them into the timer fields.
#pragma once

#include "settings/DialogItems.h"
#include "slideshow/MainWindowThread.h"
#include "slideshow/SettingsTypes.h"

class IntervalEdits
{
public:
    explicit IntervalEdits(const ATL::CWindow& dialog);

    // The text beside an interval: "h:m:s"-like texts of the language module
    // for a value in seconds or minutes; empty when under a minute (seconds)
    // or under an hour (minutes).
    static MString FormatDuration(unsigned __int64 value, Time_unit unit);

    // The unit lists and the edits' ranges, from the stored timer fields.
    void Fill(const SettingsCopy::TimerFields& timer);
    // The stored intervals A and B, and the slide controls for the timer.
    void ShowStored(const SettingsCopy::TimerFields& timer);

    void EnableSlideTimerControls(bool on);
    // Shows the slide controls in the one-interval modes and those of
    // intervals A and B in the show/hide modes.
    void ShowFor(bool oneInterval);
    // The entries that carry over when the mode switches between the
    // one-interval and the show/hide modes.
    void CarryOver(bool wasOneInterval, bool isOneInterval);

    // Keep an entry within the limits as it is typed. The cycle intervals
    // answer false when called again from their own rewrite.
    void KeepSlideIntervalInRange();
    bool KeepIntervalAInRange();
    bool KeepIntervalBInRange();
    // The tooltip of an interval edit: its label, and the entry as a
    // duration when there is one.
    MString Tip(int edit, int unitCombo, unsigned labelId) const;

    // The control whose entry cannot be saved, with the message to show;
    // 0 when every entry of the mode can be.
    int Refusal(bool oneInterval, MString& message) const;
    void Apply(bool oneInterval, SettingsCopy::TimerFields& timer) const;

private:
    bool KeepInRange(int edit, int unitCombo, unsigned __int64 most, bool& busy);

    DialogItems m_items;
    DialogItems::ChoiceTexts m_units;
    // Set while an edit's text is written here, so that its change handler
    // leaves it alone.
    bool m_slideBusy = false;
    bool m_intervalABusy = false;
    bool m_intervalBBusy = false;
};
