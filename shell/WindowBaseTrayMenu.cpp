// CWindowBase: the tray menu, built afresh for every request from the
// notification-area icon or the main window's context menu. Every entry is
// an owner-drawn entry with a program icon and a language-module text; the
// chosen entry reaches the command table as WM_COMMAND.
#include "shell/WindowBase.h"

#include "foundation/ShellHelpers.h"
#include "core/OwnerDrawMenu.h"
#include "core/ProgramObjects.h"

#include <vector>

namespace
{
// Menu flags of the entries.
constexpr UINT Enabled = MF_ENABLED;
constexpr UINT Greyed = MF_GRAYED | MF_DISABLED;
// Cannot be chosen, but drawn in normal colours (the title line).
constexpr UINT Inert = MF_DISABLED;
// State bits of OwnerDrawMenuItem::CreateWithShortcut.
constexpr DWORD EntryState = 0x2;
constexpr DWORD TitleState = 0x22;
// The confirming entries of the file-operation popups carry a blank
// shortcut, which keeps their labels clear of the submenu arrow.
constexpr const wchar_t* ConfirmShortcut = L" ";

// Slide kinds (the main window's SlideKind) that the menu tells apart.
constexpr DWORD LocalFileBit = 0x80000000u;
constexpr DWORD RestrictedBit = 0x40000000u;
constexpr DWORD FilePictureKind = 0x80000001u;
constexpr DWORD HeldFilePictureKind = 0xC0000001u;
constexpr DWORD FileMediaKind = 0x80000002u;
constexpr DWORD FileRichTextKind = 0x80000004u;
constexpr DWORD FileWebDocumentKind = 0x80000008u;

// The operation modes other than these bits show and hide the window by
// turns: the menu offers pause and resume there instead of show.
constexpr DWORD ModeBitsIgnored = 0x1000000u | 0x4000000u;

// The title line carries the viewer's id but can never be chosen.
constexpr WORD TitleLineId = ID_REOPEN_VIEWER;

bool IsDialogOpen(const wchar_t* key)
{
    MHandle mutex(OpenMutexW(SYNCHRONIZE, TRUE, DialogMutexName(key).GetText()));
    return mutex.IsValid();
}

}

OpenDialogFacts ProbeOpenDialogs()
{
    OpenDialogFacts open;
    for (const wchar_t* key :
         {L"VIEWER_CShowLargePhotoDlg", L"VIEWER_CMediaPlayer2Dlg", L"VIEWER_CRichTextDlg", L"VIEWER_CBrowserDlg"})
        open.viewer = IsDialogOpen(key) || open.viewer;
    open.slideProperties = IsDialogOpen(L"CSlidePropsDlg");
    for (const wchar_t* key : {L"CSettingsDlg", L"CSelectedFiles", L"CAboutBoxDlg", L"CheckForNewReleaseDlg"})
        open.controllerDialog = IsDialogOpen(key) || open.controllerDialog;
    open.any = open.viewer || open.slideProperties || open.controllerDialog;
    return open;
}

namespace
{
// The content selector of QueryShellVerbs for a file kind.
ShellVerbFileKind ShellVerbContent(DWORD kind)
{
    switch (kind)
    {
    case FileMediaKind:
        return VerbsForMedia;
    case FileRichTextKind:
    case FileWebDocumentKind:
        return VerbsForDocument;
    default:
        return VerbsForPicture;
    }
}

bool IsLinkText(const MString& link, const wchar_t* word)
{
    return link.EqualsNoCase(MString(word));
}
}

// The menus of one request and the entries that draw them. Submenus that
// were attached to a parent go with the top menu.
class TrayMenuBuilder
{
public:
    explicit TrayMenuBuilder(HMODULE icons) : m_icons(icons) {}
    TrayMenuBuilder(const TrayMenuBuilder&) = delete;
    TrayMenuBuilder& operator=(const TrayMenuBuilder&) = delete;
    ~TrayMenuBuilder()
    {
        m_items.Clear();
        DestroyPopupMenu(top);
        for (OwnerDrawMenu* attached : m_attached)
            attached->menu = nullptr;
    }

