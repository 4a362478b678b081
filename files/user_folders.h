// The user's folders: documents, application data, and the program's data and spool folders
// below application data. Each path ends in a backslash.
#pragma once

#include <string>

namespace folimar {

inline constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The user's documents folder, or "C:\" when it is not recorded.
std::string GetMyDocumentsFolder();

// The user's application-data folder: as the shell folders record it, else as the shell reports
// it, else the documents folder. Never empty and never a bare name, so that the program and the
// printer's port, which both call it, always meet in the same spool folder.
std::string AppDataFolder();

// The program's data folder below the application-data folder: "<appData>\QUORPSFILES\".
std::string DataFolderOf(const std::string& appDataFolder);

// The spool folder of the batch pipeline: "<appData>\QUORPSFILES\TEMP\".
std::string SpoolFolderOf(const std::string& appDataFolder);

} // namespace folimar
