// A stand-in owner for the settings dialog: setup_host FOLDER MODE (0 "New name", 1 "Overwrite").
// Shows an owner window, opens the dialog over it and prints what the caller gets back:
//   owner=LEFT,TOP,WIDTH,HEIGHT   (before the dialog opens)
//   result=1|0
//   folder=...  overwrite=1|0     (the settings after the call)
//   autosave=1|0 printed_folder=... pattern=... printed_overwrite=1|0 open_pdf=1|0
//                                 (the printed documents' settings after the call; before it they
//                                 are the defaults, with FOLDER as their folder)
#include "dialogs/setup.h"
#include "settings/name_pattern.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: setup_host FOLDER 0|1\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    folimar::TSettings settings{argv[1], std::string(argv[2]) != "0"};
    win::UniqueWindow owner(::CreateWindowExA(0, "STATIC", "Setup host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80, 640,
                                              480, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    if (!owner) {
        std::fprintf(stderr, "setup_host: no owner window\n");
        return 1;
    }
    RECT r{};
    ::GetWindowRect(owner.get(), &r);
    std::printf("owner=%d,%d,%d,%d\n", static_cast<int>(r.left), static_cast<int>(r.top),
                static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top));
    std::fflush(stdout);

    folimar::TAutoSaveSettings autoSave{false, argv[1], folimar::kDefaultNamePattern, false, true};
    const bool taken = folimar::ShowSettingsDialog(owner.get(), settings, autoSave);
    std::printf("result=%d\nfolder=%s\noverwrite=%d\nowner_enabled=%d\n", taken ? 1 : 0, settings.outputFolder.c_str(),
                settings.overwrite ? 1 : 0, ::IsWindowEnabled(owner.get()) ? 1 : 0);
    std::printf("autosave=%d\nprinted_folder=%s\npattern=%s\nprinted_overwrite=%d\nopen_pdf=%d\n",
                autoSave.autoSave ? 1 : 0, autoSave.folder.c_str(), autoSave.pattern.c_str(),
                autoSave.overwrite ? 1 : 0, autoSave.openPdf ? 1 : 0);
    std::fflush(stdout);
    return 0;
}
