// The printer port's pure logic: the job title, the companion text and the program's command line.
#include "port/port_job.h"

#include "files/text_rules.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace porttool {

namespace {

bool IsOctal(char c)
{
    return c >= '0' && c <= '7';
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

size_t FindNoCase(std::string_view text, std::string_view keyword)
{
    auto it = std::search(text.begin(), text.end(), keyword.begin(), keyword.end(),
                          [](char a, char b) { return AsciiUpper(a) == AsciiUpper(b); });
    return it == text.end() ? std::string_view::npos : static_cast<size_t>(it - text.begin());
}

// The content of a PostScript string literal without its parentheses: \ddd (one to three octal
// digits) is one byte, \n \r \t \b \f are control bytes, any other escaped byte stands for itself.
std::string DecodeStringLiteral(std::string_view body)
{
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c != '\\' || i + 1 == body.size()) {
            out += c;
            continue;
        }
        char e = body[++i];
        if (IsOctal(e)) {
            int value = 0;
            size_t end = std::min(body.size(), i + 3);
            for (; i < end && IsOctal(body[i]); ++i)
                value = value * 8 + (body[i] - '0');
            --i;
            out += static_cast<char>(value & 0xFF);
            continue;
        }
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        default:
            out += e;
            break;
        }
    }
    return out;
}

std::string QuotedArgument(std::string_view value)
{
    std::string arg = "\"";
    for (char c : value)
        arg += c == '"' ? '\'' : c;
    return arg + "\"";
}

} // namespace

std::string DscTitle(std::string_view header)
{
    header = header.substr(0, std::min(header.size(), kHeaderBytes));
    header = header.substr(0, header.find('\0'));
    constexpr std::string_view kKeyword = "%%Title:";
    size_t at = FindNoCase(header, kKeyword);
    if (at == std::string_view::npos)
        return {};
    std::string_view rest = header.substr(at + kKeyword.size());
    rest = rest.substr(0, rest.find('\n'));
    std::string line;
    std::copy_if(rest.begin(), rest.end(), std::back_inserter(line), [](char c) { return c != '\r'; });
    std::string_view value = folimar::TrimControlAndSpace(line);
    if (value.size() < 2 || value.front() != '(' || value.back() != ')')
        return std::string(value);
    // A title is one line of text: escaped control bytes would break the companion file.
    std::string title = DecodeStringLiteral(value.substr(1, value.size() - 2));
    std::replace_if(
        title.begin(), title.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    return title;
}

std::string SafeTitle(std::string_view documentName)
{
    std::string title;
    title.reserve(documentName.size());
    for (char c : documentName) {
        const auto u = static_cast<unsigned char>(c);
        title += (u < 0x20 || u == 0x7F) ? ' ' : (c == '"' ? '\'' : c);
    }
    return std::string(folimar::TrimControlAndSpace(folimar::CutUtf8(title, kMaxTitleBytes)));
}

std::string JobCommandLine(const PortJob& job)
{
    const std::string args[] = {job.jobFile,  job.printer, job.companionFile, job.user, std::to_string(job.size),
                                job.received, job.title,   job.dataType};
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += ' ';
        line += QuotedArgument(arg);
    }
    return line;
}

std::string CompanionText(const PortJob& job)
{
    return "[Job]\r\n"
           "Printer=" +
           job.printer +
           "\r\n"
           "Document=" +
           job.title +
           "\r\n"
           "JobFile=" +
           job.jobFile +
           "\r\n"
           "Size=" +
           std::to_string(job.size) +
           "\r\n"
           "User=" +
           job.user +
           "\r\n"
           "Received=" +
           job.received +
           "\r\n"
           "DataType=" +
           job.dataType + "\r\n";
}

std::string JobFileStem(std::string_view received, uint32_t tag, int n)
{
    char pid[16];
    std::snprintf(pid, sizeof pid, "%x", tag);
    std::string stem = "job-" + std::string(received.substr(0, 8)) + "-" + std::string(received.substr(8)) + "-" + pid;
    if (n > 0)
        stem += "-" + std::to_string(n);
    return stem;
}

std::string TimeDigits(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%04u%02u%02u%02u%02u%02u", year % 10000, month % 100, day % 100, hour % 100,
                  minute % 100, second % 100);
    return digits;
}

std::string JobIdFileName(uint32_t id)
{
    return std::to_string(id);
}

uint32_t NextJobId(uint32_t id)
{
    return id == UINT32_MAX ? 1 : id + 1;
}

std::string JobIdTempName(uint32_t processId, int n)
{
    char name[48];
    std::snprintf(name, sizeof name, "~jobid-%x-%d.tmp", processId, n);
    return name;
}

std::string ShellQuote(std::string_view word)
{
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

} // namespace porttool
