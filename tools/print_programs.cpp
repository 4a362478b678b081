// The print programs' command lines, DDE command and registration, as pure text rules.
#include "tools/print_programs.h"

#include "files/text_rules.h"

#include <algorithm>

namespace porttool {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads text from the front: blanks are skipped before every token.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    void SkipBlanks()
    {
        while (!text_.empty() && IsBlank(text_.front()))
            text_.remove_prefix(1);
    }
    bool Take(char c)
    {
        SkipBlanks();
        if (text_.empty() || text_.front() != c)
            return false;
        text_.remove_prefix(1);
        return true;
    }
    // Letters up to the next character that is not one.
    std::string_view Word()
    {
        SkipBlanks();
        size_t n = 0;
        while (n < text_.size() && ((text_[n] >= 'a' && text_[n] <= 'z') || (text_[n] >= 'A' && text_[n] <= 'Z')))
            ++n;
        std::string_view word = text_.substr(0, n);
        text_.remove_prefix(n);
        return word;
    }
    // The bytes up to the next double quote, which is consumed; nullopt when there is none.
    std::optional<std::string_view> UpToQuote()
    {
        size_t quote = text_.find('"');
        if (quote == std::string_view::npos)
            return std::nullopt;
        std::string_view part = text_.substr(0, quote);
        text_.remove_prefix(quote + 1);
        return part;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return text_.empty();
    }

private:
    std::string_view text_;
};

} // namespace

std::optional<PrintTextArgs> ParsePrintTextArgs(const std::vector<std::string>& args)
{
    if (args.empty() || args.size() > 2)
        return std::nullopt;
    PrintTextArgs parsed;
    // "/p" is never a file to print: Unix paths start with "/", but not with a lone "/p".
    if (folimar::EqualsNoCaseAscii(args[0], "/p") || folimar::EqualsNoCaseAscii(args[0], "-p")) {
        if (args.size() != 2)
            return std::nullopt;
        parsed.file = args[1];
        parsed.printVerb = true;
    } else {
        parsed.file = args[0];
        if (args.size() == 2)
            parsed.printer = args[1];
    }
    if (parsed.file.empty() || (args.size() == 2 && args[1].empty()))
        return std::nullopt;
    return parsed;
}

std::optional<DdeCommand> ParseDdeCommand(std::string_view text)
{
    Cursor cursor(text);
    DdeCommand command;
    if (!cursor.Take('['))
        return std::nullopt;
    std::string_view verb = cursor.Word();
    if (folimar::EqualsNoCaseAscii(verb, "print"))
        command.verb = DdeCommand::Verb::Print;
    else if (folimar::EqualsNoCaseAscii(verb, "open"))
        command.verb = DdeCommand::Verb::Open;
    else
        return std::nullopt;
    if (!cursor.Take('(') || !cursor.Take('"'))
        return std::nullopt;
    std::optional<std::string_view> path = cursor.UpToQuote();
    if (!path || path->empty() || !cursor.Take(')') || !cursor.Take(']') || !cursor.AtEnd())
        return std::nullopt;
    command.path = std::string(*path);
    return command;
}

std::vector<RegistryValue> PrintProgramEntries(const std::string& printText, const std::string& printDde)
{
    const std::string text = "Quorvel.TextDocument";
    const std::string dde = "Quorvel.DdeDocument";
    const std::string ddeexec = dde + "\\shell\\print\\ddeexec";
    return {
        {".txt", "", text},
        {text, "", "Text Document"},
        {text + "\\shell\\print\\command", "", "\"" + printText + "\" /p \"%1\""},
        {".qdde", "", dde},
        {dde, "", "Quorvel DDE Document"},
        {dde + "\\shell\\print\\command", "", "\"" + printDde + "\""},
        {ddeexec, "", "[print(\"%1\")]"},
        {ddeexec + "\\Application", "", kDdeService},
        {ddeexec + "\\Topic", "", kDdeTopic},
    };
}

} // namespace porttool
