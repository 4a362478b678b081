// Reads a PDF's document information with poppler's pdfinfo, as a person checking the file would.
#pragma once

#include "render/library_path.h"

#include <cstdio>
#include <optional>
#include <string>

namespace testing_support {

// The value of one pdfinfo field ("Pages", "Title", "Author", ...), or nothing when pdfinfo
// cannot be run or does not print the field. Text comes in UTF-8; options go to pdfinfo
// (e.g. "-rawdates").
inline std::optional<std::string> PdfInfoField(const std::string& pdfPath, const std::string& field,
                                               const std::string& options = "")
{
#ifdef __WINE__
    // Winelib programs can start Linux programs through the C library.
    std::optional<std::string> unixPath = folimar::ToLibraryPath(pdfPath);
    if (!unixPath)
        return std::nullopt;
    std::string quoted = "'";
    for (char c : *unixPath)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    FILE* pipe = ::popen(("pdfinfo -enc UTF-8 " + options + " " + quoted + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        output.append(buf, n);
    ::pclose(pipe);
    std::string key = field + ":";
    for (size_t at = 0; at < output.size();) {
        size_t end = output.find('\n', at);
        std::string line = output.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (line.compare(0, key.size(), key) == 0) {
            size_t value = line.find_first_not_of(' ', key.size());
            return value == std::string::npos ? std::string() : line.substr(value);
        }
        at = end == std::string::npos ? output.size() : end + 1;
    }
    return std::nullopt;
#else
    (void)pdfPath;
    (void)field;
    (void)options;
    return std::nullopt;
#endif
}

} // namespace testing_support
