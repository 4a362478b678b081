// The batch list's rules over strings and numbers.
#include "batch/rules/batch_list_rules.h"

#include "files/text_rules.h"

#include <algorithm>
#include <cstdio>

namespace folimar {

namespace {

// printf's point, replaced by the user's separator.
std::string WithSeparator(std::string text, std::string_view separator)
{
    size_t point = text.find('.');
    if (point != std::string::npos)
        text.replace(point, 1, separator);
    return text;
}

std::string Format(const char* format, double value)
{
    char buffer[64];
    int length = std::snprintf(buffer, sizeof(buffer), format, value);
    return length < 0 ? std::string() : std::string(buffer, std::min<size_t>(length, sizeof(buffer) - 1));
}

// A readable, non-empty file with an extension: what the registry could make convertible.
bool IsCandidate(const TFileFacts& facts, std::string_view extension)
{
    return facts.readable && !facts.folder && facts.size > 0 && !extension.empty();
}

} // namespace

int NextBusyFrame(int image)
{
    if (image < kStatusBusyFirst || image >= kStatusBusyLast)
        return kStatusBusyFirst;
    return image + 1;
}

std::string SizeText(uint64_t size, std::string_view decimalSeparator)
{
    constexpr uint64_t kKilo = 1024, kMega = kKilo * 1024, kGiga = kMega * 1024;
    if (size < kKilo) {
        char buffer[16];
        std::snprintf(buffer, sizeof(buffer), "%6u B", static_cast<unsigned>(size));
        return buffer;
    }
    const double s = static_cast<double>(size);
    std::string text;
    if (size < kMega)
        text = Format("%6.2f K", s / kKilo);
    else if (size < kGiga)
        text = Format("%6.2f M", s / kMega);
    else
        text = Format("%.2f G", s / kGiga);
    return WithSeparator(std::move(text), decimalSeparator);
}

std::string FileExtension(std::string_view path)
{
    const std::string name(FileNamePart(path));
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string MakeUniqueFileName(const std::string& path, const PathTakenFn& taken)
{
    if (!taken(path))
        return path;
    // A dot in a folder name is no extension: "C:\a.b\report" numbers as "C:\a.b\report1".
    const std::string extension = FileExtension(path);
    const std::string base = path.substr(0, path.size() - extension.size());
    for (uint32_t n = 1; n <= kMaxNameNumber; ++n) {
        std::string candidate = base + std::to_string(n) + extension;
        if (!taken(candidate))
            return candidate;
    }
    return {};
}

std::string PlannedPdfPath(std::string_view outputFolder, std::string_view fileName, bool overwrite,
                           const PathTakenFn& onDisk, const PathTakenFn& plannedByOtherRow)
{
    std::string path = std::string(outputFolder) + std::string(fileName) + ".pdf";
    // Two documents of one name in the list never plan one PDF, in either mode.
    return MakeUniqueFileName(path, [&](const std::string& candidate) {
        return plannedByOtherRow(candidate) || (!overwrite && onDisk(candidate));
    });
}

std::string FinalPdfPath(std::string_view planned, std::string_view document, bool overwrite, const PathTakenFn& onDisk,
                         const PathTakenFn& writtenByBatch)
{
    const std::string plannedPath(planned);
    if (overwrite && !writtenByBatch(plannedPath))
        return plannedPath;
    // From the document's own name again: a number planned earlier may be free by now, or taken.
    const std::string unnumbered = std::string(FolderPart(planned)) + std::string(FileNamePart(document)) + ".pdf";
    return MakeUniqueFileName(
        unnumbered, [&](const std::string& candidate) { return writtenByBatch(candidate) || onDisk(candidate); });
}

TPrintCommandInfo PrintInfoForExtension(std::string_view extension, const PrintCommandLookupFn& lookup,
                                        const ImageCommandFn& imageCommand)
{
    if (LowerAscii(extension) == kPostScriptExtension)
        return {kPostScriptDescription, kPostScriptCommand, "", "", ""};
    const std::string paint = imageCommand(extension);
    TPrintCommandInfo info = lookup(extension);
    if (!paint.empty())
        info.printCommand = paint; // the type's own DDE values stay
    if (info.printCommand.empty() && IsTextExtension(extension)) {
        TPrintCommandInfo text = lookup(".txt");
        text.description = std::move(info.description);
        info = std::move(text);
    }
    return info;
}

bool IsConvertible(const TFileFacts& facts, std::string_view extension, std::string_view printCommand)
{
    return IsCandidate(facts, extension) && !printCommand.empty();
}

TRefusal RefusalOf(const TFileFacts& facts, std::string_view extension, std::string_view printCommand)
{
    if (!facts.readable)
        return TRefusal::Unreadable;
    if (facts.folder)
        return TRefusal::Folder;
    if (facts.size == 0)
        return TRefusal::Empty;
    if (extension.empty())
        return TRefusal::NoExtension;
    if (printCommand.empty())
        return TRefusal::NoPrintCommand;
    return TRefusal::None;
}

std::string RefusalText(TRefusal refusal, std::string_view extension)
{
    switch (refusal) {
    case TRefusal::None:
        return {};
    case TRefusal::AlreadyListed:
        return "already listed";
    case TRefusal::Folder:
        return "a folder";
    case TRefusal::Unreadable:
        return "cannot be read";
    case TRefusal::Empty:
        return "empty";
    case TRefusal::NoExtension:
        return "no file type (the name has no extension)";
    case TRefusal::NoPrintCommand:
        return "no program can print " + std::string(extension) + " files";
    case TRefusal::NoFreeName:
        return "every numbered PDF name is taken";
    }
    return {};
}

std::optional<TBatchEntry> PlanBatchEntry(const std::string& path, const TFileFacts& facts,
                                          const TBatchListContext& context, TRefusal* refusal)
{
    auto refuse = [refusal](TRefusal why) {
        if (refusal)
            *refusal = why;
        return std::nullopt;
    };
    const std::string extension = FileExtension(path);
    // Refused before the registry is asked: nothing it says could make these convertible.
    if (!IsCandidate(facts, extension))
        return refuse(RefusalOf(facts, extension, "?"));
    TPrintCommandInfo info = PrintInfoForExtension(extension, context.lookup, context.imageCommand);
    if (!IsConvertible(facts, extension, info.printCommand))
        return refuse(RefusalOf(facts, extension, info.printCommand));

    TBatchEntry entry;
    entry.caption = std::string(FileNamePart(path));
    std::string pdfPath = PlannedPdfPath(context.outputFolder, entry.caption, context.overwrite, context.onDisk,
                                         context.plannedByOtherRow);
    if (pdfPath.empty())
        return refuse(TRefusal::NoFreeName);
    if (refusal)
        *refusal = TRefusal::None;
    entry.fields[kFieldSize] = SizeText(facts.size, context.decimalSeparator);
    entry.fields[kFieldPdfPath] = std::move(pdfPath);
    entry.fields[kFieldDescription] = std::move(info.description);
    entry.fields[kFieldPrintCommand] = std::move(info.printCommand);
    entry.fields[kFieldDdeCommand] = std::move(info.ddeCommand);
    entry.fields[kFieldDdeApplication] = std::move(info.ddeApplication);
    entry.fields[kFieldDdeTopic] = std::move(info.ddeTopic);
    entry.fields[kFieldDocument] = path;
    return entry;
}

} // namespace folimar
