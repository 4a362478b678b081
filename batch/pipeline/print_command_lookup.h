// The print command of a document's file type, from the file-type registry (HKEY_CLASSES_ROOT).
#pragma once

#include "batch/rules/print_command_rules.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace folimar {

// The default value of root\keyPath, read into a 260-byte buffer; a longer value is not read.
TDefaultValue ReadDefaultValue(HKEY root, const std::string& keyPath);

// The description, print command and DDE command, application and topic that the extension's
// file type registers; what is missing stays empty (the description falls back to "ext file").
TPrintCommandInfo LookupPrintCommand(std::string_view extension);

// "<Paint> /p "%1"" for an image extension when the Paint program exists, else empty.
std::string GetImagePrintCommand(std::string_view extension);

} // namespace folimar
