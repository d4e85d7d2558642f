#include "standins/atl/AtlWindow.h"
#include "standins/atl/tests/AtlTestIds.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace
{

const UINT WM_TEST_END = WM_APP + 1;
const UINT WM_TEST_ANSWER = WM_APP + 2;
const UINT WM_TEST_DECLINE = WM_APP + 3;
const UINT WM_TEST_THROW = WM_APP + 4;
const UINT WM_TEST_ALTERNATE = WM_APP + 5;
const UINT WM_TEST_RANGE_FIRST = WM_APP + 10;
const UINT WM_TEST_RANGE_LAST = WM_APP + 12;

std::wstring ModuleFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\'));
}

// The test templates live in a module of their own, as the program's live in
// the language module.
class TemplateModule
{
public:
    TemplateModule() : m_module(LoadLibraryW((ModuleFolder() + L"\\atl test templates.dll").c_str()))
    {
        m_previous = m_atl.SetResourceInstance(m_module);
    }
    ~TemplateModule()
    {
        m_atl.SetResourceInstance(m_previous);
        if (m_module)
            FreeLibrary(m_module);
    }
    HMODULE Get() const { return m_module; }

private:
    ATL::CAtlModule m_atl;
    HMODULE m_module;
    HINSTANCE m_previous;
};

class TestDlg : public ATL::CDialogImpl<TestDlg>
{
public:
    enum
    {
        IDD = IDD_ATL_TEST
    };

    std::function<void(TestDlg&)> onInit;
    std::vector<std::wstring> log;
    LPARAM initParam = -1;
    bool sawMessageBeforeInit = false;
    bool initDone = false;
    HWND finalWindow = nullptr;
    UINT registeredMessage = RegisterWindowMessageW(L"Quillory atl test registered message");
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));

    static const ATL::MessageMap<TestDlg>& GetMessageMap()
    {
        static const ATL::MessageMap<TestDlg> map = ATL::MessageMap<TestDlg>()
            .Message(WM_INITDIALOG, &TestDlg::OnInitDialog)
            .Message(WM_SETFONT, &TestDlg::OnSetFont)
            .Message(WM_TEST_END, &TestDlg::OnEnd)
            .Message(WM_TEST_DECLINE, &TestDlg::OnDecline)
            .Message(WM_TEST_DECLINE, &TestDlg::OnDeclineFallback)
            .Message(WM_TEST_ANSWER, &TestDlg::OnAnswer)
            .Message(WM_TEST_THROW, &TestDlg::OnThrow)
            .MessageRange(WM_TEST_RANGE_FIRST, WM_TEST_RANGE_LAST, &TestDlg::OnRange)
            .RegisteredMessage(&TestDlg::registeredMessage, &TestDlg::OnRegistered)
            .Message(WM_CTLCOLORDLG, &TestDlg::OnColor)
            .Command(IDC_ATL_TEST_BUTTON, BN_CLICKED, &TestDlg::OnButtonClicked)
            .Command(IDC_ATL_TEST_BUTTON, &TestDlg::OnButtonOther)
            .CommandRange(3000, 3009, 0, &TestDlg::OnCommandRange)
            .Notify(IDC_ATL_TEST_EDIT, 77, &TestDlg::OnNotifyCode)
            .NotifyRange(4000, 4009, ATL::MessageMap<TestDlg>::AnyCode, &TestDlg::OnNotifyRange)
            .Timer(113, &TestDlg::OnTimer113)
            .TimerRange(200, 210, &TestDlg::OnTimerRange)
            .Chain(&TestDlg::ChainedMap)
            .AlternateMap(1)
            .Message(WM_TEST_ALTERNATE, &TestDlg::OnAlternate);
        return map;
    }

    BOOL ChainedMap(HWND, UINT message, WPARAM, LPARAM, LRESULT& result, DWORD)
    {
        if (message != WM_APP + 50)
            return FALSE;
        log.push_back(L"chain");
        result = 50;
        return TRUE;
    }

