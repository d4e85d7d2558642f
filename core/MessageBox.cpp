#include "core/MessageBox.h"

#include "foundation/StringEx.h"
#include "foundation/Sync.h"
#include "resources/languages/LanguageIds.h"
#include "foundation/SystemUtilities.h"
#include "foundation/WindowPlacement.h"
#include "core/CrashReport.h"
#include "core/Language.h"
#include "core/PrivateMessages.h"

#include <memory>
#include <vector>

namespace
{
// Each thread removes the hook that its own box installed.
thread_local HHOOK t_hook = nullptr;

const wchar_t* const EnglishCaptions[] = {L"OK", L"Cancel", L"Abort", L"Retry", L"Ignore",
                                          L"Yes", L"No", L"Close", L"Help"};

// The button's caption without "&"; false when it does not answer in 100 ms.
bool ReadCaption(HWND button, std::vector<wchar_t>& caption)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(button, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 100, &length))
        return false;
    std::vector<wchar_t> text(length + 1, 0);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(button, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             100, &copied))
        return false;
    caption.clear();
    for (wchar_t c : text)
        if (c != L'&')
            caption.push_back(c);
    return true;
}
}

int LocalizedMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags)
{
    t_hook = SetWindowsHookExW(WH_CBT, &MessageBoxCbtHookProc, nullptr, GetCurrentThreadId());
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    const int result = MessageBoxW(owner, text, caption, flags);
    // A box that was never activated (it could not be created) leaves its
    // hook behind, which would act on the thread's next window.
    if (t_hook)
    {
        UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }
    SetCursor(previous);
    return result;
}

void ShowRequestedMessageBox(MHandle& guard, const wchar_t* caption, WPARAM wParam, LPARAM lParam)
{
    const std::unique_ptr<MString> text = TakeMessageBoxRequest(wParam);
    SemaphoreGuard box(guard, SemaphoreGuard::Take::Try);
    if (box.IsHeld() && text)
        LocalizedMessageBox(GetDesktopWindow(), text->GetText(), caption, static_cast<UINT>(lParam));
}

LRESULT CALLBACK MessageBoxCbtHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0)
        return CallNextHookEx(t_hook, code, wParam, lParam);
    if (code != HCBT_ACTIVATE)
        return 0;
    HWND box = reinterpret_cast<HWND>(wParam);
    // No exception may cross into the system's hook chain: a box that cannot
    // be placed or relabelled stays as the system made it.
    NoThrow(0, [&] {
        CenterWindowOnParent(box);
        Pair<bool, bool> state(false, false);
        EnumChildWindows(box, &LocalizeMessageBoxButtons, reinterpret_cast<LPARAM>(&state));
        return 0;
    });
    UnhookWindowsHookEx(t_hook);
    t_hook = nullptr;
    return 0;
}

BOOL CALLBACK LocalizeMessageBoxButtons(HWND child, LPARAM lParam)
{
    // No exception may cross the system's enumeration: a caption that cannot
    // be read or is missing from the language module leaves the button as
    // it is.
    return NoThrow(TRUE, [&] {
        Pair<bool, bool>& state = *reinterpret_cast<Pair<bool, bool>*>(lParam);
        wchar_t className[101] = {};
        if (!GetClassNameW(child, className, 101) || lstrcmpiW(className, L"Button") != 0)
            return TRUE;
        const int id = GetDlgCtrlID(child);
        if (!state.first)
        {
            state.first = true;
            std::vector<wchar_t> caption;
            if (id >= IDOK && id <= IDHELP && UiLanguage != LanguageEnglish && ReadCaption(child, caption))
            {
                const wchar_t* english = EnglishCaptions[id - 1];
                state.second = lstrcmpiW(caption.data(), english) == 0;
            }
        }
        if (state.second && id >= IDOK && id <= IDHELP)
            SetWindowTextW(child, MStringEx<wchar_t>(ResId(static_cast<unsigned>(IDS_BUTTON_OK + id - IDOK))).GetText());
        return TRUE;
    });
}
