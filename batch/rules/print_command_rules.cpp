// The print command lookup's rules over strings.
#include "batch/rules/print_command_rules.h"

#include <algorithm>

namespace folimar {

namespace {

template <size_t N> bool InTable(const std::string_view (&table)[N], std::string_view extension)
{
    const std::string lower = LowerAscii(extension);
    return std::find(std::begin(table), std::end(table), lower) != std::end(table);
}

} // namespace

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool IsImageExtension(std::string_view extension)
{
    return InTable(ImageExtensions, extension);
}

bool IsTextExtension(std::string_view extension)
{
    return InTable(TextExtensions, extension);
}

std::string DefaultTypeDescription(std::string_view extension)
{
    if (!extension.empty())
        extension.remove_prefix(1);
    return std::string(extension) + " file";
}

std::string ImagePrintCommand(std::string_view extension, std::string_view paintPath, bool paintExists)
{
    if (!paintExists || !IsImageExtension(extension))
        return {};
    return std::string(paintPath) + " /p \"%1\"";
}

std::optional<std::string> DefaultValueText(std::string_view reportedBytes)
{
    if (reportedBytes.empty())
        return std::nullopt;
    return std::string(reportedBytes.substr(0, reportedBytes.find('\0')));
}

TPrintCommandInfo LookupPrintCommandWith(std::string_view extension, const DefaultValueReader& read)
{
    TPrintCommandInfo info;
    info.description = DefaultTypeDescription(extension);

    // An empty class name names no type (as a key path it would be the classes root itself).
    const TDefaultValue type = read(std::string(extension));
    if (!type.text || type.text->empty())
        return info;
    const std::string& className = *type.text;

    // The description is for show only: a type without a readable one still prints.
    const TDefaultValue description = read(className);
    if (!description.keyOpened)
        return info;
    if (description.text && !description.text->empty())
        info.description = *description.text;

    const TDefaultValue command = read(className + "\\shell\\print\\command");
    if (!command.keyOpened)
        return info;
    if (command.text)
        info.printCommand = *command.text;

    const std::string ddeKey = className + "\\shell\\print\\ddeexec";
    const TDefaultValue dde = read(ddeKey);
    if (!dde.text)
        return info;
    info.ddeCommand = *dde.text;
    const TDefaultValue application = read(ddeKey + "\\Application");
    if (!application.text)
        return info;
    info.ddeApplication = *application.text;
    const TDefaultValue topic = read(ddeKey + "\\Topic");
    if (topic.text)
        info.ddeTopic = *topic.text;
    return info;
}

} // namespace folimar
