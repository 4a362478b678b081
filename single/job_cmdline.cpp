// Splitting of the port's command line and the proposed output path.
#include "single/job_cmdline.h"

#include "base/printer_constants.h"
#include "files/code_pages.h"
#include "files/text_rules.h"

namespace folimar {

std::string ExtractQuotedArg(std::string_view text, size_t pos)
{
    size_t open = pos < text.size() ? text.find('"', pos) : std::string_view::npos;
    if (open == std::string_view::npos)
        return "\"\"";
    size_t close = text.find('"', open + 1);
    size_t end = close == std::string_view::npos ? text.size() : close;
    std::string arg = "\"";
    arg.append(text.substr(open + 1, end - open - 1));
    arg += '"';
    return arg;
}

TJobCommandLine SplitJobCommandLine(std::string_view rawCommandLine, std::string_view programPath)
{
    TJobCommandLine result;
    std::string_view line = TrimControlAndSpace(rawCommandLine);
    if (StripQuotes(line) == programPath)
        line = {};

    size_t offset = 0;
    result.FJobFile = ExtractQuotedArg(line, offset);
    offset += result.FJobFile.size() + 1;
    for (int arg = kJobFileArg + 1; arg <= kJobCommandLineArgs && offset < line.size(); ++arg) {
        std::string quoted = ExtractQuotedArg(line, offset);
        offset += quoted.size() + 1;
        if (arg == kCompanionFileArg)
            result.FCompanionFile = StripQuotes(quoted);
        else if (arg == kDocTitleArg)
            result.FDocTitle = StripQuotes(quoted);
    }
    return result;
}

std::string TitleLabelCaption(const std::string& title)
{
    constexpr size_t kMaxBytes = 30;
    if (title.size() <= kMaxBytes)
        return title;
    return std::string(CutUtf8(title, kMaxBytes)) + "...";
}

std::string TitleToFileName(const std::string& title)
{
    // The port hands over the title in the program's code page, UTF-8 under its manifest; a title
    // taken from the job itself may still be in the printing system's legacy code page.
    return Utf8ToAnsiName(FileNameFromTitle(DscTextToUtf8(title)));
}

std::string InitialFolderFromDocuments(const std::string& documentsFolder)
{
    std::string folder = documentsFolder;
    if (folder.size() >= 2 && folder.back() == '\\' && folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}

std::string MakeOutputName(const std::string& title, const std::string& initialFolder)
{
    if (title.empty())
        return {};
    return initialFolder + "\\" + TitleToFileName(title) + ".pdf";
}

} // namespace folimar
