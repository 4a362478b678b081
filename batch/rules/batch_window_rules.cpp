// The batch window's rules over numbers and strings.
#include "batch/rules/batch_window_rules.h"

#include "base/printer_constants.h"
#include "batch/rules/batch_list_rules.h"
#include "batch/rules/batch_status.h"
#include "files/text_rules.h"

namespace folimar {

TBatchButtonStates BatchButtonStates(bool batchRunning, int convertibleCount)
{
    TBatchButtonStates states;
    states.addFilesEnabled = !batchRunning;
    states.setupEnabled = states.addFilesEnabled;
    states.startEnabled = convertibleCount > 0;
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

TPopupStates PopupStates(int count, int selectedCount, int firstSelectedImage, bool pdfExists)
{
    TPopupStates states;
    states.removeSelected = selectedCount > 0;
    states.removeAll = count > 0;
    states.openPdf = selectedCount > 0 && firstSelectedImage == 1 && pdfExists;
    return states;
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
