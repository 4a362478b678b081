// Fuzzes the print command lookup over a registry made of the input: the extension, then one
// answer per key read. Checks the five answers against a plain reference of the read order,
// the value text rule, the extension tables and how the batch list combines the answers.
#include "batch/rules/batch_list_rules.h"
#include "batch/rules/print_command_rules.h"
#include "fuzz/fuzz_check.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace folimar;

namespace {

// Input lines: the extension, then per read "N" (no key), "E" (key without a value) or
// "V<bytes>" (the bytes the read reported).
struct Registry {
    explicit Registry(std::vector<std::string_view> a) : answers(std::move(a)) {}

    std::vector<std::string_view> answers;
    size_t next = 0;
    std::vector<std::string> asked;

    TDefaultValue Read(const std::string& path)
    {
        asked.push_back(path);
        TDefaultValue value;
        std::string_view answer = next < answers.size() ? answers[next++] : "N";
        if (answer.empty() || answer[0] == 'N')
            return value;
        value.keyOpened = true;
        if (answer[0] == 'V')
            value.text = DefaultValueText(answer.substr(1));
        return value;
    }
};

// The reads written out one by one, with the answers in the same order.
TPrintCommandInfo Reference(std::string_view extension, Registry& r)
{
    TPrintCommandInfo info{std::string(extension.empty() ? extension : extension.substr(1)) + " file", "", "", "", ""};
    TDefaultValue cls = r.Read(std::string(extension));
    if (!cls.text || cls.text->empty())
        return info;
    TDefaultValue desc = r.Read(*cls.text);
    if (!desc.keyOpened)
        return info;
    if (desc.text && !desc.text->empty())
        info.description = *desc.text;
    TDefaultValue cmd = r.Read(*cls.text + "\\shell\\print\\command");
    if (!cmd.keyOpened)
        return info;
    info.printCommand = cmd.text.value_or("");
    TDefaultValue dde = r.Read(*cls.text + "\\shell\\print\\ddeexec");
    if (!dde.text)
        return info;
    info.ddeCommand = *dde.text;
    TDefaultValue app = r.Read(*cls.text + "\\shell\\print\\ddeexec\\Application");
    if (!app.text)
        return info;
    info.ddeApplication = *app.text;
    TDefaultValue topic = r.Read(*cls.text + "\\shell\\print\\ddeexec\\Topic");
    info.ddeTopic = topic.text.value_or("");
    return info;
}

bool InTable(std::string_view extension, const std::vector<std::string_view>& table)
{
    std::string lower;
    for (char c : extension)
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    for (std::string_view entry : table) {
        if (entry == lower)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    for (size_t start = 0; start <= input.size();) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos)
            end = input.size();
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    const std::string_view extension = lines[0];
    const std::vector<std::string_view> answers(lines.begin() + 1, lines.end());

    Registry product{answers}, reference{answers};
    TPrintCommandInfo info =
        LookupPrintCommandWith(extension, [&product](const std::string& path) { return product.Read(path); });
    FUZZ_REQUIRE(info == Reference(extension, reference));
    FUZZ_REQUIRE(product.asked == reference.asked);
    FUZZ_REQUIRE(product.asked.size() <= 6);
    for (const std::string* text : {&info.printCommand, &info.ddeCommand, &info.ddeApplication, &info.ddeTopic})
        FUZZ_REQUIRE(text->find('\0') == std::string::npos);
    FUZZ_REQUIRE(info.ddeApplication.empty() || product.asked.size() >= 5);
    FUZZ_REQUIRE(info.ddeTopic.empty() || product.asked.size() == 6);

    // A value's text is its reported bytes up to the first zero.
    for (std::string_view answer : answers) {
        std::optional<std::string> text = DefaultValueText(answer);
        FUZZ_REQUIRE(text.has_value() == !answer.empty());
        FUZZ_REQUIRE(!text || (answer.substr(0, text->size()) == *text && text->find('\0') == std::string::npos &&
                               (text->size() == answer.size() || answer[text->size()] == '\0')));
    }

    const bool image = InTable(extension, {std::begin(ImageExtensions), std::end(ImageExtensions)});
    FUZZ_REQUIRE(IsImageExtension(extension) == image);
    FUZZ_REQUIRE(IsTextExtension(extension) ==
                 InTable(extension, {std::begin(TextExtensions), std::end(TextExtensions)}));
    const std::string paint = ImagePrintCommand(extension, "C:\\w\\mspaint.exe", true);
    FUZZ_REQUIRE(paint == (image ? "C:\\w\\mspaint.exe /p \"%1\"" : ""));

    // The batch list's combination: PostScript never asks the registry; Paint wins for images;
    // a source file without a command of its own takes the text type's.
    Registry combined{answers};
    auto lookup = [&combined](std::string_view ext) {
        return LookupPrintCommandWith(ext, [&combined](const std::string& path) { return combined.Read(path); });
    };
    TPrintCommandInfo listed = PrintInfoForExtension(
        extension, lookup, [](std::string_view ext) { return ImagePrintCommand(ext, "C:\\w\\mspaint.exe", true); });
    const bool postScript = InTable(extension, {".ps"});
    if (postScript) {
        FUZZ_REQUIRE(combined.asked.empty() && listed.printCommand == ".ps" && listed.description == "ps file");
    } else {
        FUZZ_REQUIRE(listed.description == info.description);
        if (image)
            FUZZ_REQUIRE(listed.printCommand == paint);
        else if (!info.printCommand.empty())
            FUZZ_REQUIRE(listed == info);
        const bool askedText = !combined.asked.empty() && combined.asked.size() > product.asked.size() &&
                               combined.asked[product.asked.size()] == ".txt";
        FUZZ_REQUIRE(askedText == (!image && info.printCommand.empty() && IsTextExtension(extension)));
    }
    return 0;
}
