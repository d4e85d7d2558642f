// The balloon tips of the settings dialog's controls, one tip window per
// control, shown one at a time.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <array>

class SettingsToolTips
{
public:
    // productName goes into the texts that name the program.
    explicit SettingsToolTips(const MString& productName);
    ~SettingsToolTips();
    SettingsToolTips(const SettingsToolTips&) = delete;
    SettingsToolTips& operator=(const SettingsToolTips&) = delete;

    void Create(HWND dialog);
    void Destroy();

    // When shown is one of these tips, closes every other one and answers
    // true; false for any other window.
    bool PopOthers(HWND shown);
    // Gives the tip of the dialog's control a new text.
    void SetText(HWND dialog, int control, const MString& text);

private:
    static constexpr size_t Count = 15;

    struct ToolTip
    {
        int control;
        HWND window;
        MString text;
    };
    std::array<ToolTip, Count> m_tips;
};