    void Entry(OwnerDrawMenu& menu, UINT flags, WORD id, int icon, UINT text, DWORD state = EntryState,
               const wchar_t* shortcut = nullptr)
    {
        OwnerDrawMenuItem::CreateWithShortcut(m_items, menu, flags, id, m_icons, icon, state,
                                              MString(ResId(text)).GetText(), shortcut);
    }
    void Entry(OwnerDrawMenu& menu, UINT flags, WORD id, int icon, const MString& label, DWORD state)
    {
        OwnerDrawMenuItem::CreateWithShortcut(m_items, menu, flags, id, m_icons, icon, state, label.GetText(),
                                              nullptr);
    }
    void Popup(OwnerDrawMenu& parent, UINT flags, OwnerDrawMenu& submenu, int icon, UINT text,
               const wchar_t* shortcut = nullptr)
    {
        OwnerDrawMenuItem::CreateWithShortcut(m_items, parent, flags | MF_POPUP,
                                              reinterpret_cast<UINT_PTR>(submenu.menu), m_icons, icon, EntryState,
                                              MString(ResId(text)).GetText(), shortcut);
        m_attached.push_back(&submenu);
    }
    void Separator(OwnerDrawMenu& menu) { OwnerDrawMenuItem::CreateSeparator(m_items, menu); }
    // An advert entry: the advert's own text, no shortcut.
    void Plain(OwnerDrawMenu& menu, UINT_PTR id, int icon, const MString& label)
    {
        OwnerDrawMenuItem::CreatePlain(m_items, menu, id, m_icons, icon, label.GetText());
    }
    // An advert section's title line in the style its document asks for.
    void Styled(OwnerDrawMenu& menu, UINT flags, UINT_PTR id, int icon, const MString& label, bool bold,
                bool italic, bool underline, bool normalHeight)
    {
        OwnerDrawMenuItem::CreateStyled(m_items, menu, flags, id, m_icons, icon, label.GetText(), bold, italic,
                                        underline, normalHeight);
    }

    OwnerDrawMenu top, currentFile, rotate, fileOperations, removeFromGallery, recycle, wipe, open, send;

    bool CreateMenus()
    {
        for (OwnerDrawMenu* menu :
             {&top, &currentFile, &rotate, &fileOperations, &removeFromGallery, &recycle, &wipe, &open, &send})
            if (!menu->Create())
                return false;
        return true;
    }

private:
    HMODULE m_icons;
    OwnerDrawMenuItem::Storage m_items;
    std::vector<OwnerDrawMenu*> m_attached;
};

