// The printer port's command line for one job, and the PDF path proposed from its title.
#pragma once

#include <string>
#include <string_view>

namespace folimar {

struct TJobCommandLine {
    std::string FJobFile;       // argument 1, with its quotes
    std::string FCompanionFile; // argument 3, quotes removed
    std::string FDocTitle;      // argument 7, quotes removed
};

// The next double-quoted argument at or after pos, with its quotes; "" when there is none.
std::string ExtractQuotedArg(std::string_view text, size_t pos);

// Splits the raw command line; programPath is the program's full path, which on its own
// counts as an empty command line.
TJobCommandLine SplitJobCommandLine(std::string_view rawCommandLine, std::string_view programPath);

// Caption of the hidden title label: the title, or its first 30 bytes (fewer rather than half a
// UTF-8 character) and "...".
std::string TitleLabelCaption(const std::string& title);

// The file-name part made from a title (UTF-8, or the legacy ANSI code page where it is not
// UTF-8) in the program's code page: see FileNameFromTitle.
std::string TitleToFileName(const std::string& title);

// The save dialog's initial folder: the documents folder without its trailing backslash,
// unless it is a drive root.
std::string InitialFolderFromDocuments(const std::string& documentsFolder);

// initialFolder + "\" + name + ".pdf", or empty when the title is empty.
std::string MakeOutputName(const std::string& title, const std::string& initialFolder);

} // namespace folimar
