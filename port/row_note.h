// Which print job is a batch row's own where the port cannot see the printing process (the Windows
// port monitor): the row note the batch keeps in its spool folder while the row prints, and the
// rule that matches a job's document name against the names the note gives.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace porttool {

// What the note says: the row's token (as JobToken makes it) and the file names the row's print
// program may give its job: the document's own name and, when the program is handed the 8.3
// short name, that one too. Names are UTF-8, without folders.
struct TRowNote {
    std::string token;
    std::vector<std::string> names;

    bool operator==(const TRowNote&) const = default;
};

// The note's text: the token, then each name, each on a line of its own ("\n"). Neither a token
// nor a file name holds a line break, so the lines cannot be mixed up.
std::string RowNoteText(const TRowNote& note);

// The note of a text, when it holds a batch's token and at least one non-empty name; nothing for
// anything else (a torn or foreign file must not make a job a batch job).
std::optional<TRowNote> ParseRowNote(std::string_view text);

// Whether a job whose document name (UTF-8, as the spooler gives it) is documentName was printed
// from the file fileName. Programs name jobs after the file in many ways ("letter.txt",
// "letter.txt - Notepad", "Microsoft Word - letter", "C:\docs\letter.txt", or the stem alone when
// the shell hides extensions), so either:
// - the whole file name appears as a word of its own (nothing of a word on either side: ASCII
//   letters, digits, '_' and every non-ASCII byte count as word characters), or
// - the stem (the name without its last extension) stands as a whole part of the title: between
//   its start or end, a folder separator and a title separator (" - ", " – ", " — ", " | ", and
//   ": " before it), quotes and a '*' aside. A stem inside running text ("a letter" for "a.txt",
//   "Quarterly report" for "report.txt") is not enough.
// ASCII letters compare without case; other bytes exactly. An empty name never matches.
bool DocumentNameMatches(std::string_view documentName, std::string_view fileName);

// Whether documentName matches any of the note's names.
bool IsRowJob(const TRowNote& note, std::string_view documentName);

} // namespace porttool
