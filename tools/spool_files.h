// The port's files: new files under unique names, the batch test and the job-id file.
#pragma once

#include "base/printer_constants.h"
#include "port/write_all.h"
#include "win/handle.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace porttool {

// Creates a file that did not exist, named folder + nameOf(n) for the first n from 0 whose name
// is free (at most 1000 tries), opened for writing; sets path. An invalid handle with the last
// error set when none could be made.
win::UniqueHandle CreateNewFile(const std::string& folder, const std::function<std::string(int)>& nameOf,
                                std::string& path);

// Deletes a file of ours when the scope ends, unless it is kept; the last error survives.
class PendingFile {
public:
    explicit PendingFile(std::string path) : path_(std::move(path)) {}
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

// The token of the batch document whose print program printed this job (the environment this
// process inherited from it), when that batch still takes jobs: the named object the token names
// exists. Nothing for a job of any other program, or of a batch that has ended or was killed. A
// destination note or the batch mutex alone does not tell: while a batch runs, another program's
// job would vanish into it.
std::optional<std::string> RunningBatchToken();

// Announces a captured job in folder: content goes into a temporary file first, which is then
// renamed to the first job-id name from firstId on that is free, so that a reader finds the
// job-id file whole or not at all. Returns its path, or empty with the last error set and no
// file of ours left behind.
std::string PublishJobId(const std::string& folder, uint32_t firstId, std::string_view content);

} // namespace porttool
