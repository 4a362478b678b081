// Printing a text file through GDI, as any Windows program prints, without a dialog.
#pragma once

#include <string>

namespace porttool {

// The default printer's name; empty when there is none.
std::string DefaultPrinterName();

// Prints the text file at path (a Windows path) to printer as one document named after the
// file. False with error set to a one-line explanation, the system's text included, otherwise.
bool PrintTextFile(const std::string& path, const std::string& printer, std::string& error);

} // namespace porttool
