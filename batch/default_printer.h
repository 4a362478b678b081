// The default printer as the user profile's printer entries record it: read, test and switch.
#pragma once

#include <string>

namespace folimar {

// The default printer's name; empty when there is none.
std::string GetDefaultPrinterName();

// Whether the profile's printer list holds a non-blank entry for name.
bool IsPrinterInstalled(const std::string& name);

// Makes name the default printer; false, with nothing changed, when it is not installed.
bool MakeDefaultPrinter(const std::string& name);

} // namespace folimar
