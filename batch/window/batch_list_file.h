// The batch list's reads of the file system, the registry and the user's locale.
#pragma once

#include "batch/rules/batch_list_rules.h"

#include <optional>
#include <string>

namespace folimar {

// The user's decimal separator ("." when the locale gives none).
std::string UserDecimalSeparator();

// Attributes and full 64-bit size of a path.
TFileFacts ReadFileFacts(const std::string& path);

// A file or folder is at path.
bool PathTaken(const std::string& path);

// Examines one document as the list adds it: the entry to append, or nothing when it is
// refused (refusal says why). Asks the file-type registry, Paint's place and the output folder;
// plannedByOtherRow tells the PDF paths the list's rows plan already.
std::optional<TBatchEntry> ExamineFile(const std::string& path, const std::string& outputFolder, bool overwrite,
                                       const PathTakenFn& plannedByOtherRow = {}, TRefusal* refusal = nullptr);

} // namespace folimar
