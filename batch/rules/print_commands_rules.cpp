// The rules of print-command execution over strings.
#include "batch/rules/print_commands_rules.h"

#include "files/text_rules.h"

namespace folimar {

std::string FillDocumentPath(std::string_view text, std::string_view documentPath)
{
    std::string filled;
    for (size_t start = 0;;) {
        const size_t at = text.find("%1", start);
        filled += text.substr(start, at - start);
        if (at == std::string_view::npos)
            return filled;
        filled += documentPath;
        start = at + 2;
    }
}

namespace {

bool HasPercent(const std::string& text)
{
    return text.find('%') != std::string::npos;
}

// The template names the document and holds no other placeholder. Only the template is looked
// at: a "%" in the document's own name ("Sales 100%.txt") is part of the name and goes through.
bool NamesDocumentOnly(const std::string& expanded)
{
    return expanded.find("%1") != std::string::npos && !HasPercent(FillDocumentPath(expanded, {}));
}

} // namespace

TPrintCommands BuildPrintCommandsWith(const std::string& commandTemplate, const std::string& ddeTemplate,
                                      const std::string& documentPath, const EnvironmentExpander& expand)
{
    TPrintCommands commands;
    if (commandTemplate.empty())
        return commands;
    const std::optional<std::string> command = expand(commandTemplate);
    if (!command)
        return commands;
    const std::optional<std::string> dde = ddeTemplate.empty() ? std::string() : expand(ddeTemplate);
    commands.commandLine = FillDocumentPath(*command, documentPath);
    if (dde)
        commands.ddeCommand = FillDocumentPath(*dde, documentPath);
    // Either the command line names the document or the DDE command does; a "%" left over in a
    // template is a placeholder the document cannot fill.
    const bool commandNamesDocument = NamesDocumentOnly(*command);
    const bool ddeNamesDocument = dde && commands.ddeCommand != ddeTemplate && !HasPercent(FillDocumentPath(*dde, {}));
    commands.printable = commandNamesDocument || ddeNamesDocument;
    return commands;
}

TDdeTarget DdeTargetFor(const std::string& commandLine, const std::string& application, const std::string& topic)
{
    TDdeTarget target{application, topic};
    if (target.application.empty()) {
        std::string_view line = TrimControlAndSpace(commandLine);
        std::string_view program;
        if (!line.empty() && line[0] == '"') {
            line.remove_prefix(1);
            program = line.substr(0, line.find('"'));
        } else {
            size_t end = 0;
            while (end < line.size() && !IsControlOrSpace(line[end]))
                ++end;
            program = line.substr(0, end);
        }
        std::string_view name = FileNamePart(program);
        target.application = name.substr(0, name.rfind('.'));
    }
    if (target.topic.empty())
        target.topic = "System";
    return target;
}

} // namespace folimar
