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
    return (reply.rendered ? kRendered : kFailed) + std::to_string(reply.pages < 0 ? 0 : reply.pages) + "\n";
}

std::optional<TRenderReply> ParseRenderReply(std::string_view line)
{
    TRenderReply reply;
    std::string_view count;
    if (line.starts_with(kRendered)) {
        reply.rendered = true;
        count = line.substr(sizeof kRendered - 1);
    } else if (line.starts_with(kFailed)) {
        count = line.substr(sizeof kFailed - 1);
    } else {
        return std::nullopt;
    }
    auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), reply.pages);
    if (count.empty() || error != std::errc() || end != count.data() + count.size() || reply.pages < 0)
        return std::nullopt;
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
