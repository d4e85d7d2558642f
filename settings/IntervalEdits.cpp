#include "settings/IntervalEdits.h"

#include "resources/languages/LanguageIds.h"
#include "slideshow/SlideTimer.h"

#include <algorithm>

namespace
{
// The edits take four digits.
constexpr unsigned __int64 LargestEntry = 9999;
constexpr unsigned __int64 ShortestInterval = 1;

unsigned __int64 Seconds(unsigned __int64 value, DWORD unit)
{
    return unit == static_cast<DWORD>(Time_unit::Minutes) ? value * 60 : value;
}

MString Decimal(unsigned __int64 value) { return MString(false, value); }

// An interval as its edit shows it in the unit.
MString InUnit(unsigned __int64 seconds, Time_unit unit)
{
    return Decimal(unit == Time_unit::Minutes ? seconds / 60 : seconds);
}

// The entry that stands for an interval beyond most seconds.
MString LongestEntry(unsigned __int64 most, DWORD unit)
{
    return Decimal(unit == static_cast<DWORD>(Time_unit::Minutes) ? most / 60 : LargestEntry);
}

// The message of an interval outside 1..most seconds.
MString RangeMessage(unsigned id, unsigned __int64 most)
{
    return MString(sX::Format(), id, Decimal(ShortestInterval).GetText(), Decimal(most).GetText(),
                   Decimal(most / 60).GetText());
}

using Entry = DialogItems::ChoiceTexts::Entry;
}

IntervalEdits::IntervalEdits(const ATL::CWindow& dialog)
    : m_items(dialog), m_units(new Entry(static_cast<DWORD>(Time_unit::Seconds), MString(ResId(IDS_UNIT_SECONDS))),
                               new Entry(static_cast<DWORD>(Time_unit::Minutes), MString(ResId(IDS_UNIT_MINUTES))))
{
}

MString IntervalEdits::FormatDuration(unsigned __int64 value, Time_unit unit)
{
    if (unit == Time_unit::Seconds)
    {
        const unsigned h = static_cast<unsigned>(value / 3600), m = static_cast<unsigned>(value % 3600 / 60),
                       s = static_cast<unsigned>(value % 60);
        if (h > 0)
            return MString(sX::Format(), IDS_DURATION_HOURS_SECONDS, h, m, s);
        if (m == 0)
            return MString();
        return MString(sX::Format(), IDS_DURATION_MINUTES_SECONDS, m, s);
    }
    const unsigned d = static_cast<unsigned>(value / 1440), h = static_cast<unsigned>(value % 1440 / 60),
                   m = static_cast<unsigned>(value % 60);
    if (d > 0)
        return MString(sX::Format(), IDS_DURATION_DAYS, d, h, m);
    if (h == 0)
        return MString();
    return MString(sX::Format(), IDS_DURATION_HOURS, h, m);
}

void IntervalEdits::Fill(const SettingsCopy::TimerFields& timer)
{
    m_items.FillCombo(IDC_SET_SLIDE_UNIT, m_units, true, static_cast<DWORD>(timer.unitA));
    m_items.FillCombo(IDC_SET_UNIT_A, m_units, true, static_cast<DWORD>(timer.unitA));
    m_items.FillCombo(IDC_SET_UNIT_B, m_units, true, static_cast<DWORD>(timer.unitB));
    m_items.Check(IDC_SET_SLIDE_TIMER, timer.enabled);
    const int low = static_cast<int>(ShortestInterval), high = static_cast<int>(LargestEntry);
    m_items.SetUpDown(IDC_SET_SLIDE_INTERVAL_SPIN, IDC_SET_SLIDE_INTERVAL, 4, low, high);
    m_items.SetUpDown(IDC_SET_INTERVAL_A_SPIN, IDC_SET_INTERVAL_A, 4, low, high);
    m_items.SetUpDown(IDC_SET_INTERVAL_B_SPIN, IDC_SET_INTERVAL_B, 4, low, high);
}

void IntervalEdits::ShowStored(const SettingsCopy::TimerFields& timer)
{
    m_items.SetText(IDC_SET_INTERVAL_A, InUnit(timer.intervalA, timer.unitA).GetText());
    m_items.SetText(IDC_SET_INTERVAL_B, InUnit(timer.intervalB, timer.unitB).GetText());
    EnableSlideTimerControls(timer.enabled);
}

