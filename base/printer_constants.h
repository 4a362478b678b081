// Names shared with the virtual printer and its port, and the product's fixed file names.
#pragma once

namespace folimar {

inline constexpr char kPrinterName[] = "Quorvel Virtual Printer";
inline constexpr char kAppTitle[] = "Quorvel Folimar";

// Folders below the user's application-data folder; each ends in a backslash.
inline constexpr char kDataFolderName[] = "QUORPSFILES\\";
inline constexpr char kSpoolFolderName[] = "QUORPSFILES\\TEMP\\";

inline constexpr char kSettingsFileName[] = "folimar.ini";
inline constexpr char kHelpFileName[] = "folimar.chm";
inline constexpr char kDestNoteFileName[] = "~dest.tmp";
// In the spool folder while a batch row prints: its token and the names its job may carry.
inline constexpr char kRowNoteFileName[] = "~row.tmp";
inline constexpr char kStripTempFileName[] = "~tmp.~";
inline constexpr char kPsTempFileName[] = "~tmpps.ps";
inline constexpr char kCapturedJobPattern[] = "*.~ps";
// In the data folder while a batch runs: the default printer to put back should the run be killed.
inline constexpr char kPrinterNoteFileName[] = "~printer.tmp";
// In the data folder while a batch's print program runs: the program to end should the run be killed.
inline constexpr char kPrintProgramNoteFileName[] = "~printprog.tmp";
inline constexpr char kBatchMutexName[] = "FOLIMAR_MUTEX";

// Arguments of the port's command line, counted from 1 with the job file first.
inline constexpr int kJobFileArg = 1;
inline constexpr int kCompanionFileArg = 3;
inline constexpr int kDocTitleArg = 7;
inline constexpr int kJobCommandLineArgs = 8;

} // namespace folimar