void CWindowBase::ShowTrayMenu(bool fromTray, bool atPoint, int x, int y, UINT trackFlags)
{
    if (WaitForSingleObject(m_shared->events.MainWindowReadyEvent, 0) != WAIT_OBJECT_0)
    {
        ShowWaitWindowAtCursor();
        return;
    }
    SemaphoreGuard building(MenuBuildGuard, SemaphoreGuard::Take::Try);
    if (!building.IsHeld())
        return;

    const OpenDialogFacts open = ProbeOpenDialogs();
    const TrayMenuFacts facts = CaptureForTrayMenu();

    // In the modes that restore themselves, the window comes to the front.
    SendToMainWindow(WM_RESTORE_TO_FRONT, 0, 0);

    TrayMenuBuilder menus(GetModuleHandleW(nullptr));
    if (!menus.CreateMenus())
        return;
    OwnerDrawMenu& top = menus.top;
    const UINT dialogEntry = open.any ? Greyed : Enabled;

    if (!facts.mainVisible)
    {
        const UINT title = !facts.modeAllowsShowHide && facts.timerPaused ? IDS_MENU_TITLE_PAUSED : IDS_MENU_TITLE;
        menus.Entry(top, Inert, TitleLineId, IDI_PROGRAM,
                    MString(sX::Format(), title, MString(ResId(IDS_PRODUCT_NAME)).GetText()), TitleState);
    }
    if (IsNewReleaseSet())
    {
        menus.Entry(top, dialogEntry, ID_CHECK_FOR_NEW_RELEASE, IDI_MENU_NEW_RELEASE, IDS_MENU_NEW_RELEASE);
        menus.Separator(top);
    }
    AppendMenuAdverts(fromTray, true, menus, top);
    if (facts.mainVisible)
        AppendSlideSection(menus, open, facts);
    menus.Entry(top, open.any || !facts.gallerySelection ? Greyed : Enabled, ID_NEXT_SLIDE, IDI_MENU_NEXT_SLIDE,
                IDS_MENU_NEXT_SLIDE);
    menus.Entry(top, open.any || !facts.otherSlides ? Greyed : Enabled, ID_NEXT_LOCAL_SLIDE,
                IDI_MENU_NEXT_LOCAL_SLIDE, IDS_MENU_NEXT_LOCAL_SLIDE);
    menus.Separator(top);
    menus.Entry(top, dialogEntry, ID_GALLERIES, IDI_MENU_GALLERIES, IDS_MENU_GALLERIES);
    menus.Entry(top, dialogEntry, ID_SETTINGS, IDI_MENU_SETTINGS, IDS_MENU_SETTINGS);
    menus.Separator(top);
    menus.Entry(top, dialogEntry, ID_ABOUT, IDI_MENU_ABOUT, IDS_MENU_ABOUT);
    menus.Entry(top, Enabled, ID_HELP, IDI_MENU_HELP, IDS_MENU_HELP);
    menus.Separator(top);
    AppendMenuAdverts(fromTray, false, menus, top);
    if (m_trayIcon.IsPresent())
        AppendMenuSection(menus, top, facts.mainVisible, facts.modeAllowsShowHide, facts.timerPaused);
    menus.Entry(top, Enabled, ID_QUIT, IDI_MENU_EXIT, IDS_MENU_EXIT);

    m_menuLoopCount = 1;
    m_menuFromTray = fromTray;
    SetForegroundWindow(m_hWnd);
    TrackPopupMenuAtCursor(top, m_hWnd, atPoint, x, y, trackFlags);
    // Closes the menu properly when the user clicks elsewhere.
    PostMessage(WM_NULL);
}

void CWindowBase::CaptureCommandTarget()
{
    const MainWindowSnapshot& state = m_shared->mainWindowSnapshot;
    Lock slide(m_shared->slideLock);
    m_commandTarget.Capture(state.shown.kind, state.shown.path, state.shown.identity, state.shown.link);
}

TrayMenuFacts CWindowBase::CaptureForTrayMenu()
{
    TrayMenuFacts facts;
    {
        // One hold of the slide lock for the target and the facts.
        Lock slide(m_shared->slideLock);
        const SlideSnapshot snapshot = TakeSlideSnapshot();
        facts.overlayAdvert =
            PickOverlayAdvertForMenu(m_shared->adverts.OverlayAdverts(), m_shared->adverts.OverlayContext(),
                                     IsDialogOpen(L"VIEWER_CShowLargePhotoDlg"), SecondsSince1970(), facts.overlay);
        facts.mainVisible = m_mainWindow && ::IsWindowVisible(m_mainWindow);
        facts.gallerySelection = snapshot.hasGallerySelection;
        facts.otherSlides = snapshot.hasOtherSlides;
        facts.timerPaused = snapshot.paused;
    }
    facts.modeAllowsShowHide = (m_shared->mainWindowSnapshot.operationMode.load() & ~ModeBitsIgnored) == 0;
    return facts;
}

