// The entry of Quillory Window: whether the program runs at all, the
// preparation of the process, the controller's modal run, and the orderly
// end in a fixed order. The one place that joins the controller and the main
// window: it hands the main window's thread to the controller.
#include "foundation/Atom.h"
#include "foundation/ComApartment.h"
#include "foundation/SystemUtilities.h"
#include "settings/IntroductionDlg.h"
#include "settings/LanguageSelect.h"
#include "core/CommandLine.h"
#include "core/CrashReport.h"
#include "core/Language.h"
#include "core/LumivaneModule.h"
#include "core/MessageBox.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "shell/ControllerRun.h"
#include "slideshow/MainWindowThread.h"

#include <exception>

CLumivaneModule lumivane_module;

namespace
{
const wchar_t LanguageResourcesMissingBulgarian[] = L"Системата не можа да зареди езиковите ресурси на софтуера. "
                                                   L"Моля, преинсталирайте програмата, за да отстраните проблема.";
const wchar_t LanguageResourcesMissingEnglish[] =
    L"The system could not load the app language resources. Reinstalling the software should fix the problem.";

// A box of the built-in texts: no language module to take a caption from.
void ShowBuiltInMessage(const wchar_t* text)
{
    LocalizedMessageBox(GetDesktopWindow(), text, L"Quillory", MB_ICONERROR);
}

// The language module's "program failed" box, for a start that cannot go on.
void ShowProgramFailed()
{
    LocalizedMessageBox(GetDesktopWindow(), CrashMessageText().GetText(), MString(ResId(IDS_PRODUCT_CAPTION)).GetText(),
                        MB_ICONERROR);
}

MString UserName()
{
    DWORD size = 0;
    GetUserNameW(nullptr, &size);
    MString name{ElementCount(size)};
    if (size == 0 || !GetUserNameW(name.GetData(), &size))
        return MString();
    return MString(name.GetText());
}

// The end that every way out of a prepared process takes: the instance mutex
// is closed by its owner, the program is started again when asked.
int EndRun(MHandle& instanceMutex)
{
    instanceMutex.Close();
    if (RestartRequested)
        RestartProcess();
    return 0;
}

int Run(const wchar_t* argument)
{
    if (IsRegistrationSwitch(argument))
        return 0;

    CleanUpAfterUpgrade(GetCommandLineW(), ProgramFolder().GetText());

    ThreadCounterHolder.Create();

    if (!LanguageModule)
    {
        if (UiLanguage == LanguageBulgarian)
            ShowBuiltInMessage(LanguageResourcesMissingBulgarian);
        ShowBuiltInMessage(LanguageResourcesMissingEnglish);
        return 1;
    }

    if (AskForLanguage)
    {
        CLanguageSelect languages(UiLanguage, false);
        const INT_PTR choice = languages.DoModal(GetDesktopWindow());
        if (choice == CLanguageSelect::Saved)
        {
            RestartProcess();
            return 0;
        }
        if (choice == CLanguageSelect::ClosedByProgram)
            return 0;
    }

    ApplyThreadLocale(UiLanguage);

    const MString mutexName(sX::Format(), InstanceMutexNameFormat, UserName().GetText());
    MHandle instanceMutex(CreateMutexW(nullptr, TRUE, mutexName.GetText()));
    const DWORD mutexError = GetLastError();
    // No mutex at all (another object of that name, no rights) is a failure
    // of its own, not a sign that another copy runs.
    if (!instanceMutex.IsValid())
    {
        ShowProgramFailed();
        return 1;
    }
    if (mutexError == ERROR_ALREADY_EXISTS)
    {
        const MString caption(ResId(IDS_PRODUCT_CAPTION));
        const MString productName(ResId(IDS_PRODUCT_NAME));
        const MString question(sX::Format(), IDS_ANOTHER_COPY_RUNS, caption.GetText(), productName.GetText());
        if (LocalizedMessageBox(GetDesktopWindow(), question.GetText(), caption.GetText(),
                                MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES)
            PostMessageW(HWND_BROADCAST, QuitRunningInstanceMessage(), 0, 0);
        instanceMutex.Close();
        return 0;
    }

    // COM ends before the instance mutex does.
    bool introductionCancelled = false;
    {
        const ComApartment com;
        if (!com.Succeeded())
            LocalizedMessageBox(GetDesktopWindow(), MString(ResId(IDS_COM_FAILED)).GetText(),
                                MString(ResId(IDS_PRODUCT_CAPTION)).GetText(), MB_ICONERROR);
        else if (FAILED(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                             RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr)))
            LocalizedMessageBox(GetDesktopWindow(), MString(ResId(IDS_COM_SECURITY_FAILED)).GetText(),
                                MString(ResId(IDS_PRODUCT_CAPTION)).GetText(), MB_ICONERROR);
        else if (!HasRunBefore() && CIntroductionDlg().DoModal(GetDesktopWindow()) == 0)
            introductionCancelled = true;
        else
            RunController(&MainDialogThreadProc);
    }
    if (introductionCancelled)
    {
        instanceMutex.Close();
        return 0;
    }
    return EndRun(instanceMutex);
}
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR argument, int)
{
    try
    {
        return Run(argument);
    }
    catch (...)
    {
        const MString text = CrashMessageText();
        ReportWorkerCrash(__FILE__, __LINE__, std::current_exception());
        LocalizedMessageBox(GetDesktopWindow(), text.GetText(), L"Quillory", MB_ICONERROR);
        return 1;
    }
}
