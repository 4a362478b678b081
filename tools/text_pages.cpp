// Page layout of a plain text.
#include "tools/text_pages.h"

#include "files/text_rules.h"

#include <algorithm>

namespace porttool {

namespace {

// The first byte of a character, not one of the bytes that continue it.
bool StartsCharacter(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

class PageBuilder {
public:
    explicit PageBuilder(PageSize size) : columns_(std::max(1, size.columns)), lines_(std::max(1, size.lines)) {}

    void Add(char c)
    {
        if (c == '\t') {
            const size_t spaces = kTabWidth - width_ % kTabWidth;
            line_.append(spaces, ' ');
            width_ += spaces;
            return;
        }
        line_ += c;
        if (StartsCharacter(c))
            ++width_;
    }

    // Ends the current line, wrapped to the page width; a character is never cut.
    void EndLine()
    {
        size_t start = 0;
        size_t characters = 0;
        for (size_t at = 0; at < line_.size(); ++at) {
            if (!StartsCharacter(line_[at]))
                continue;
            if (characters == static_cast<size_t>(columns_)) {
                Put(line_.substr(start, at - start));
                start = at;
                characters = 0;
            }
            ++characters;
        }
        Put(line_.substr(start));
        line_.clear();
        width_ = 0;
    }

    // A form feed: what follows goes on a new page, if anything follows.
    void BreakPage()
    {
        if (!line_.empty())
            EndLine();
        breakPending_ = true;
    }

    std::vector<Page> Finish()
    {
        if (!line_.empty())
            EndLine();
        if (pages_.empty())
            pages_.emplace_back();
        return std::move(pages_);
    }

private:
    void Put(std::string text)
    {
        if (pages_.empty() || static_cast<int>(pages_.back().size()) == lines_ ||
            (breakPending_ && !pages_.back().empty()))
            pages_.emplace_back();
        breakPending_ = false;
        pages_.back().push_back(std::move(text));
    }

    int columns_;
    int lines_;
    bool breakPending_ = false;
    std::string line_;
    size_t width_ = 0; // characters in line_
    std::vector<Page> pages_;
};

} // namespace

std::optional<std::string_view> Utf8TextOf(std::string_view bytes)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kByteOrderMark))
        return bytes.substr(kByteOrderMark.size());
    if (folimar::IsValidUtf8(bytes))
        return bytes;
    return std::nullopt;
}

std::vector<Page> PaginateText(std::string_view text, PageSize size)
{
    PageBuilder builder(size);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            builder.EndLine();
        } else if (c == '\n') {
            builder.EndLine();
        } else if (c == '\f') {
            builder.BreakPage();
        } else {
            builder.Add(c);
        }
    }
    return builder.Finish();
}

} // namespace porttool