void CWindowBase::AppendSlideSection(TrayMenuBuilder& menus, const OpenDialogFacts& open, const TrayMenuFacts& facts)
{
    OwnerDrawMenu& top = menus.top;
    const LONG kind = m_commandTarget.Kind();
    const bool localFile = m_commandTarget.IsLocalFile();
    const bool online = kind > 0 && !localFile;
    const MString& link = m_commandTarget.Link();
    const bool offersLink = !link.IsEmpty() && !IsLinkText(link, L"omitted");
    const UINT linkFlags = IsLinkText(link, L"disabled") ? Greyed : Enabled;

    if (open.controllerDialog)
    {
        // The section keeps its shape but offers nothing to do.
        menus.Entry(top, Greyed, ID_REOPEN_VIEWER, IDI_MENU_OPEN_VIEWER, IDS_MENU_OPEN_VIEWER);
        if (online)
        {
            menus.Entry(top, Greyed, ID_SLIDE_PROPERTIES, IDI_MENU_SLIDE_PROPERTIES, IDS_MENU_SLIDE_PROPERTIES);
            if (offersLink)
                menus.Entry(top, linkFlags, ID_SLIDE_ADVERT, IDI_MENU_SLIDE_ADVERT, IDS_MENU_SLIDE_ADVERT);
        }
        if (localFile)
            menus.Popup(top, Greyed, menus.currentFile, IDI_MENU_CURRENT_FILE, IDS_MENU_CURRENT_FILE);
    }
    else
    {
        if (open.viewer)
            menus.Entry(top, Enabled, ID_CLOSE_VIEWER, IDI_MENU_CLOSE_VIEWER, IDS_MENU_CLOSE_VIEWER);
        else
            menus.Entry(top, Enabled, ID_REOPEN_VIEWER, IDI_MENU_OPEN_VIEWER, IDS_MENU_OPEN_VIEWER);
        if (online)
        {
            if (open.slideProperties)
                menus.Entry(top, Enabled, ID_CLOSE_SLIDE_PROPERTIES, IDI_MENU_CLOSE_SLIDE_PROPERTIES,
                            IDS_MENU_CLOSE_SLIDE_PROPERTIES);
            else
                menus.Entry(top, Enabled, ID_SLIDE_PROPERTIES, IDI_MENU_SLIDE_PROPERTIES, IDS_MENU_SLIDE_PROPERTIES);
            if (offersLink)
                menus.Entry(top, linkFlags, ID_SLIDE_ADVERT, IDI_MENU_SLIDE_ADVERT, IDS_MENU_SLIDE_ADVERT);
        }
        if (localFile)
        {
            AppendCurrentFileMenu(menus);
            menus.Popup(top, Enabled, menus.currentFile, IDI_MENU_CURRENT_FILE, IDS_MENU_CURRENT_FILE);
        }
    }
    if (facts.overlayAdvert)
    {
        const OverlayMenuEntry& overlay = facts.overlay;
        menus.Separator(top);
        if (overlay.hasTitle)
            menus.Styled(top, Inert, 0, overlay.icon ? IDI_MENU_ADVERT_TITLE : 0, overlay.title, overlay.bold,
                         overlay.italic, overlay.underlined, overlay.normalHeight);
        menus.Plain(top, ID_OVERLAY_ADVERT, IDI_MENU_OVERLAY_ADVERT, overlay.text);
    }
    menus.Separator(top);
}