protected:
    void OnFinalMessage(HWND window) override { finalWindow = window; }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM lParam, BOOL&)
    {
        initParam = lParam;
        initDone = true;
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    LRESULT OnSetFont(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        if (!initDone)
            sawMessageBeforeInit = true;
        handled = FALSE;
        return 0;
    }
    LRESULT OnEnd(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        EndDialog(static_cast<INT_PTR>(wParam));
        return 0;
    }
    LRESULT OnDecline(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        log.push_back(L"decline");
        handled = FALSE;
        return 1;
    }
    LRESULT OnDeclineFallback(UINT, WPARAM, LPARAM, BOOL&)
    {
        log.push_back(L"fallback");
        return 2;
    }
    LRESULT OnAnswer(UINT, WPARAM wParam, LPARAM, BOOL&) { return static_cast<LRESULT>(wParam * 2); }
    LRESULT OnThrow(UINT, WPARAM, LPARAM, BOOL&) { throw std::runtime_error("handler failed"); }
    LRESULT OnRange(UINT message, WPARAM, LPARAM, BOOL&)
    {
        log.push_back(L"range " + std::to_wstring(message - WM_TEST_RANGE_FIRST));
        return 0;
    }
    LRESULT OnRegistered(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        log.push_back(L"registered " + std::to_wstring(wParam));
        return 0;
    }
    LRESULT OnColor(UINT, WPARAM, LPARAM, BOOL&) { return reinterpret_cast<LRESULT>(brush); }
    LRESULT OnButtonClicked(WORD, WORD id, HWND, BOOL&)
    {
        log.push_back(L"clicked " + std::to_wstring(id));
        return 0;
    }
    LRESULT OnButtonOther(WORD code, WORD, HWND, BOOL&)
    {
        log.push_back(L"other code " + std::to_wstring(code));
        return 0;
    }
    LRESULT OnCommandRange(WORD, WORD id, HWND, BOOL&)
    {
        log.push_back(L"command " + std::to_wstring(id));
        return 0;
    }
    LRESULT OnNotifyCode(int id, NMHDR*, BOOL&)
    {
        log.push_back(L"notify " + std::to_wstring(id));
        return 0;
    }
    LRESULT OnNotifyRange(int id, NMHDR* header, BOOL&)
    {
        log.push_back(L"notify range " + std::to_wstring(id) + L" code " + std::to_wstring(static_cast<int>(header->code)));
        return 0;
    }
    LRESULT OnTimer113(UINT_PTR, BOOL&)
    {
        log.push_back(L"timer 113");
        return 0;
    }
    LRESULT OnTimerRange(UINT_PTR id, BOOL&)
    {
        log.push_back(L"timer " + std::to_wstring(id));
        return 0;
    }
    LRESULT OnAlternate(UINT, WPARAM, LPARAM, BOOL&)
    {
        log.push_back(L"alternate");
        return 0;
    }
};

class InnerDlg : public ATL::CDialogImpl<InnerDlg>
{
public:
    enum
    {
        IDD = IDD_ATL_TEST_CHILD
    };
    static const ATL::MessageMap<InnerDlg>& GetMessageMap()
    {
        static const ATL::MessageMap<InnerDlg> map =
            ATL::MessageMap<InnerDlg>().Message(WM_INITDIALOG, &InnerDlg::OnInitDialog).Message(WM_TEST_END, &InnerDlg::OnEnd);
        return map;
    }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        PostMessage(WM_TEST_END);
        return TRUE;
    }
    // Ends through the layer's EndDialog with a fixed result.
    LRESULT OnEnd(UINT, WPARAM, LPARAM, BOOL&)
    {
        EndDialog(21);
        return 0;
    }
};

} // namespace

TEST(AtlModule, ResourceInstanceIsExchangedAndRestored)
{
    const HINSTANCE own = GetModuleHandleW(nullptr);
    ATL::CAtlModule module;
    EXPECT_EQ(&module, ATL::GetModule());
    EXPECT_EQ(own, ATL::GetResourceInstance());
    const HINSTANCE fake = reinterpret_cast<HINSTANCE>(0x10000);
    EXPECT_EQ(own, module.SetResourceInstance(fake));
    EXPECT_EQ(fake, ATL::GetResourceInstance());
    EXPECT_EQ(fake, module.SetResourceInstance(nullptr));
    EXPECT_EQ(own, module.GetResourceInstance());
    {
        ATL::CAtlModule inner;
        EXPECT_EQ(&inner, ATL::GetModule());
    }
    EXPECT_EQ(&module, ATL::GetModule());
}

