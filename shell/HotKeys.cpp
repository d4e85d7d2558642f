#include "shell/HotKeys.h"

#include "resources/languages/LanguageIds.h"

namespace
{
void Add(AllowedKeyTable& table, unsigned char key, const MString& name)
{
    table.Add(new AllowedKeyTable::Entry(key, name));
}

MString Named(unsigned id) { return MString(ResId(id)); }
}

void BuildAllowedKeys(AllowedKeyTable& table)
{
    table.Clear();
    Add(table, 0, Named(IDS_KEY_NONE));
    for (unsigned char key = '0'; key <= '9'; ++key)
        Add(table, key, MString(sX::Format(), L"%c", key));
    for (unsigned char key = 'A'; key <= 'Z'; ++key)
        Add(table, key, MString(sX::Format(), L"%c", key));
    Add(table, VK_ESCAPE, MString(L"Esc"));
    for (unsigned char key = VK_F1; key <= VK_F24; ++key)
        Add(table, key, MString(sX::Format(), L"F%u", static_cast<unsigned>(key - VK_F1 + 1)));
    const struct
    {
        unsigned char key;
        const wchar_t* name;
    } named[] = {{VK_SNAPSHOT, L"Print Screen"}, {VK_SCROLL, L"Scroll Lock"}, {VK_PAUSE, L"Pause"},
                 {VK_INSERT, L"Ins"},           {VK_DELETE, L"Del"},         {VK_HOME, L"Home"},
                 {VK_END, L"End"},              {VK_PRIOR, L"Page Up"},      {VK_NEXT, L"Page Down"}};
    for (const auto& n : named)
        Add(table, n.key, MString(n.name));
    Add(table, VK_RIGHT, Named(IDS_KEY_RIGHT));
    Add(table, VK_LEFT, Named(IDS_KEY_LEFT));
    Add(table, VK_UP, Named(IDS_KEY_UP));
    Add(table, VK_DOWN, Named(IDS_KEY_DOWN));
    Add(table, VK_NUMLOCK, MString(L"Num Lock"));
    for (unsigned char key = VK_NUMPAD0; key <= VK_NUMPAD9; ++key)
        Add(table, key, MString(sX::Format(), IDS_KEY_NUMPAD, MString(sX::Format(), L"%c", '0' + key - VK_NUMPAD0).GetText()));
    const struct
    {
        unsigned char key;
        const wchar_t* name;
    } keypad[] = {{VK_DIVIDE, L"/"}, {VK_MULTIPLY, L"*"}, {VK_SUBTRACT, L"-"}, {VK_ADD, L"+"}, {VK_DECIMAL, L"."}};
    for (const auto& k : keypad)
        Add(table, k.key, MString(sX::Format(), IDS_KEY_NUMPAD, k.name));
    const struct
    {
        unsigned char key;
        const wchar_t* name;
    } oem[] = {{0xBB, L"+"},  {0xBC, L","},  {0xBD, L"-"},  {0xBE, L"."},  {0xBA, L";:"}, {0xBF, L"/?"},
               {0xC0, L"`~"}, {0xDB, L"[{"}, {0xDC, L"\\|"}, {0xDD, L"]}"}, {0xDE, L"'\""}};
    for (const auto& k : oem)
        Add(table, k.key, MString(k.name));
    const struct
    {
        unsigned char key;
        unsigned name;
    } texts[] = {{0xDF, IDS_KEY_OEM_8},       {VK_BACK, IDS_KEY_BACKSPACE}, {VK_SPACE, IDS_KEY_SPACE},
                 {VK_TAB, IDS_KEY_TAB},       {VK_RETURN, IDS_KEY_ENTER},   {VK_PRINT, IDS_KEY_PRINT},
                 {VK_SELECT, IDS_KEY_SELECT}, {VK_CLEAR, IDS_KEY_CLEAR},  {VK_EXECUTE, IDS_KEY_EXECUTE},
                 {VK_HELP, IDS_KEY_HELP},     {VK_APPS, IDS_KEY_APPS}};
    for (const auto& k : texts)
        Add(table, k.key, Named(k.name));
    // The browser, volume, media and launch keys.
    for (unsigned char key = VK_BROWSER_BACK; key <= VK_LAUNCH_APP2; ++key)
        Add(table, key, Named(IDS_KEY_BROWSER_FIRST + (key - VK_BROWSER_BACK)));
}

HotKeys::HotKeys() : m_lastPressTick(GetTickCount() - RepeatGap)
{
    BuildAllowedKeys(m_allowedKeys);
}

int HotKeys::Find(unsigned char key) const
{
    if (key == 0)
        return 0;
    for (int id = FirstHotKeyId; id <= LastHotKeyId; ++id)
        if (m_stored[id].first == key)
            return id;
    return 0;
}