void IntervalEdits::EnableSlideTimerControls(bool on)
{
    m_slideBusy = true;
    if (on)
    {
        m_items.SelectValue(IDC_SET_SLIDE_UNIT, m_items.SelectedValue(IDC_SET_UNIT_A));
        m_items.Enable(IDC_SET_SLIDE_UNIT, true);
        m_items.Enable(IDC_SET_SLIDE_INTERVAL, true);
        m_items.Enable(IDC_SET_SLIDE_INTERVAL_SPIN, true);
        m_items.SetText(IDC_SET_SLIDE_INTERVAL, m_items.Text(IDC_SET_INTERVAL_A).GetText());
        m_items.Enable(IDC_SET_SLIDE_DURATION, true);
        unsigned __int64 value = 0;
        m_items.SetText(IDC_SET_SLIDE_DURATION,
                        m_items.Number(IDC_SET_SLIDE_INTERVAL, value)
                            ? FormatDuration(value, static_cast<Time_unit>(m_items.SelectedValue(IDC_SET_SLIDE_UNIT)))
                                  .GetText()
                            : L"");
    }
    else
    {
        m_items.Enable(IDC_SET_SLIDE_INTERVAL, false);
        m_items.Enable(IDC_SET_SLIDE_INTERVAL_SPIN, false);
        m_items.SetText(IDC_SET_SLIDE_INTERVAL, L"");
        m_items.ClearSelection(IDC_SET_SLIDE_UNIT);
        m_items.Enable(IDC_SET_SLIDE_UNIT, false);
        m_items.Enable(IDC_SET_SLIDE_DURATION, false);
    }
    m_slideBusy = false;
}

void IntervalEdits::ShowFor(bool oneInterval)
{
    for (int id : {IDC_SET_SLIDE_TIMER, IDC_SET_SLIDE_INTERVAL, IDC_SET_SLIDE_INTERVAL_SPIN, IDC_SET_SLIDE_DURATION,
                   IDC_SET_SLIDE_UNIT})
        m_items.Show(id, oneInterval);
    for (int id : {IDC_SET_CYCLE_LABEL, IDC_SET_INTERVAL_A, IDC_SET_INTERVAL_A_SPIN, IDC_SET_UNIT_A,
                   IDC_SET_SHOWN_LABEL, IDC_SET_INTERVAL_B, IDC_SET_INTERVAL_B_SPIN, IDC_SET_UNIT_B})
        m_items.Show(id, !oneInterval);
    m_items.Enable(IDC_SET_SLIDE_LABEL, oneInterval);
}

void IntervalEdits::CarryOver(bool wasOneInterval, bool isOneInterval)
{
    if (!isOneInterval && wasOneInterval && m_items.HasSelection(IDC_SET_SLIDE_UNIT))
    {
        // The slide interval carries over to interval A.
        m_items.SelectValue(IDC_SET_UNIT_A, m_items.SelectedValue(IDC_SET_SLIDE_UNIT));
        m_items.SetText(IDC_SET_INTERVAL_A, m_items.Text(IDC_SET_SLIDE_INTERVAL).GetText());
    }
    else if (isOneInterval && !wasOneInterval)
    {
        m_items.SelectValue(IDC_SET_SLIDE_UNIT, m_items.SelectedValue(IDC_SET_UNIT_A));
        m_items.SetText(IDC_SET_SLIDE_INTERVAL, m_items.Text(IDC_SET_INTERVAL_A).GetText());
        m_items.Check(IDC_SET_SLIDE_TIMER, true);
        EnableSlideTimerControls(true);
    }
}

void IntervalEdits::KeepSlideIntervalInRange()
{
    if (m_slideBusy)
        return;
    m_slideBusy = true;
    const DWORD unit = m_items.SelectedValue(IDC_SET_SLIDE_UNIT);
    if (m_items.Text(IDC_SET_SLIDE_INTERVAL).IsEmpty())
        m_items.SetText(IDC_SET_SLIDE_DURATION, L"");
    else
    {
        unsigned __int64 value = 0;
        const bool number = m_items.Number(IDC_SET_SLIDE_INTERVAL, value);
        if (number && Seconds(value, unit) == 0)
            m_items.SetText(IDC_SET_SLIDE_INTERVAL, Decimal(ShortestInterval).GetText());
        else if (!number || Seconds(value, unit) > SlideTimer::MaxIntervalA)
            m_items.SetText(IDC_SET_SLIDE_INTERVAL, LongestEntry(SlideTimer::MaxIntervalA, unit).GetText());
        m_items.Number(IDC_SET_SLIDE_INTERVAL, value);
        m_items.SetText(IDC_SET_SLIDE_DURATION, FormatDuration(value, static_cast<Time_unit>(unit)).GetText());
    }
    m_slideBusy = false;
}

bool IntervalEdits::KeepIntervalAInRange()
{
    return KeepInRange(IDC_SET_INTERVAL_A, IDC_SET_UNIT_A, SlideTimer::MaxIntervalA, m_intervalABusy);
}

bool IntervalEdits::KeepIntervalBInRange()
{
    return KeepInRange(IDC_SET_INTERVAL_B, IDC_SET_UNIT_B, SlideTimer::MaxIntervalB, m_intervalBBusy);
}

bool IntervalEdits::KeepInRange(int edit, int unitCombo, unsigned __int64 most, bool& busy)
{
    if (busy)
        return false;
    busy = true;
    if (!m_items.Text(edit).IsEmpty())
    {
        unsigned __int64 value = 0;
        const bool number = m_items.Number(edit, value);
        const DWORD unit = m_items.SelectedValue(unitCombo);
        const unsigned __int64 seconds = Seconds(value, unit);
        if (number && seconds == 0)
            m_items.SetText(edit, Decimal(ShortestInterval).GetText());
        else if (!number || seconds > most)
            m_items.SetText(edit, LongestEntry(most, unit).GetText());
    }
    busy = false;
    return true;
}

