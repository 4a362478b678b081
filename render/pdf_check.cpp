// The completeness check of a PDF's tail.
#include "render/pdf_check.h"

namespace folimar {

namespace {

bool IsPdfSpace(char c)
{
    return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\0';
}

std::string_view TrimEnd(std::string_view s)
{
    while (!s.empty() && IsPdfSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace

bool PdfTailComplete(std::string_view tail, uint64_t fileSize)
{
    constexpr std::string_view kEof = "%%EOF";
    constexpr std::string_view kStartXref = "startxref";
    if (tail.size() > fileSize)
        return false;
    std::string_view body = TrimEnd(tail);
    if (body.size() < kEof.size() || body.substr(body.size() - kEof.size()) != kEof)
        return false;
    body = TrimEnd(body.substr(0, body.size() - kEof.size()));
    // The offset: the digits that stand last before "%%EOF", right after "startxref".
    size_t digits = body.size();
    while (digits > 0 && body[digits - 1] >= '0' && body[digits - 1] <= '9')
        --digits;
    if (digits == body.size())
        return false;
    std::string_view head = TrimEnd(body.substr(0, digits));
    if (head.size() == digits || head.size() < kStartXref.size() ||
        head.substr(head.size() - kStartXref.size()) != kStartXref)
        return false;
    uint64_t offset = 0;
    for (char c : body.substr(digits)) {
        if (offset > (UINT64_MAX - 9) / 10)
            return false;
        offset = offset * 10 + static_cast<uint64_t>(c - '0');
    }
    // The cross-reference section stands before the "startxref" that points to it.
    const uint64_t startXrefAt = fileSize - tail.size() + (head.size() - kStartXref.size());
    return offset < startXrefAt;
}

} // namespace folimar
