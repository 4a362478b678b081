// The batch window's rules over numbers and strings.
#include "batch/rules/batch_window_rules.h"

#include "base/printer_constants.h"
#include "batch/rules/batch_list_rules.h"
#include "batch/rules/batch_status.h"
#include "files/text_rules.h"

namespace folimar {

TBatchButtonStates BatchButtonStates(bool batchRunning, int convertibleCount, bool examining)
{
    TBatchButtonStates states;
    states.addFilesEnabled = !batchRunning && !examining;
    states.setupEnabled = states.addFilesEnabled;
    states.startEnabled = convertibleCount > 0 && !examining;
    states.startVisible = !batchRunning;
    states.stopVisible = !states.startVisible;
    return states;
}

int StatusImageAfter(WPARAM batchStatus)
{
    switch (batchStatus) {
    case BATCH_ITEM_FAILED:
        return kStatusFailed;
    case BATCH_ITEM_DONE:
        return kStatusDone;
    }
    return kStatusPending;
}

COLORREF RowBackground(int index)
{
    return index % 2 == 0 ? RGB(250, 230, 230) : RGB(230, 230, 250);
}

RECT RowButtonRect(const RECT& row)
{
    const int height = row.bottom - row.top - 2;
    const int left = row.left + 1, top = row.top + 1;
    return {left, top, left + height + 2, top + height};
}

bool RowButtonShown(const RECT& button, const RECT& itemArea)
{
    return button.top >= itemArea.top && button.top < itemArea.bottom;
}

namespace {

struct TPopupWords {
    const char* caption;
    const char* hint;
};

TPopupWords PopupWords(TPopupItem item)
{
    switch (item) {
    case TPopupItem::RemoveSelected:
        return {"Remove Selected", "Remove selected item(s)"};
    case TPopupItem::RemoveAll:
        return {"Remove All", "Remove all item(s)"};
    case TPopupItem::OpenPdf:
        return {"Open PDF", "Open PDF Document by default reader"};
    case TPopupItem::OpenFolder:
        return {"Open containing folder", "Open the folder of the PDF document"};
    }
    return {"", ""};
}

} // namespace

const char* PopupItemCaption(TPopupItem item)
{
    return PopupWords(item).caption;
}

const char* PopupItemHint(TPopupItem item)
{
    return PopupWords(item).hint;
}

TPopupStates PopupStates(int count, int selectedCount, int firstSelectedImage, bool pdfExists, bool batchRunning)
{
    TPopupStates states;
    states.removeSelected = selectedCount > 0 && !batchRunning;
    states.removeAll = count > 0 && !batchRunning;
    states.openPdf = selectedCount > 0 && firstSelectedImage == 1 && pdfExists;
    states.openFolder = states.openPdf;
    return states;
}

std::string RowStatusText(const TRowResult& result)
{
    return result.Made() ? "PDF made" : RowFailureText(result);
}

std::string RowTipText(const TRowResult& result)
{
    return result.Made() ? "PDF made: " + result.pdfPath : RowFailureText(result);
}

std::string ProgressText(int number, int total, std::string_view name)
{
    // The program's code page is UTF-8 (its manifest): the dash is written as such.
    return "Converting " + std::to_string(number) + " of " + std::to_string(total) + " \xE2\x80\x93 " +
           std::string(name);
}

std::string BatchSummaryText(int made, int failed, bool stopped)
{
    std::string text = std::to_string(made) + (made == 1 ? " PDF made" : " PDFs made");
    if (failed > 0)
        text += ", " + std::to_string(failed) + " failed";
    if (stopped)
        text += ", stopped";
    return text;
}

std::string RefusedFilesText(const std::vector<std::string>& lines)
{
    constexpr size_t kShown = 20; // a box taller than the screen hides its button
    std::string text = "Some files cannot be converted.\n";
    for (size_t i = 0; i < lines.size() && i < kShown; ++i)
        text += "\n" + lines[i];
    if (lines.size() > kShown)
        text += "\n... and " + std::to_string(lines.size() - kShown) + " more";
    return text;
}

std::string OutputFolderRefusal(std::string_view folder, std::string_view spoolFolder, bool insideOnDisk)
{
    const std::string f = LowerAscii(WithTrailingBackslash(std::string(folder)));
    const std::string s = LowerAscii(WithTrailingBackslash(std::string(spoolFolder)));
    if (!insideOnDisk && (s.size() <= 1 || f.compare(0, s.size(), s) != 0))
        return {};
    return "The output folder " + std::string(folder) +
           " is the program's spool folder, whose files it deletes; choose another one in Setting.";
}

std::vector<std::string> OpenDialogFiles(std::string_view buffer)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < buffer.size()) {
        size_t end = buffer.find('\0', start);
        if (end == std::string_view::npos)
            end = buffer.size();
        if (end == start)
            break; // the second zero byte ends the list
        parts.emplace_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() <= 1)
        return parts; // one file: its full path
    std::vector<std::string> files;
    const std::string folder = WithTrailingBackslash(parts.front());
    for (size_t i = 1; i < parts.size(); ++i)
        files.push_back(folder + parts[i]);
    return files;
}

std::string HelpFilePath(const std::string& programPath)
{
    return std::string(FolderPart(programPath)) + kHelpFileName;
}

} // namespace folimar