TEST(AtlDialog, ModalFromAnotherModuleEndsOnScriptedMessage)
{
    TemplateModule templates;
    ASSERT_NE(nullptr, templates.Get());
    TestDlg dialog;
    HWND seen = nullptr;
    wchar_t caption[64] = {};
    dialog.onInit = [&](TestDlg& d) {
        seen = d.m_hWnd;
        GetWindowTextW(d.m_hWnd, caption, 64);
        d.PostMessage(WM_TEST_END, 42);
    };
    EXPECT_EQ(42, dialog.DoModal(nullptr, 1234));
    EXPECT_EQ(1234, dialog.initParam);
    EXPECT_STREQ(L"Window layer test", caption);
    // Messages before WM_INITDIALOG reach the map too.
    EXPECT_TRUE(dialog.sawMessageBeforeInit);
    EXPECT_EQ(seen, dialog.finalWindow);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(AtlDialog, MessageMapDispatchesLikeItsTable)
{
    TemplateModule templates;
    TestDlg dialog;
    std::vector<LRESULT> answers;
    dialog.onInit = [&](TestDlg& d) {
        answers.push_back(d.SendMessage(WM_TEST_ANSWER, 21));
        answers.push_back(d.SendMessage(WM_TEST_DECLINE));
        d.SendMessage(WM_TEST_RANGE_FIRST + 1);
        d.SendMessage(WM_TEST_RANGE_LAST + 1);
        d.SendMessage(d.registeredMessage, 9);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ATL_TEST_BUTTON, BN_CLICKED));
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ATL_TEST_BUTTON, 5));
        d.SendMessage(WM_COMMAND, MAKEWPARAM(3004, 0));
        d.SendMessage(WM_COMMAND, MAKEWPARAM(3004, 1));
        d.SendMessage(WM_COMMAND, MAKEWPARAM(3010, 0));
        NMHDR header = {d.GetDlgItem(IDC_ATL_TEST_EDIT), IDC_ATL_TEST_EDIT, 77};
        d.SendMessage(WM_NOTIFY, IDC_ATL_TEST_EDIT, reinterpret_cast<LPARAM>(&header));
        header.code = 78;
        d.SendMessage(WM_NOTIFY, IDC_ATL_TEST_EDIT, reinterpret_cast<LPARAM>(&header));
        NMHDR ranged = {nullptr, 4003, static_cast<UINT>(-12)};
        d.SendMessage(WM_NOTIFY, 4003, reinterpret_cast<LPARAM>(&ranged));
        d.SendMessage(WM_TIMER, 113);
        d.SendMessage(WM_TIMER, 205);
        d.SendMessage(WM_TIMER, 211);
        answers.push_back(d.SendMessage(WM_APP + 50));
        // Alternate map lines are not part of the window's own map.
        d.SendMessage(WM_TEST_ALTERNATE);
        LRESULT alternate = 0;
        answers.push_back(d.ProcessWindowMessage(d.m_hWnd, WM_TEST_ALTERNATE, 0, 0, alternate, 1));
        // Colour messages answer the brush itself, not TRUE.
        answers.push_back(d.SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(GetDC(d.m_hWnd)),
                                        reinterpret_cast<LPARAM>(d.m_hWnd)));
        d.PostMessage(WM_TEST_END, 1);
    };
    EXPECT_EQ(1, dialog.DoModal(nullptr));
    const std::vector<std::wstring> expected = {L"decline",         L"fallback",        L"range 1",
                                                L"registered 9",    L"clicked 1002",    L"other code 5",
                                                L"command 3004",    L"notify 1001",     L"notify range 4003 code -12",
                                                L"timer 113",       L"timer 205",       L"chain",
                                                L"alternate"};
    EXPECT_EQ(expected, dialog.log);
    ASSERT_EQ(5u, answers.size());
    EXPECT_EQ(42, answers[0]);
    EXPECT_EQ(2, answers[1]);
    EXPECT_EQ(50, answers[2]);
    EXPECT_EQ(TRUE, answers[3]);
    EXPECT_EQ(reinterpret_cast<LRESULT>(dialog.brush), answers[4]);
}

