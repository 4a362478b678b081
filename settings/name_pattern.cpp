// The file name pattern of auto-saved printed documents.
#include "settings/name_pattern.h"

#include "files/text_rules.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

namespace folimar {

namespace {

enum class TField { Title, Date, Time, User, Counter };

constexpr std::array<std::pair<std::string_view, TField>, 5> kFields{{
    {"Title", TField::Title},
    {"Date", TField::Date},
    {"Time", TField::Time},
    {"User", TField::User},
    {"Counter", TField::Counter},
}};

// Numbered names go this far before a job is given up as having no free name.
constexpr int kMaxNumber = 9999;

// One piece of a pattern: literal text, or a field.
struct TPiece {
    std::string text;
    std::optional<TField> field;
};

// The pattern in pieces; problem tells why it cannot be read (an unknown or unclosed field).
std::vector<TPiece> SplitPattern(std::string_view pattern, std::string& problem)
{
    std::vector<TPiece> pieces;
    size_t pos = 0;
    while (pos < pattern.size()) {
        const size_t open = pattern.find('<', pos);
        if (open != pos) {
            pieces.push_back({std::string(pattern.substr(pos, open - pos)), std::nullopt});
            pos = open;
            continue;
        }
        const size_t close = pattern.find('>', open);
        const std::string_view name =
            close == std::string_view::npos ? std::string_view{} : pattern.substr(open + 1, close - open - 1);
        const auto known = std::find_if(kFields.begin(), kFields.end(),
                                        [&](const auto& f) { return EqualsNoCaseAscii(f.first, name); });
        if (close == std::string_view::npos || known == kFields.end()) {
            problem =
                close == std::string_view::npos
                    ? "a \"<\" opens no field: the fields are " + std::string(kNamePatternFields)
                    : "<" + std::string(name) + "> is no field: the fields are " + std::string(kNamePatternFields);
            return {};
        }
        pieces.push_back({{}, known->second});
        pos = close + 1;
    }
    return pieces;
}

constexpr std::string_view kReservedCharacters = "\\/:*?\"<>|";

bool HoldsReservedCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f ||
               kReservedCharacters.find(c) != std::string_view::npos;
    });
}

bool IsNoName(std::string_view name)
{
    return name.find_first_not_of(" .") == std::string_view::npos;
}

std::string Expand(const std::vector<TPiece>& pieces, const TNameFields& fields, int counter)
{
    std::string name;
    for (const TPiece& piece : pieces) {
        if (!piece.field) {
            name += piece.text;
            continue;
        }
        switch (*piece.field) {
        case TField::Title: {
            std::string title = FileNameFromTitle(fields.title);
            name += IsNoName(title) ? std::string(kUntitledName) : title;
            break;
        }
        case TField::Date:
            name += fields.date;
            break;
        case TField::Time:
            name += fields.time;
            break;
        case TField::User:
            name += FileNameFromTitle(fields.user);
            break;
        case TField::Counter:
            name += std::to_string(counter);
            break;
        }
    }
    if (IsNoName(name))
        return kUntitledName;
    if (IsReservedDeviceName(name + ".pdf"))
        name += '_';
    return name;
}

// The pieces of a pattern with no problem, or those of the default pattern.
std::vector<TPiece> UsablePieces(std::string_view pattern)
{
    std::string problem;
    std::vector<TPiece> pieces = SplitPattern(pattern, problem);
    if (problem.empty() && std::none_of(pieces.begin(), pieces.end(),
                                        [](const TPiece& p) { return !p.field && HoldsReservedCharacter(p.text); }))
        return pieces;
    return SplitPattern(kDefaultNamePattern, problem);
}

std::string Numbered(const std::string& name, int number)
{
    return number == 1 ? name : name + " (" + std::to_string(number) + ")";
}

} // namespace

std::string DateField(int year, int month, int day)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::string TimeField(int hour, int minute, int second)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%02d-%02d", hour, minute, second);
    return text;
}

std::string NamePatternProblem(std::string_view pattern, std::string_view folder, std::string_view user)
{
    std::string problem;
    const std::vector<TPiece> pieces = SplitPattern(pattern, problem);
    if (!problem.empty())
        return problem;
    for (const TPiece& piece : pieces)
        if (!piece.field && HoldsReservedCharacter(piece.text))
            return "a file name cannot hold control characters or any of \\ / : * ? \" < > |";
    // The literal text alone decides whether there is a name and whether it is a device's.
    std::string literal;
    for (const TPiece& piece : pieces)
        literal += piece.text;
    const bool onlyText = std::none_of(pieces.begin(), pieces.end(), [](const TPiece& p) { return p.field; });
    if (onlyText && IsNoName(literal))
        return "the pattern makes no file name";
    if (onlyText && IsReservedDeviceName(literal + ".pdf"))
        return "\"" + literal + "\" is the name of a Windows device, not of a file";
    // The longest name the pattern can make: a title cut to its most, the highest number.
    const TNameFields longest{std::string(kTitleNameUnits, 'W'), "0000-00-00", "00-00-00", std::string(user)};
    std::string name = Expand(pieces, longest, kMaxNumber);
    if (!HasCounterField(pattern))
        name = Numbered(name, kMaxNumber);
    const size_t units = Utf8ToUtf16(std::string(folder) + name + ".pdf").size();
    if (units > kMaxPathUnits)
        return "the names would be too long for this folder (" + std::to_string(units) + " characters, at most " +
               std::to_string(kMaxPathUnits) + ")";
    return {};
}

std::string ExpandNamePattern(std::string_view pattern, const TNameFields& fields, int counter)
{
    return Expand(UsablePieces(pattern), fields, counter);
}

bool HasCounterField(std::string_view pattern)
{
    const std::vector<TPiece> pieces = UsablePieces(pattern);
    return std::any_of(pieces.begin(), pieces.end(), [](const TPiece& p) { return p.field == TField::Counter; });
}

std::string AutoSavePath(const std::string& folder, std::string_view pattern, const TNameFields& fields, bool overwrite,
                         const std::function<bool(const std::string&)>& taken)
{
    const std::vector<TPiece> pieces = UsablePieces(pattern);
    const bool counted =
        std::any_of(pieces.begin(), pieces.end(), [](const TPiece& p) { return p.field == TField::Counter; });
    if (!counted && overwrite)
        return folder + Expand(pieces, fields, 1) + ".pdf";
    for (int number = 1; number <= kMaxNumber; ++number) {
        const std::string name = counted ? Expand(pieces, fields, number) : Numbered(Expand(pieces, fields, 1), number);
        const std::string path = folder + name + ".pdf";
        if (!taken(path))
            return path;
    }
    return {};
}

} // namespace folimar
