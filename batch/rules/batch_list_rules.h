// Rules of the batch list that need no window: what an entry holds, which files are taken,
// the size text, the planned PDF path with its "New name" numbering, and the status images.
#pragma once

#include "batch/rules/print_command_rules.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folimar {

// The eight text fields behind an entry's caption, in the order the print-files thread reads.
enum TEntryField : int {
    kFieldSize = 0,
    kFieldPdfPath = 1,
    kFieldDescription = 2,
    kFieldPrintCommand = 3, // ".ps" for a PostScript document, converted without printing
    kFieldDdeCommand = 4,
    kFieldDdeApplication = 5,
    kFieldDdeTopic = 6,
    kFieldDocument = 7,
    kEntryFieldCount = 8,
};

inline constexpr char kPostScriptExtension[] = ".ps";
inline constexpr char kPostScriptCommand[] = ".ps";
inline constexpr char kPostScriptDescription[] = "ps file";

// Roles in the list's image list.
inline constexpr int kImageConvertible = 1; // column 0 of every accepted entry
inline constexpr int kStatusPending = 1;
inline constexpr int kStatusDone = 5;
inline constexpr int kStatusBusyFirst = 6; // busy animation: 6 to 12
inline constexpr int kStatusBusyLast = 12;
inline constexpr int kStatusFailed = 14;

// The next animation frame after image: 6 from pending, then 7 to 12 and round to 6.
int NextBusyFrame(int image);

// "  1023 B", "  1.00 K", "  1.00 M", "1.00 G": the size in the unit below the next, with the
// user's decimal separator in place of the point.
std::string SizeText(uint64_t size, std::string_view decimalSeparator);

// The file name's text from its last dot, dot included; empty when the name has no dot.
std::string FileExtension(std::string_view path);

// Tells whether a file or folder is at a path.
using PathTakenFn = std::function<bool(const std::string& path)>;

// The largest number "New name" tries.
inline constexpr uint32_t kMaxNameNumber = 268435455;

// path when nothing is there, else the first free base + n + extension for n = 1, 2, ...
// (the extension taken from the file name's last dot). Empty when every number is taken.
std::string MakeUniqueFileName(const std::string& path, const PathTakenFn& taken);

// outputFolder + fileName + ".pdf", joined as stored, numbered past the paths other rows of the
// list plan; in "New name" mode also past what is on the disk.
std::string PlannedPdfPath(std::string_view outputFolder, std::string_view fileName, bool overwrite,
                           const PathTakenFn& onDisk, const PathTakenFn& plannedByOtherRow);

// The name a row's PDF is written under, chosen when it is written: "Overwrite" keeps the planned
// path unless this batch has just written a PDF there; "New name" numbers the document's name
// against the disk at that moment. Numbered names never replace a file. Empty when every number
// is taken.
std::string FinalPdfPath(std::string_view planned, std::string_view document, bool overwrite, const PathTakenFn& onDisk,
                         const PathTakenFn& writtenByBatch);

using PrintCommandLookupFn = std::function<TPrintCommandInfo(std::string_view extension)>;
using ImageCommandFn = std::function<std::string(std::string_view extension)>;

// The print command of an extension: ".ps" for PostScript; else the registered one, replaced by
// Paint for images, and for source files without one the command and DDE values of ".txt".
TPrintCommandInfo PrintInfoForExtension(std::string_view extension, const PrintCommandLookupFn& lookup,
                                        const ImageCommandFn& imageCommand);

// What the file system says about a document.
struct TFileFacts {
    bool readable = false; // its attributes could be read
    bool folder = false;
    uint64_t size = 0;
};

// A file can be listed (and so converted): a readable, non-empty file with an extension whose
// print command is known.
bool IsConvertible(const TFileFacts& facts, std::string_view extension, std::string_view printCommand);

// One entry of the batch list, as the list view shows and the print-files thread reads it.
struct TBatchEntry {
    std::string caption; // the file name without folder
    std::array<std::string, kEntryFieldCount> fields;
    int image = kImageConvertible;
    int status = kStatusPending;
};

// Everything planning an entry needs from outside the list.
struct TBatchListContext {
    std::string outputFolder;
    bool overwrite = true;
    std::string decimalSeparator = ".";
    PrintCommandLookupFn lookup;
    ImageCommandFn imageCommand;
    PathTakenFn onDisk;
    PathTakenFn plannedByOtherRow;
};

// Why a file is not listed.
enum class TRefusal {
    None,
    AlreadyListed,
    Folder,
    Unreadable,
    Empty,
    NoExtension,
    NoPrintCommand, // no program prints the type
    NoFreeName,     // every numbered PDF name is taken
};

// "already listed", "no program can print .docx files", "empty", "a folder", ...
std::string RefusalText(TRefusal refusal, std::string_view extension);

// Why the document cannot be listed, or TRefusal::None.
TRefusal RefusalOf(const TFileFacts& facts, std::string_view extension, std::string_view printCommand);

// The entry for the document at path, or nothing when the file is refused (refusal, when given,
// says why).
std::optional<TBatchEntry> PlanBatchEntry(const std::string& path, const TFileFacts& facts,
                                          const TBatchListContext& context, TRefusal* refusal = nullptr);

// The list holds one entry per document: full paths compared as the file system compares names
// (SameNameText).
bool SameDocument(std::string_view a, std::string_view b);

} // namespace folimar
