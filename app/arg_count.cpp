// Splits a command line the way the mode choice counts it.
#include "app/arg_count.h"

#include "files/text_rules.h"

namespace folimar {

int CountArguments(std::string_view s)
{
    int count = -1; // the first argument is the program's own name
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsControlOrSpace(s[i]))
            ++i;
        if (i == s.size())
            break;
        size_t contentLength = 0;
        bool quoted = false;
        while (i < s.size() && !IsControlOrSpace(s[i])) {
            if (s[i] == '"') {
                quoted = true;
                size_t close = s.find('"', i + 1);
                size_t end = close == std::string_view::npos ? s.size() : close;
                contentLength += end - (i + 1);
                i = close == std::string_view::npos ? s.size() : close + 1;
            } else {
                ++contentLength;
                ++i;
            }
        }
        if (quoted && contentLength == 0)
            continue; // a lone "" is skipped
        ++count;
    }
    return count < 0 ? 0 : count;
}

} // namespace folimar
