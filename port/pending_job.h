// Jobs the Windows port monitor could not hand to the program, kept until the program's next
// start offers them: where they wait and how their files are named. The monitor writes them, the
// program reads them; both take the names from here.
#pragma once

#include "port/port_job.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace porttool {

// Below the program's data folder in the user's application-data folder.
inline constexpr char kPendingFolderName[] = "PENDING\\";

// Below %ProgramData%: the product's shared folder (the setup's and the monitor's logs), and the
// pending jobs of users whose own folders could not be reached, one folder per user's SID text.
inline constexpr char kSharedFolderName[] = "Quorvel Folimar\\";
inline constexpr char kSharedPendingFolderName[] = "pending\\";

// A pending job is a job file "<stem>.ps" and its companion "<stem>.inf" (CompanionText), the
// stem as JobFileStem makes it; the companion is written last, so a job whose companion is there
// is whole.
inline constexpr char kJobExtension[] = ".ps";
inline constexpr char kCompanionExtension[] = ".inf";

// The stems of the whole pending jobs among a folder's file names (both files there), oldest
// first: the stem's time digits order them, then the rest of the name.
std::vector<std::string> PendingJobStems(const std::vector<std::string>& fileNames);

// A companion file's content read back; nothing when it is not one (no [Job] section, no
// JobFile). Fields it does not hold stay empty. Companion and job file paths are the caller's.
std::optional<PortJob> ParseCompanion(std::string_view text);

} // namespace porttool
