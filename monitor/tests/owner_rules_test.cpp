// Whose session the program starts in, by table.
#include "tests/gtest_win.h"

#include "monitor/owner_rules.h"

namespace {

using qvmon::ChooseSession;
using qvmon::SessionEntry;

TEST(OwnerRules, TheOwnersSessionIsChosen)
{
    const std::vector<SessionEntry> sessions = {
        {0, false, "", ""},         {1, false, "ann", "OFFICE"}, {2, true, "Bob", "OFFICE"},   {3, true, "ann", "HOME"},
        {4, true, "ann", "OFFICE"}, {5, true, "ann", "OFFICE"},  {6, false, "carl", "OFFICE"},
    };
    const struct {
        const char* user;
        std::optional<uint32_t> session;
    } cases[] = {
        {"bob", 2},             // letters compare without case
        {"OFFICE\\ann", 4},     // an active session before a disconnected one, the lowest id first
        {"home\\ANN", 3},       // the domain tells two accounts of one name apart
        {"ann", 3},             // without a domain any account of that name
        {"carl", 6},            // only a disconnected session: the window waits there
        {"dave", std::nullopt}, // not logged on
        {"", std::nullopt},     // no owner: never the session without a user
        {"OFFICE\\", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseSession(sessions, c.user), c.session) << c.user;
}

} // namespace