MString IntervalEdits::Tip(int edit, int unitCombo, unsigned labelId) const
{
    const MString text = m_items.Text(edit);
    const DWORD unit = m_items.SelectedValue(unitCombo);
    unsigned __int64 value = 0;
    MString duration;
    if (m_items.Number(edit, value))
        duration = FormatDuration(value, static_cast<Time_unit>(unit));
    const MString label{ResId(labelId)};
    if (text.IsEmpty() || duration.IsEmpty())
        return label;
    return MString(sX::Format(), L"%s %s %s = %s", label.GetText(), text.GetText(),
                   MString(ResId(unit ? IDS_UNIT_MINUTES : IDS_UNIT_SECONDS)).GetText(), duration.GetText());
}

int IntervalEdits::Refusal(bool oneInterval, MString& message) const
{
    // The entry in seconds; false when it is not a number of 1..most seconds.
    const auto inRange = [&](int edit, int unitCombo, unsigned __int64 most, unsigned __int64& seconds) {
        unsigned __int64 value = 0;
        const bool number = m_items.Number(edit, value);
        seconds = Seconds(value, m_items.SelectedValue(unitCombo));
        return number && seconds >= ShortestInterval && seconds <= most;
    };
    const auto refuse = [&](const MString& text, int edit) {
        message = text;
        return edit;
    };

    unsigned __int64 a = 0, b = 0;
    if (oneInterval)
    {
        if (!m_items.IsChecked(IDC_SET_SLIDE_TIMER))
            return 0;
        if (m_items.Text(IDC_SET_SLIDE_INTERVAL).IsEmpty())
            return refuse(MString(ResId(IDS_SLIDE_INTERVAL_EMPTY)), IDC_SET_SLIDE_INTERVAL);
        if (!inRange(IDC_SET_SLIDE_INTERVAL, IDC_SET_SLIDE_UNIT, SlideTimer::MaxIntervalA, a))
            return refuse(RangeMessage(IDS_SLIDE_INTERVAL_RANGE, SlideTimer::MaxIntervalA), IDC_SET_SLIDE_INTERVAL);
        return 0;
    }

    if (m_items.Text(IDC_SET_INTERVAL_A).IsEmpty())
        return refuse(MString(ResId(IDS_INTERVAL_A_EMPTY)), IDC_SET_INTERVAL_A);
    if (!inRange(IDC_SET_INTERVAL_A, IDC_SET_UNIT_A, SlideTimer::MaxIntervalA, a))
        return refuse(RangeMessage(IDS_INTERVAL_A_RANGE, SlideTimer::MaxIntervalA), IDC_SET_INTERVAL_A);
    if (m_items.Text(IDC_SET_INTERVAL_B).IsEmpty())
        return refuse(MString(ResId(IDS_INTERVAL_B_EMPTY)), IDC_SET_INTERVAL_B);
    if (!inRange(IDC_SET_INTERVAL_B, IDC_SET_UNIT_B, SlideTimer::MaxIntervalB, b))
        return refuse(RangeMessage(IDS_INTERVAL_B_RANGE, SlideTimer::MaxIntervalB), IDC_SET_INTERVAL_B);
    if (a <= b)
        return refuse(MString(ResId(IDS_INTERVAL_A_NOT_LONGER)), IDC_SET_INTERVAL_B);
    return 0;
}

void IntervalEdits::Apply(bool oneInterval, SettingsCopy::TimerFields& timer) const
{
    unsigned __int64 value = 0;
    if (!oneInterval)
    {
        // The slide timer keeps its value.
        timer.unitA = static_cast<Time_unit>(m_items.SelectedValue(IDC_SET_UNIT_A));
        m_items.Number(IDC_SET_INTERVAL_A, value);
        timer.intervalA = Seconds(value, static_cast<DWORD>(timer.unitA));
        timer.unitB = static_cast<Time_unit>(m_items.SelectedValue(IDC_SET_UNIT_B));
        m_items.Number(IDC_SET_INTERVAL_B, value);
        timer.intervalB = Seconds(value, static_cast<DWORD>(timer.unitB));
        return;
    }
    timer.enabled = m_items.IsChecked(IDC_SET_SLIDE_TIMER);
    if (!timer.enabled)
        return;
    timer.unitA = static_cast<Time_unit>(m_items.SelectedValue(IDC_SET_SLIDE_UNIT));
    m_items.Number(IDC_SET_SLIDE_INTERVAL, value);
    timer.intervalA = Seconds(value, static_cast<DWORD>(timer.unitA));
    // Interval B stays shorter than A.
    if (timer.intervalA <= timer.intervalB)
    {
        timer.intervalB = std::max<unsigned __int64>(timer.intervalA / 2, 1);
        if (timer.unitB == Time_unit::Minutes && !(timer.unitA == Time_unit::Minutes && timer.intervalB % 60 == 0))
            timer.unitB = Time_unit::Seconds;
    }
}
