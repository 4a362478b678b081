// Rules of the batch window that need no window: the buttons' states, the rows' colours and
// delete buttons, the list's pop-up menu, the files an open dialog returns and the help file.
#pragma once

#include "batch/rules/row_result.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace folimar {

// What the idle rule gives the tool panel and the list.
struct TBatchButtonStates {
    bool addFilesEnabled = false;
    bool setupEnabled = false; // "Setting", and the list with it
    bool startEnabled = false; // "Create PDF"
    bool startVisible = false;
    bool stopVisible = false; // never together with "Create PDF"

    bool operator==(const TBatchButtonStates&) const = default;
};

// The idle rule: nothing changes the list or the settings while a batch runs or dropped files are
// still being examined; "Create PDF" needs a convertible entry and gives its place to "Stop"
// during a batch.
TBatchButtonStates BatchButtonStates(bool batchRunning, int convertibleCount, bool examining = false);

// The status image a row takes when the batch reports on it: failed, done, or pending again for a
// batch stopped during it (and for any other report).
int StatusImageAfter(WPARAM batchStatus);

// Rows alternate between two tints, from the top.
COLORREF RowBackground(int index);

// The row delete button over the left end of a row, given the row's bounds (client pixels):
// one pixel in from its top-left corner, two pixels less high than the row, two more wide than high.
RECT RowButtonRect(const RECT& row);

// A row's button shows only while its top lies in the list's item area (below the header):
// a button of a row scrolled away must not cover the header or float outside the rows.
bool RowButtonShown(const RECT& button, const RECT& itemArea);

// The list's pop-up menu: which items can be used.
struct TPopupStates {
    bool removeSelected = false;
    bool removeAll = false;
    bool openPdf = false;
    bool openFolder = false; // "Open containing folder"

    bool operator==(const TPopupStates&) const = default;
};

// The items of the list's pop-up menu, in order, and the hint the status line shows while each
// is highlighted.
enum class TPopupItem { RemoveSelected, RemoveAll, OpenPdf, OpenFolder };
const char* PopupItemCaption(TPopupItem item);
const char* PopupItemHint(TPopupItem item);

// firstSelectedImage: the image index of the first selected entry (-1 when none is selected);
// pdfExists: a file is at that entry's PDF path. Nothing is removed while a batch runs.
TPopupStates PopupStates(int count, int selectedCount, int firstSelectedImage, bool pdfExists,
                         bool batchRunning = false);

// A row's Status column: "PDF made", or why it failed.
std::string RowStatusText(const TRowResult& result);
// A row's tooltip: the PDF written, or why none was.
std::string RowTipText(const TRowResult& result);

// The status line while a batch runs: "Converting 7 of 30 – name".
std::string ProgressText(int number, int total, std::string_view name);
// The status line after a batch: "28 PDFs made, 2 failed" (", stopped" when it was stopped).
std::string BatchSummaryText(int made, int failed, bool stopped);

// The box that names each refused file: "Some files cannot be converted." and a line per file
// ("name: reason"), the first 20 of them and how many more.
std::string RefusedFilesText(const std::vector<std::string>& lines);

// Why folder cannot take the batch's PDFs: the spool folder, whose files each batch deletes, and
// everything in it, by its spelling or because the disk says so (insideOnDisk). The rest of the
// data folder is the user's to choose. Empty when it can.
std::string OutputFolderRefusal(std::string_view folder, std::string_view spoolFolder, bool insideOnDisk = false);

// The files an open dialog with several choices returns in its buffer: one full path, or the
// folder followed by the names, each ended by a zero byte and the list by a second one.
std::vector<std::string> OpenDialogFiles(std::string_view buffer);

// The help file beside the program.
std::string HelpFilePath(const std::string& programPath);

} // namespace folimar
