#include "settings/ScreenSaverControls.h"

#include "resources/languages/LanguageIds.h"

#include <algorithm>

namespace
{
constexpr unsigned __int64 FewestIdleMinutes = PerformanceData::MinIdleSeconds / 60;
constexpr unsigned __int64 MostIdleMinutes = PerformanceData::MaxIdleSeconds / 60;

MString Decimal(unsigned __int64 value) { return MString(false, value); }

using Entry = DialogItems::ChoiceTexts::Entry;
Entry* ModeText(Screen_saver_mode mode, unsigned id) { return new Entry(static_cast<DWORD>(mode), MString(ResId(id))); }
}

ScreenSaverControls::ScreenSaverControls(const ATL::CWindow& dialog, const PerformanceData& settings)
    : m_items(dialog),
      m_modes(ModeText(Screen_saver_mode::Off, IDS_SAVER_OFF), ModeText(Screen_saver_mode::SpanFit, IDS_SAVER_SPAN_FIT),
              ModeText(Screen_saver_mode::SpanFill, IDS_SAVER_SPAN_FILL),
              ModeText(Screen_saver_mode::EachFit, IDS_SAVER_EACH_FIT),
              ModeText(Screen_saver_mode::EachFill, IDS_SAVER_EACH_FILL),
              ModeText(Screen_saver_mode::PrimaryFit, IDS_SAVER_PRIMARY_FIT),
              ModeText(Screen_saver_mode::PrimaryFill, IDS_SAVER_PRIMARY_FILL)),
      m_mode(static_cast<DWORD>(settings.screenSaverMode)), m_idleSeconds(settings.idleSeconds),
      m_lock(settings.lockOnScreenSaverEnd)
{
}

void ScreenSaverControls::Fill()
{
    m_items.SetUpDown(IDC_SET_IDLE_SPIN, IDC_SET_IDLE, 3, static_cast<int>(FewestIdleMinutes),
                      static_cast<int>(MostIdleMinutes));
    m_items.FillCombo(IDC_SET_SCREEN_SAVER, m_modes, false, 0);
    // A mode without an entry is a damaged setting in memory.
    m_modes.GetValue(m_mode);
}

void ScreenSaverControls::ShowFor(bool oneInterval)
{
    if (oneInterval)
    {
        m_items.SelectValue(IDC_SET_SCREEN_SAVER, m_mode);
        m_items.Enable(IDC_SET_SCREEN_SAVER, true);
        EnableScreenSaverControls(m_mode != 0);
        return;
    }
    // The show/hide modes have no screen saver; the stored mode stays.
    m_items.SelectValue(IDC_SET_SCREEN_SAVER, 0);
    for (int id : {IDC_SET_SCREEN_SAVER, IDC_SET_IDLE_LABEL, IDC_SET_IDLE, IDC_SET_IDLE_SPIN, IDC_SET_IDLE_TEXT,
                   IDC_SET_LOCK})
        m_items.Enable(id, false);
    m_idleBusy = true;
    m_items.SetText(IDC_SET_IDLE, L"");
    m_items.Check(IDC_SET_LOCK, false);
    m_idleBusy = false;
}

void ScreenSaverControls::EnableScreenSaverControls(bool on)
{
    for (int id : {IDC_SET_IDLE_LABEL, IDC_SET_IDLE, IDC_SET_IDLE_SPIN, IDC_SET_IDLE_TEXT, IDC_SET_LOCK})
        m_items.Enable(id, on);
    if (on)
    {
        m_items.SetText(IDC_SET_IDLE, Decimal(m_idleSeconds / 60).GetText());
        m_items.Check(IDC_SET_LOCK, m_lock);
    }
    else
    {
        m_items.SetText(IDC_SET_IDLE, L"");
        m_items.Check(IDC_SET_LOCK, false);
    }
}

void ScreenSaverControls::TakeMode()
{
    m_mode = m_items.SelectedValue(IDC_SET_SCREEN_SAVER);
    EnableScreenSaverControls(m_mode != 0);
    if (m_mode != 0)
        m_items.FocusOn(IDC_SET_IDLE);
}

void ScreenSaverControls::ShowIdleText(unsigned __int64 minutes, bool number)
{
    if (m_mode == 0 || m_items.Text(IDC_SET_IDLE).IsEmpty() || !number)
    {
        m_items.SetText(IDC_SET_IDLE_TEXT, MString(ResId(IDS_UNIT_MINUTES)).GetText());
        return;
    }
    const unsigned v = static_cast<unsigned>(std::min(minutes, MostIdleMinutes));
    const unsigned d = v / 1440, h = v % 1440 / 60, m = v % 60;
    if (d > 0)
        m_items.SetText(IDC_SET_IDLE_TEXT, MString(sX::Format(), IDS_IDLE_DAYS, d, h, m).GetText());
    else if (h == 0)
        m_items.SetText(IDC_SET_IDLE_TEXT, MString(ResId(IDS_UNIT_MINUTES)).GetText());
    else
        m_items.SetText(IDC_SET_IDLE_TEXT, MString(sX::Format(), IDS_IDLE_HOURS, h, m).GetText());
}

void ScreenSaverControls::TakeIdleTime()
{
    unsigned __int64 minutes = 0;
    const bool number = m_items.Number(IDC_SET_IDLE, minutes);
    ShowIdleText(minutes, number);
    if (m_idleBusy || !number)
        return;
    if (minutes < FewestIdleMinutes)
    {
        m_idleSeconds = PerformanceData::MinIdleSeconds;
        m_items.SetText(IDC_SET_IDLE, Decimal(FewestIdleMinutes).GetText());
    }
    else if (minutes > MostIdleMinutes)
    {
        m_idleSeconds = PerformanceData::MaxIdleSeconds;
        m_items.SetText(IDC_SET_IDLE, Decimal(MostIdleMinutes).GetText());
    }
    else
        m_idleSeconds = minutes * 60;
}

void ScreenSaverControls::TakeLock() { m_lock = m_items.IsChecked(IDC_SET_LOCK); }

int ScreenSaverControls::Refusal(const MString& productName, MString& message) const
{
    if (m_mode == 0)
        return 0;
    unsigned __int64 minutes = 0;
    if (m_items.Text(IDC_SET_IDLE).IsEmpty())
        message = MString(sX::Format(), IDS_IDLE_EMPTY, productName.GetText());
    else if (!m_items.Number(IDC_SET_IDLE, minutes) || minutes < FewestIdleMinutes || minutes > MostIdleMinutes)
        message = MString(sX::Format(), IDS_IDLE_RANGE, Decimal(FewestIdleMinutes).GetText(),
                          Decimal(MostIdleMinutes).GetText());
    else
        return 0;
    return IDC_SET_IDLE;
}

void ScreenSaverControls::Apply(PerformanceData& settings) const
{
    settings.screenSaverMode = static_cast<Screen_saver_mode>(m_items.SelectedValue(IDC_SET_SCREEN_SAVER));
    if (settings.screenSaverMode == Screen_saver_mode::Off)
        return;
    unsigned __int64 minutes = 0;
    m_items.Number(IDC_SET_IDLE, minutes);
    settings.idleSeconds = std::min(std::max(minutes, FewestIdleMinutes), MostIdleMinutes) * 60;
    settings.lockOnScreenSaverEnd = m_items.IsChecked(IDC_SET_LOCK);
}
