// Whose session a job's program starts in.
#include "monitor/owner_rules.h"

#include <algorithm>

namespace qvmon {

namespace {

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

} // namespace

bool SameUser(std::string_view jobUser, const SessionEntry& session)
{
    if (session.user.empty() || jobUser.empty())
        return false;
    const size_t slash = jobUser.find('\\');
    if (slash == std::string_view::npos)
        return EqualNoCase(jobUser, session.user);
    return EqualNoCase(jobUser.substr(0, slash), session.domain) && EqualNoCase(jobUser.substr(slash + 1), session.user);
}

std::optional<uint32_t> ChooseSession(const std::vector<SessionEntry>& sessions, std::string_view jobUser)
{
    const SessionEntry* firstActive = nullptr;
    const SessionEntry* firstOther = nullptr;
    for (const SessionEntry& s : sessions) {
        if (!SameUser(jobUser, s))
            continue;
        const SessionEntry*& slot = s.active ? firstActive : firstOther;
        if (!slot || s.id < slot->id)
            slot = &s;
    }
    if (firstActive)
        return firstActive->id;
    if (firstOther)
        return firstOther->id;
    return std::nullopt;
}

} // namespace qvmon
