// Where the print-command tests find their print application (tests/print_app_stub.cpp).
#pragma once

#include "files/folders.h"
#include "files/text_rules.h"
#include "win/program_path.h"

#include <string>

namespace testing_support {

// Beside the test program; the Winelib build's program is the .so.
inline std::string StubProgram()
{
    const std::string folder(folimar::FolderPart(win::ProgramPath()));
    const std::string so = folder + "print_app_stub.exe.so";
    return folimar::FileExists(so) ? so : folder + "print_app_stub.exe";
}

} // namespace testing_support
