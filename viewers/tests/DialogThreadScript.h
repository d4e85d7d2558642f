// Scripts a viewer from its own thread: the script runs once, from inside the
// modal loop the thread runs next, as soon as a visible dialog of the thread
// exists. Calls into the viewer object (the events its controls would fire)
// then happen on the thread the controls fire them on.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class DialogThreadScript
{
public:
    // owner: when given, only a dialog that window owns is the script's.
    explicit DialogThreadScript(std::function<void(HWND dialog)> script, HWND owner = nullptr)
        : m_script(std::move(script)), m_owner(owner)
    {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 20, &DialogThreadScript::Tick);
    }
    DialogThreadScript(const DialogThreadScript&) = delete;
    DialogThreadScript& operator=(const DialogThreadScript&) = delete;
    ~DialogThreadScript()
    {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }

    bool Ran() const { return m_ran; }

    // The first visible dialog of this thread (owned by owner, when given), or null.
    static HWND FindDialog(HWND owner = nullptr)
    {
        struct Search
        {
            HWND owner;
            HWND found;
        } search{owner, nullptr};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM out) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(out);
                wchar_t name[16] = {};
                GetClassNameW(window, name, 16);
                if (IsWindowVisible(window) && lstrcmpW(name, L"#32770") == 0 &&
                    (!s.owner || GetWindow(window, GW_OWNER) == s.owner))
                {
                    s.found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DialogThreadScript* self = s_current;
        if (!self || self->m_ran)
            return;
        HWND dialog = FindDialog(self->m_owner);
        if (!dialog)
            return;
        self->m_ran = true;
        self->m_script(dialog);
    }

    static inline DialogThreadScript* s_current = nullptr;
    std::function<void(HWND)> m_script;
    HWND m_owner = nullptr;
    UINT_PTR m_timer = 0;
    bool m_ran = false;
};