TEST(AtlDialog, MissingTemplateAnswersMinusOne)
{
    TemplateModule templates;
    class MissingDlg : public ATL::CDialogImpl<MissingDlg>
    {
    public:
        enum
        {
            IDD = IDD_ATL_TEST_MISSING
        };
        static const ATL::MessageMap<MissingDlg>& GetMessageMap()
        {
            static const ATL::MessageMap<MissingDlg> map;
            return map;
        }
    } dialog;
    SetLastError(0);
    EXPECT_EQ(-1, dialog.DoModal(nullptr));
    EXPECT_NE(0u, GetLastError());
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(AtlDialog, HandlerExceptionEndsTheModalRunAndIsThrownAgain)
{
    TemplateModule templates;
    TestDlg dialog;
    dialog.onInit = [](TestDlg& d) { d.PostMessage(WM_TEST_THROW); };
    EXPECT_THROW(dialog.DoModal(nullptr), std::runtime_error);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_NO_THROW(ATL::RethrowPendingException());
}

TEST(AtlDialog, ModelessDialogServesOtherThreadsAndModalRunsNest)
{
    TemplateModule templates;
    TestDlg modeless;
    ASSERT_NE(nullptr, modeless.Create(nullptr, 7));
    EXPECT_EQ(7, modeless.initParam);
    EXPECT_FALSE(modeless.IsWindowVisible());

    // A worker reaches the window by SendMessage; the owner's modal loop
    // (here a modal dialog of the same thread) serves it.
    LRESULT workerAnswer = 0;
    TestDlg modal;
    modal.onInit = [&](TestDlg& d) {
        HWND target = modeless.m_hWnd;
        std::thread([&workerAnswer, target, &d] {
            workerAnswer = SendMessageW(target, WM_TEST_ANSWER, 50, 0);
            PostMessageW(d.m_hWnd, WM_TEST_END, 3, 0);
        }).detach();
    };
    EXPECT_EQ(3, modal.DoModal(nullptr));
    EXPECT_EQ(100, workerAnswer);

    // A modal dialog inside a handler of another: the inner one ends first.
    InnerDlg inner;
    TestDlg outer;
    INT_PTR innerResult = 0;
    outer.onInit = [&](TestDlg& d) {
        innerResult = inner.DoModal(d.m_hWnd);
        d.PostMessage(WM_TEST_END, 4);
    };
    EXPECT_EQ(4, outer.DoModal(nullptr));
    EXPECT_EQ(21, innerResult);

    const HWND window = modeless.m_hWnd;
    EXPECT_TRUE(modeless.DestroyWindow());
    EXPECT_EQ(window, modeless.finalWindow);
    EXPECT_FALSE(IsWindow(window));
}

TEST(AtlDialog, ModalRunsOnAWorkerThread)
{
    TemplateModule templates;
    INT_PTR result = 0;
    std::thread([&result] {
        TestDlg dialog;
        dialog.onInit = [](TestDlg& d) { d.PostMessage(WM_TEST_END, 9); };
        result = dialog.DoModal(nullptr);
    }).join();
    EXPECT_EQ(9, result);
}

namespace
{
class TestWnd : public ATL::CWindowImpl<TestWnd>
{
public:
    bool sawMinMaxInfo = false;
    bool sawCreate = false;
    bool finished = false;

    static const wchar_t* GetWndClassName() { return L"Quillory atl test window"; }
    static const ATL::MessageMap<TestWnd>& GetMessageMap()
    {
        static const ATL::MessageMap<TestWnd> map = ATL::MessageMap<TestWnd>()
            .Message(WM_GETMINMAXINFO, &TestWnd::OnMinMaxInfo)
            .Message(WM_CREATE, &TestWnd::OnCreate)
            .Message(WM_TEST_ANSWER, &TestWnd::OnAnswer);
        return map;
    }

protected:
    void OnFinalMessage(HWND) override { finished = true; }

private:
    LRESULT OnMinMaxInfo(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        sawMinMaxInfo = true;
        handled = FALSE;
        return 0;
    }
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&)
    {
        sawCreate = true;
        return 0;
    }
    LRESULT OnAnswer(UINT, WPARAM wParam, LPARAM, BOOL&) { return static_cast<LRESULT>(wParam + 1); }
};
}

TEST(AtlWindow, WindowOfItsOwnClassKeepsItsObjectAndLeavesUserDataFree)
{
    TestWnd window;
    const RECT rect = {10, 10, 210, 110};
    ASSERT_NE(nullptr, window.Create(nullptr, rect, L"test"));
    EXPECT_TRUE(window.sawMinMaxInfo);
    EXPECT_TRUE(window.sawCreate);
    EXPECT_EQ(0, GetWindowLongPtrW(window, GWLP_USERDATA));
    EXPECT_EQ(8, window.SendMessage(WM_TEST_ANSWER, 7));
    // Unhandled messages get the default window procedure.
    SetWindowTextW(window, L"renamed");
    wchar_t text[32] = {};
    GetWindowTextW(window, text, 32);
    EXPECT_STREQ(L"renamed", text);

    TestWnd second;
    ASSERT_NE(nullptr, second.Create(nullptr, rect, L"second"));
    EXPECT_EQ(3, second.SendMessage(WM_TEST_ANSWER, 2));
    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_TRUE(window.finished);
    EXPECT_TRUE(second.DestroyWindow());
}
