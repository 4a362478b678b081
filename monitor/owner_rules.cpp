// Whose session a job's program starts in.
#include "monitor/owner_rules.h"

#include "files/text_rules.h"

namespace qvmon {

bool SameUser(std::string_view jobUser, const SessionEntry& session)
{
    if (session.user.empty() || jobUser.empty())
        return false;
    const size_t slash = jobUser.find('\\');
    if (slash == std::string_view::npos)
        return folimar::EqualsNoCaseAscii(jobUser, session.user);
    return folimar::EqualsNoCaseAscii(jobUser.substr(0, slash), session.domain) &&
           folimar::EqualsNoCaseAscii(jobUser.substr(slash + 1), session.user);
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
