// How a document's file type gives its print command: extension classes, the Paint command and
// the order of the registry reads, over strings only (the reads themselves are handed in).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folimar {

// Printed with Paint, whatever their own type registers.
inline constexpr std::string_view ImageExtensions[] = {
    ".bmp", ".jpg", ".jpeg", ".jpe", ".jfif", ".gif", ".tif", ".tiff", ".png", ".ico",
};

// Printed as plain text when their own type has no print command.
inline constexpr std::string_view TextExtensions[] = {
    ".c",   ".cpp", ".h",   ".hpp",  ".cs",  ".inc", ".html", ".htm", ".htmlx", ".asp",  ".aspx",
    ".jsp", ".js",  ".xml", ".vbs",  ".bas", ".frm", ".pas",  ".bat", ".ini",   ".java", ".jav",
    ".e",   ".f",   ".asm", ".asmx", ".ada", ".csv", ".sql",  ".orc", ".txt",   ".php",
};

// Where the Paint program is, before expansion.
inline constexpr char kPaintProgram[] = "%SystemRoot%\\system32\\mspaint.exe";

// The longest default value the lookup takes: a 260-byte buffer with its terminating zero.
inline constexpr size_t kMaxTypeValueBytes = 260;

// The five answers of a lookup. Commands are templates with "%1" for the document path,
// as the registry holds them (environment references unexpanded).
struct TPrintCommandInfo {
    std::string description;
    std::string printCommand;
    std::string ddeCommand;
    std::string ddeApplication;
    std::string ddeTopic;

    bool operator==(const TPrintCommandInfo&) const = default;
};

// ASCII letters lowered; other bytes (UTF-8 or code-page letters) stay as they are.
std::string LowerAscii(std::string_view text);

// The lower-cased extension (with its dot) is one of the table's entries exactly.
bool IsImageExtension(std::string_view extension);
bool IsTextExtension(std::string_view extension);

// "doc file" for ".doc": the extension without its first character, then " file".
std::string DefaultTypeDescription(std::string_view extension);

// The Paint command for an image extension when Paint exists at paintPath, else empty.
std::string ImagePrintCommand(std::string_view extension, std::string_view paintPath, bool paintExists);

// What one read of a key's default value gave.
struct TDefaultValue {
    bool keyOpened = false;
    // Set when the value was read: the call succeeded with a non-zero size that fitted.
    std::optional<std::string> text;
};

// The text of a default value from the bytes the read reported: up to its first zero byte.
// Nothing when the read reported no bytes.
std::optional<std::string> DefaultValueText(std::string_view reportedBytes);

// Reads the default value of a key given by its path below the classes root.
using DefaultValueReader = std::function<TDefaultValue(const std::string& keyPath)>;

// The lookup over the file-type registry: the extension's class, its description, its print
// command and its DDE command, application and topic, stopping at the first missing key.
TPrintCommandInfo LookupPrintCommandWith(std::string_view extension, const DefaultValueReader& read);

} // namespace folimar