void CWindowBase::AppendCurrentFileMenu(TrayMenuBuilder& menus)
{
    const MString& file = m_commandTarget.File();
    const DWORD kind = static_cast<DWORD>(m_commandTarget.Kind());
    const DWORD attributes = GetFileAttributesW(file.GetText());
    const bool fileExists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    const bool readOnly = fileExists && (attributes & FILE_ATTRIBUTE_READONLY);
    const bool rotatable = fileExists && !readOnly && kind == FilePictureKind;
    const bool restricted = (kind & RestrictedBit) != 0;
    const UINT fileState = fileExists ? Enabled : Greyed;
    bool canOpen = false, canPlay = false, canEdit = false, canExplore = false, canPrint = false;
    QueryShellVerbs(file.AfterLast(L'.', false), kind == HeldFilePictureKind ? VerbsForPicture : ShellVerbContent(kind), canOpen,
                    canPlay, canEdit, canExplore, canPrint);

    OwnerDrawMenu& menu = menus.currentFile;
    if (readOnly)
    {
        menus.Entry(menu, Enabled, ID_CLEAR_READ_ONLY, IDI_MENU_CLEAR_READ_ONLY, IDS_MENU_CLEAR_READ_ONLY);
        menus.Separator(menu);
    }

    OwnerDrawMenu& rotate = menus.rotate;
    menus.Entry(rotate, Enabled, ID_ROTATE_90, IDI_MENU_ROTATE_RIGHT, IDS_MENU_ROTATE_RIGHT);
    menus.Entry(rotate, Enabled, ID_ROTATE_180, IDI_MENU_ROTATE_HALF, IDS_MENU_ROTATE_HALF);
    menus.Entry(rotate, Enabled, ID_ROTATE_270, IDI_MENU_ROTATE_LEFT, IDS_MENU_ROTATE_LEFT);
    menus.Separator(rotate);
    menus.Entry(rotate, Enabled, ID_ROTATE_270, IDI_MENU_TURN_LEFT, IDS_MENU_TURN_LEFT);
    menus.Entry(rotate, Enabled, ID_ROTATE_180, IDI_MENU_TURN_HALF, IDS_MENU_TURN_HALF);
    menus.Entry(rotate, Enabled, ID_ROTATE_90, IDI_MENU_TURN_RIGHT, IDS_MENU_TURN_RIGHT);
    menus.Separator(rotate);
    menus.Entry(rotate, Enabled, ID_ROTATION_HELP, IDI_MENU_ROTATION_HELP, IDS_MENU_ROTATION_HELP);
    menus.Popup(menu, rotatable ? Enabled : Greyed, rotate, IDI_MENU_ROTATE, IDS_MENU_ROTATE);

    OwnerDrawMenu& operations = menus.fileOperations;
    menus.Entry(menus.removeFromGallery, Enabled, ID_REMOVE_FROM_GALLERY, IDI_MENU_REMOVE_FROM_GALLERY,
                IDS_MENU_REMOVE_CONFIRM);
    menus.Popup(operations, Enabled, menus.removeFromGallery, IDI_MENU_REMOVE_FROM_GALLERY,
                IDS_MENU_REMOVE_FROM_GALLERY, ConfirmShortcut);
    menus.Entry(menus.recycle, Enabled, ID_RECYCLE_FILE, IDI_MENU_RECYCLE, IDS_MENU_RECYCLE_CONFIRM);
    menus.Popup(operations, Enabled, menus.recycle, IDI_MENU_RECYCLE, IDS_MENU_RECYCLE, ConfirmShortcut);
    menus.Entry(menus.wipe, Enabled, ID_WIPE_FILE, IDI_MENU_WIPE, IDS_MENU_WIPE_CONFIRM);
    menus.Popup(operations, Enabled, menus.wipe, IDI_MENU_WIPE, IDS_MENU_WIPE, ConfirmShortcut);
    menus.Popup(menu, fileState, operations, IDI_MENU_FILE_OPERATIONS, IDS_EDIT_DELETE);

    menus.Entry(menus.open, fileState, ID_SHOW_IN_FOLDER, IDI_MENU_SHOW_IN_FOLDER, IDS_MENU_SHOW_IN_FOLDER);
    menus.Entry(menus.open, Enabled, ID_SHOW_IN_GALLERY, IDI_MENU_SHOW_IN_GALLERY, IDS_MENU_SHOW_IN_GALLERY);
    menus.Popup(menu, Enabled, menus.open, IDI_MENU_OPEN, IDS_MENU_OPEN);

    menus.Entry(menus.send, fileState, ID_SEND_FILE, IDI_MENU_SEND_MAIL, IDS_MENU_SEND_MAIL);
    menus.Popup(menu, Enabled, menus.send, IDI_MENU_SEND, IDS_MENU_SEND);
    menus.Separator(menu);

    menus.Entry(menu, fileExists && canEdit && !restricted ? Enabled : Greyed, ID_EDIT_FILE, IDI_MENU_EDIT,
                IDS_MENU_EDIT);
    menus.Entry(menu, fileExists && !restricted ? Enabled : Greyed, ID_OPEN_WITH, IDI_MENU_OPEN_WITH,
                IDS_MENU_OPEN_WITH);
    menus.Entry(menu, fileExists && canPrint && !restricted ? Enabled : Greyed, ID_PRINT_FILE, IDI_MENU_PRINT,
                IDS_MENU_PRINT);
    menus.Separator(menu);
    menus.Entry(menu, fileState, ID_FILE_PROPERTIES, IDI_MENU_PROPERTIES, IDS_MENU_PROPERTIES);
}

