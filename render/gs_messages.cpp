// Ghostscript's error report read into a fault.
#include "render/gs_messages.h"

#include <algorithm>

// MinGW's headers lack this one.
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif
#include <cctype>

namespace folimar {

namespace {

constexpr std::string_view kErrorLead = "Error: /";
constexpr std::string_view kOsErrorLead = "Last OS error: ";
// The report of a device that could not write its file as it closed.
constexpr std::string_view kCloseIoError = "ioerror (-12) on closing";

// The rest of the line that starts at from, without its line end.
std::string_view RestOfLine(std::string_view text, size_t from)
{
    const size_t end = text.find_first_of("\r\n", from);
    return text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
}

bool ContainsFolded(std::string_view text, std::string_view lowerNeedle)
{
    return std::search(text.begin(), text.end(), lowerNeedle.begin(), lowerNeedle.end(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }) != text.end();
}

} // namespace

void TGsMessages::Add(std::string_view text)
{
    text_.append(text);
    // Dropped in halves, so that the cost stays linear however much a job prints.
    if (text_.size() > 2 * kGsMessagesKept)
        text_.erase(0, text_.size() - kGsMessagesKept);
}

DWORD WriteErrorCode(std::string_view osError)
{
    struct Known {
        std::string_view words; // lower case
        DWORD code;
    };
    static constexpr Known kKnown[] = {
        {"no space left", ERROR_DISK_FULL},
        {"quota", ERROR_DISK_QUOTA_EXCEEDED},
        {"no such file or directory", ERROR_PATH_NOT_FOUND},
        {"permission denied", ERROR_ACCESS_DENIED},
        {"read-only file system", ERROR_WRITE_PROTECT},
        {"file too large", ERROR_FILE_TOO_LARGE},
    };
    for (const Known& known : kKnown)
        if (ContainsFolded(osError, known.words))
            return known.code;
    return ERROR_WRITE_FAULT;
}

TRenderFault ReadGsFault(std::string_view output)
{
    TRenderFault fault;
    bool ioError = output.find(kCloseIoError) != std::string_view::npos;
    // The last report is the one that ended the run.
    if (const size_t at = output.rfind(kErrorLead); at != std::string_view::npos) {
        const std::string_view line = RestOfLine(output, at + kErrorLead.size());
        const size_t in = line.find(" in ");
        const std::string_view name = line.substr(0, in);
        const std::string_view where = in == std::string_view::npos ? std::string_view{} : line.substr(in + 4);
        ioError = ioError || name == "ioerror";
        if (!name.empty())
            // "undefined in foo" names what is undefined; any other error names where it struck.
            fault.gsError = std::string(name) + (where.empty()         ? ""
                                                 : name == "undefined" ? ": " + std::string(where)
                                                                       : " in " + std::string(where));
    }
    if (!ioError)
        return fault;
    // Ghostscript repeats the C library's last error with every report, whatever the error was:
    // it tells a write's cause only beside an ioerror.
    const size_t os = output.rfind(kOsErrorLead);
    fault.writeError =
        os == std::string_view::npos ? ERROR_WRITE_FAULT : WriteErrorCode(RestOfLine(output, os + kOsErrorLead.size()));
    return fault;
}

} // namespace folimar
