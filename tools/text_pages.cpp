// Page layout of a plain text.
#include "tools/text_pages.h"

#include <algorithm>

namespace porttool {

namespace {

class PageBuilder {
public:
    explicit PageBuilder(PageSize size) : columns_(std::max(1, size.columns)), lines_(std::max(1, size.lines)) {}

    void Add(char c)
    {
        if (c == '\t')
            line_.append(kTabWidth - line_.size() % kTabWidth, ' ');
        else
            line_ += c;
    }

    // Ends the current line, wrapped to the page width.
    void EndLine()
    {
        size_t at = 0;
        do {
            Put(line_.substr(at, static_cast<size_t>(columns_)));
            at += static_cast<size_t>(columns_);
        } while (at < line_.size());
        line_.clear();
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
    std::vector<Page> pages_;
};

} // namespace

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
