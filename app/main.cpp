// Program entry: chooses the mode from the command line and runs the one main window.
#include "app/arg_count.h"
#include "app/pending_jobs.h"
#include "batch/pipeline/batch_run.h"
#include "batch/window/frm_main_1.h"
#include "single/frm_main.h"
#include "win/program_path.h"
#include "win/window.h"

#include <commctrl.h>

#include <memory>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    // Either mode: a job printed while this instance runs must not be taken for a batch that died.
    folimar::RemovePortNotesOfLostBatch(folimar::SpoolFolderPath());
    // Jobs printed while the program could not be started wait for any start of it.
    folimar::OfferPendingJobs(win::StartableProgram(win::ProgramPath()));

    std::unique_ptr<win::Window> mainWindow;
    bool created = false;
    if (folimar::IsSingleJobCommandLine(::GetCommandLineA())) {
        auto window = std::make_unique<folimar::TfrmMain>();
        created = window->Create();
        mainWindow = std::move(window);
    } else {
        auto window = std::make_unique<folimar::TfrmMain_1>();
        created = window->Create();
        mainWindow = std::move(window);
    }
    if (!created)
        return 1;
    return win::RunMessageLoop(mainWindow.get());
}
