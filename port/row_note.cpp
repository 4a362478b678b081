// The row note's text and the document-name rule.
#include "port/row_note.h"

#include "port/batch_job.h"

#include <algorithm>
#include <array>

namespace porttool {

namespace {

// Besides the token, more names than a row ever gives are a sign of a foreign file.
constexpr size_t kMaxNames = 4;

constexpr std::string_view kLineBreak = "\n";
// Between a title's parts; UTF-8 for the en and em dash.
constexpr std::array<std::string_view, 4> kTitleSeparators = {" - ", " \xE2\x80\x93 ", " \xE2\x80\x94 ", " | "};
// Only before the name: "Printing: letter".
constexpr std::string_view kLeadSeparator = ": ";
// Around a name in a title without being part of it: quotes, and the '*' of an unsaved change.
constexpr std::string_view kDecoration = "\"'*";

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsWordByte(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= '0' && c <= '9') || (LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z') || c == '_';
}

// Each place where needle starts in text, ASCII letters without case.
std::vector<size_t> FindAllNoCase(std::string_view text, std::string_view needle)
{
    std::vector<size_t> found;
    if (needle.empty() || needle.size() > text.size())
        return found;
    for (size_t at = 0; at + needle.size() <= text.size(); ++at)
        if (std::equal(needle.begin(), needle.end(), text.begin() + at,
                       [](char a, char b) { return LowerAscii(a) == LowerAscii(b); }))
            found.push_back(at);
    return found;
}

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

bool AllSpaces(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The whole name as a word: nothing of a word touches it on either side.
bool NameAsWord(std::string_view title, std::string_view name, size_t at)
{
    const size_t end = at + name.size();
    const bool left = at == 0 || !IsWordByte(title[at - 1]) || !IsWordByte(name.front());
    const bool right = end == title.size() || !IsWordByte(title[end]) || !IsWordByte(name.back());
    return left && right;
}

// What precedes a part of the title: nothing, a folder, or a title separator.
bool PartStartsAfter(std::string_view before)
{
    while (!before.empty() && kDecoration.find(before.back()) != std::string_view::npos)
        before.remove_suffix(1);
    if (AllSpaces(before) || before.back() == '\\' || before.back() == '/' || EndsWith(before, kLeadSeparator))
        return true;
    return std::any_of(kTitleSeparators.begin(), kTitleSeparators.end(),
                       [&](std::string_view s) { return EndsWith(before, s); });
}

// What follows a part of the title: nothing or a title separator.
bool PartEndsBefore(std::string_view after)
{
    while (!after.empty() && kDecoration.find(after.front()) != std::string_view::npos)
        after.remove_prefix(1);
    if (AllSpaces(after))
        return true;
    return std::any_of(kTitleSeparators.begin(), kTitleSeparators.end(),
                       [&](std::string_view s) { return StartsWith(after, s); });
}

std::string_view StemOf(std::string_view fileName)
{
    const size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

} // namespace

std::string RowNoteText(const TRowNote& note)
{
    std::string text = note.token;
    for (const std::string& name : note.names)
        text.append(kLineBreak).append(name);
    return text;
}

std::optional<TRowNote> ParseRowNote(std::string_view text)
{
    TRowNote note;
    size_t end = text.find(kLineBreak);
    if (end == std::string_view::npos || !BatchObjectOfToken(text.substr(0, end)))
        return std::nullopt;
    note.token = std::string(text.substr(0, end));
    while (end != std::string_view::npos) {
        text.remove_prefix(end + 1);
        end = text.find(kLineBreak);
        const std::string_view name = text.substr(0, end);
        if (name.empty() || note.names.size() == kMaxNames)
            return std::nullopt;
        note.names.emplace_back(name);
    }
    return note;
}

bool DocumentNameMatches(std::string_view documentName, std::string_view fileName)
{
    for (size_t at : FindAllNoCase(documentName, fileName))
        if (NameAsWord(documentName, fileName, at))
            return true;
    const std::string_view stem = StemOf(fileName);
    for (size_t at : FindAllNoCase(documentName, stem))
        if (PartStartsAfter(documentName.substr(0, at)) && PartEndsBefore(documentName.substr(at + stem.size())))
            return true;
    return false;
}

bool IsRowJob(const TRowNote& note, std::string_view documentName)
{
    return std::any_of(note.names.begin(), note.names.end(),
                       [&](const std::string& name) { return DocumentNameMatches(documentName, name); });
}

} // namespace porttool
