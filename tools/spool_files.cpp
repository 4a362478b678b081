// The port's files in its spool folders.
#include "tools/spool_files.h"

#include "base/printer_constants.h"
#include "port/batch_job.h"
#include "port/port_job.h"

namespace porttool {

namespace {

constexpr int kNameTries = 1000;

} // namespace

win::UniqueHandle CreateNewFile(const std::string& folder, const std::function<std::string(int)>& nameOf,
                                std::string& path)
{
    for (int n = 0; n < kNameTries; ++n) {
        std::string candidate = folder + nameOf(n);
        win::UniqueHandle file(
            ::CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            path = candidate;
            return file;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return {};
    }
    return {};
}

PendingFile::~PendingFile()
{
    if (path_.empty())
        return;
    DWORD error = ::GetLastError();
    ::DeleteFileA(path_.c_str());
    ::SetLastError(error);
}

std::optional<std::string> RunningBatchToken()
{
    char token[256];
    const DWORD length = ::GetEnvironmentVariableA(kJobTokenVariable, token, sizeof token);
    if (length == 0 || length >= sizeof token)
        return std::nullopt;
    const std::optional<std::string> object = BatchObjectOfToken(std::string_view(token, length));
    if (!object)
        return std::nullopt;
    win::UniqueHandle batch(::OpenMutexA(SYNCHRONIZE, FALSE, object->c_str()));
    if (!batch)
        return std::nullopt;
    return std::string(token, length);
}

std::string PublishJobId(const std::string& folder, uint32_t firstId, std::string_view content)
{
    const DWORD pid = ::GetCurrentProcessId();
    std::string temp;
    win::UniqueHandle file = CreateNewFile(
        folder, [pid](int n) { return JobIdTempName(pid, n); }, temp);
    if (!file)
        return {};
    PendingFile pending(temp);
    bool written = WriteAll(file.get(), content);
    DWORD error = ::GetLastError();
    file.reset();
    if (!written) {
        ::SetLastError(error);
        return {};
    }
    uint32_t id = firstId;
    for (int n = 0; n < kNameTries; ++n, id = NextJobId(id)) {
        std::string name = folder + JobIdFileName(id);
        // Without MOVEFILE_REPLACE_EXISTING the rename fails on a name taken meanwhile.
        if (::MoveFileExA(temp.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) {
            pending.Keep();
            return name;
        }
        error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return {};
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return {};
}

} // namespace porttool
