// Rules of the port monitor that need no system call: whose session a job's program starts in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvmon {

// One logged-on session as the session list reports it.
struct SessionEntry {
    uint32_t id = 0;
    bool active = false; // someone works in it now (not disconnected)
    std::string user;    // empty when nobody is logged on
    std::string domain;
};

// True when the spooler's user name of a job ("name", or "DOMAIN\name") names the session's user.
// Letters compare without case, as Windows account names do (ASCII letters only: other
// characters must match exactly).
bool SameUser(std::string_view jobUser, const SessionEntry& session);

// The session whose user owns the job: the owner's active session with the lowest id, else the
// owner's disconnected one with the lowest id (the program's window waits there for the user's
// return). None when the owner is not logged on.
std::optional<uint32_t> ChooseSession(const std::vector<SessionEntry>& sessions, std::string_view jobUser);

} // namespace qvmon
