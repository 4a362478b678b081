// Splitting of the port's command line and the proposed output path.
#include "single/job_cmdline.h"

#include "base/printer_constants.h"
#include "jobprep/common.h"
#include "jobprep/dsc_header.h"

#include <windows.h>

#include <array>
#include <vector>

namespace folimar {

namespace {

void ReplaceAll(std::string& s, char from, std::string_view to)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == from)
            out += to;
        else
            out += c;
    }
    s.swap(out);
}

// Cuts an ANSI string to its first maxUnits UTF-16 units.
std::string CutToUtf16Units(const std::string& s, int maxUnits)
{
    if (s.empty())
        return s;
    int units = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (units <= maxUnits)
        return s;
    std::vector<WCHAR> wide(static_cast<size_t>(units), 0); // WCHAR, not wchar_t: see library_path.cpp
    ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), wide.data(), units);
    wide.resize(static_cast<size_t>(maxUnits));
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), maxUnits, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), maxUnits, out.data(), bytes, nullptr, nullptr);
    return out;
}

} // namespace

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
    return title.substr(0, kMaxBytes) + "...";
}

std::string TitleToFileName(const std::string& title)
{
    struct Replacement {
        char from;
        std::string_view to;
    };
    static constexpr std::array<Replacement, 9> kReplacements{{
        {'\\', "-"},
        {'/', "-"},
        {':', "_"},
        {'*', ""},
        {'?', ""},
        {'<', "("},
        {'>', ")"},
        {'"', "'"},
        {'|', "-"},
    }};
    std::string name = title;
    for (const Replacement& r : kReplacements)
        ReplaceAll(name, r.from, r.to);
    return CutToUtf16Units(name, 30);
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
