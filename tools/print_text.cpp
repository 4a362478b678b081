// Prints a text file through GDI, as any Windows program prints, without a dialog.
//
//   print_text.exe FILE [PRINTER]
//   print_text.exe /p FILE
//
// The first form prints to PRINTER, or to the default printer, and exits: 0 when the printer
// took the job, 1 with a message otherwise. The second is the form of a file type's print verb:
// it prints to the default printer and then stays running, as an application does, until
// WM_QUIT reaches its primary thread (at most five minutes), and exits with the print's result.
// The document name is the file's name.
#include "tools/print_programs.h"
#include "tools/quit_wait.h"
#include "tools/text_print.h"
#include "tools/wine_paths.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Before anything else: whoever started us may post WM_QUIT while we print.
    porttool::MakeMessageQueue();
    std::optional<porttool::PrintTextArgs> args =
        porttool::ParsePrintTextArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (!args) {
        std::fprintf(stderr, "usage: print_text.exe FILE [PRINTER]\n"
                             "       print_text.exe /p FILE\n");
        return 1;
    }
    const std::string path = porttool::WindowsPathOf(args->file);
    const std::string printer = args->printer.empty() ? porttool::DefaultPrinterName() : args->printer;
    std::string error;
    const bool printed = porttool::PrintTextFile(path, printer, error);
    if (!printed)
        std::fprintf(stderr, "print_text: %s\n", error.c_str());
    if (args->printVerb) {
        std::fflush(stderr);
        if (!porttool::RunUntilQuit(porttool::kQuitWaitMs))
            std::fprintf(stderr, "print_text: no WM_QUIT came; ending on my own\n");
    }
    return printed ? 0 : 1;
}
