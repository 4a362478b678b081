// The converter process's lines.
#include "render/converter_protocol.h"

#include <charconv>

namespace folimar {

namespace {

constexpr char kRendered[] = "rendered ";
constexpr char kFailed[] = "failed ";
constexpr char kPage[] = "page ";

bool Unsplittable(const std::string& path)
{
    return path.find_first_of("\t\r\n") != std::string::npos;
}

} // namespace

std::string RenderRequestLine(const TRenderRequest& request)
{
    if (request.psFile.empty() || request.pdfFile.empty() || Unsplittable(request.psFile) ||
        Unsplittable(request.pdfFile))
        return {};
    return request.psFile + "\t" + request.pdfFile + "\n";
}

std::optional<TRenderRequest> ParseRenderRequest(std::string_view line)
{
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0 || tab + 1 == line.size() ||
        line.find_first_of("\t\r\n", tab + 1) != std::string_view::npos)
        return std::nullopt;
    return TRenderRequest{std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
}

std::string RenderReplyLine(const TRenderReply& reply)
{
    std::string line = (reply.rendered ? kRendered : kFailed) + std::to_string(reply.pages < 0 ? 0 : reply.pages);
    const TRenderFault& fault = reply.fault;
    if (!reply.rendered && (fault.writeError != 0 || !fault.gsError.empty()))
        line += " " + std::to_string(fault.writeError);
    if (!reply.rendered && !fault.gsError.empty()) {
        std::string words = fault.gsError;
        for (char& c : words)
            if (c == '\r' || c == '\n' || c == '\t')
                c = ' ';
        line += " " + words;
    }
    return line + "\n";
}

namespace {

// A whole unsigned decimal number that fits T.
template <class T> bool ParseNumber(std::string_view text, T& value)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && text.front() != '-' && error == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<TRenderReply> ParseRenderReply(std::string_view line)
{
    TRenderReply reply;
    std::string_view rest;
    if (line.starts_with(kRendered)) {
        reply.rendered = true;
        rest = line.substr(sizeof kRendered - 1);
    } else if (line.starts_with(kFailed)) {
        rest = line.substr(sizeof kFailed - 1);
    } else {
        return std::nullopt;
    }
    const size_t space = rest.find(' ');
    if (!ParseNumber(rest.substr(0, space), reply.pages))
        return std::nullopt;
    if (space == std::string_view::npos)
        return reply;
    // Only a failure says why.
    rest = rest.substr(space + 1);
    const size_t words = rest.find(' ');
    if (reply.rendered || !ParseNumber(rest.substr(0, words), reply.fault.writeError))
        return std::nullopt;
    if (words != std::string_view::npos)
        reply.fault.gsError = std::string(rest.substr(words + 1));
    return reply;
}

std::string PageLine(int page)
{
    return kPage + std::to_string(page) + "\n";
}

std::optional<int> ParsePageLine(std::string_view line)
{
    if (!line.starts_with(kPage))
        return std::nullopt;
    const std::string_view number = line.substr(sizeof kPage - 1);
    int page = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), page);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() || page == 0 || page < -1)
        return std::nullopt;
    return page;
}

std::optional<std::string> TakeLine(std::string& buffer)
{
    const size_t end = buffer.find('\n');
    if (end == std::string::npos)
        return std::nullopt;
    std::string line = buffer.substr(0, end);
    buffer.erase(0, end + 1);
    return line;
}

} // namespace folimar
