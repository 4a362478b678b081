// The print program's note as text.
#include "batch/rules/print_program_note.h"

#include <charconv>

namespace folimar {

namespace {

// A decimal number that fills text from its start up to a blank or its end; what follows it.
template <class T> std::optional<T> TakeNumber(std::string_view& text)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return value;
}

} // namespace

std::string FormatPrintProgramNote(const TPrintProgramNote& note)
{
    return std::to_string(note.processId) + " " + std::to_string(note.created);
}

std::optional<TPrintProgramNote> ParsePrintProgramNote(std::string_view text)
{
    if (text.ends_with("\r\n"))
        text.remove_suffix(2);
    else if (text.ends_with('\n'))
        text.remove_suffix(1);
    const std::optional<uint32_t> processId = TakeNumber<uint32_t>(text);
    if (!processId || !text.starts_with(' '))
        return std::nullopt;
    text.remove_prefix(1);
    const std::optional<uint64_t> created = TakeNumber<uint64_t>(text);
    if (!created || !text.empty() || *processId == 0 || *created == 0)
        return std::nullopt;
    return TPrintProgramNote{*processId, *created};
}

} // namespace folimar
