// The batch's tokens, the captured jobs' names and the job-id file's text.
#include "port/batch_job.h"

#include "port/port_job.h"

#include <cstdio>

namespace porttool {

namespace {

constexpr std::string_view kBatchObjectPrefix = "FOLIMAR_BATCH_";
// More digits than any row of a list, fewer than would overflow.
constexpr size_t kMaxRowDigits = 9;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool AllOf(std::string_view text, bool (*test)(char))
{
    for (char c : text)
        if (!test(c))
            return false;
    return !text.empty();
}

// Takes "<word><separator>" off the front of text; the word must pass test.
bool TakeWord(std::string_view& text, char separator, bool (*test)(char), size_t length = 0)
{
    const size_t end = text.find(separator);
    if (end == std::string_view::npos)
        return false;
    const std::string_view word = text.substr(0, end);
    if (!AllOf(word, test) || (length != 0 && word.size() != length))
        return false;
    text.remove_prefix(end + 1);
    return true;
}

} // namespace

std::string BatchObjectName(uint32_t processId, uint32_t tick)
{
    char name[64];
    std::snprintf(name, sizeof name, "%.*s%x_%x", static_cast<int>(kBatchObjectPrefix.size()),
                  kBatchObjectPrefix.data(), processId, tick);
    return name;
}

std::string JobToken(std::string_view batchObject, size_t row)
{
    return std::string(batchObject) + "/" + std::to_string(row);
}

std::optional<std::string> BatchObjectOfToken(std::string_view token)
{
    const size_t slash = token.rfind('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::string_view object = token.substr(0, slash);
    const std::string_view row = token.substr(slash + 1);
    if (row.size() > kMaxRowDigits || !AllOf(row, IsDigit))
        return std::nullopt;
    if (object.substr(0, kBatchObjectPrefix.size()) != kBatchObjectPrefix)
        return std::nullopt;
    std::string_view ids = object.substr(kBatchObjectPrefix.size());
    if (!TakeWord(ids, '_', IsHexDigit) || ids.size() > 8 || !AllOf(ids, IsHexDigit))
        return std::nullopt;
    return std::string(object);
}

bool IsCapturedJobName(std::string_view name)
{
    constexpr std::string_view kStart = "job-";
    constexpr std::string_view kExtension = kCapturedJobExtension;
    if (name.size() <= kStart.size() + kExtension.size() || name.substr(0, kStart.size()) != kStart ||
        name.substr(name.size() - kExtension.size()) != kExtension)
        return false;
    std::string_view rest = name.substr(kStart.size(), name.size() - kStart.size() - kExtension.size());
    if (!TakeWord(rest, '-', IsDigit, 8) || rest.size() < 7 || rest[6] != '-')
        return false;
    if (!AllOf(rest.substr(0, 6), IsDigit))
        return false;
    rest.remove_prefix(7);
    const size_t dash = rest.find('-');
    if (dash == std::string_view::npos)
        return rest.size() <= 8 && AllOf(rest, IsHexDigit);
    return dash <= 8 && AllOf(rest.substr(0, dash), IsHexDigit) && rest.size() - dash - 1 <= 4 &&
           AllOf(rest.substr(dash + 1), IsDigit);
}

std::string JobIdFileText(const TJobIdRecord& record)
{
    return record.token.empty() ? record.psPath : record.psPath + "\n" + record.token;
}

TJobIdRecord ParseJobIdFile(std::string_view text)
{
    const size_t end = text.find('\n');
    if (end == std::string_view::npos)
        return {std::string(text), {}};
    return {std::string(text.substr(0, end)), std::string(text.substr(end + 1))};
}

} // namespace porttool