void CWindowBase::AppendMenuSection(TrayMenuBuilder& menus, OwnerDrawMenu& menu, bool mainVisible,
                                    bool modeAllowsShowHide, bool timerPaused)
{
    if (mainVisible)
        menus.Entry(menu, Enabled, ID_HIDE_MAIN_WINDOW, IDI_MENU_HIDE, IDS_MENU_HIDE);
    else if (modeAllowsShowHide)
        menus.Entry(menu, Enabled, ID_SHOW_MAIN_WINDOW, IDI_MENU_SHOW, IDS_MENU_SHOW);
    else if (timerPaused)
        menus.Entry(menu, Enabled, ID_RESUME, IDI_MENU_RESUME, IDS_MENU_RESUME);
    else
        menus.Entry(menu, Enabled, ID_PAUSE, IDI_MENU_PAUSE, IDS_MENU_PAUSE);
    menus.Separator(menu);
}

void CWindowBase::AppendMenuAdverts(bool fromTray, bool topCall, TrayMenuBuilder& menus, OwnerDrawMenu& menu)
{
    // The section stands at the top call (placement 0), the bottom call (1),
    // or at the top of the menu from the icon and the bottom of the context
    // menu (2). Without a usable document the placement is 2 and the site
    // entry is shown.
    Menu_Adverts& adverts = m_shared->adverts.MenuAdverts();
    const bool usable = adverts.flag == 0 && adverts.Enabled;
    const DWORD placement = usable ? adverts.Position : MenuAdvertsDynamic;
    const bool here = placement == MenuAdvertsTop     ? topCall
                      : placement == MenuAdvertsMid     ? !topCall
                      : placement == MenuAdvertsDynamic ? topCall == fromTray
                                                        : false;
    if (!here)
        return;
    if (!usable || adverts.Web_Home_App_Default)
    {
        menus.Entry(menu, Enabled, ID_VISIT_SITE, IDI_MENU_VISIT_SITE, IDS_MENU_VISIT_SITE);
        menus.Separator(menu);
    }
    if (usable && !adverts.Title_Text.IsEmpty())
    {
        m_shared->adverts.SetMenuLink(adverts.Title_URL);
        menus.Styled(menu, adverts.Title_URL.IsEmpty() ? Inert : Enabled, ID_MENU_ADVERTS_LINK,
                     adverts.Title_Icon ? IDI_MENU_ADVERT_TITLE : 0, adverts.Title_Text, adverts.Title_Bold,
                     adverts.Title_Italic, adverts.Title_Underlined, adverts.Title_Normal_Height);
        if (adverts.Title_Has_Separator)
            menus.Separator(menu);
    }
    MList<Current_menu_adverts>& shown = m_shared->adverts.CurrentMenuAdverts();
    SelectMenuAdverts(adverts, shown);
    for (unsigned __int64 i = 0; i < shown.GetCount(); ++i)
    {
        const Current_menu_adverts& entry = *shown.GetAt(i);
        menus.Plain(menu, entry.commandId, static_cast<int>(entry.iconId), entry.title);
    }
    if (!shown.IsEmpty())
        menus.Separator(menu);
    m_shared->adverts.Stats().StoreMenuAdvertStats(adverts);
}
