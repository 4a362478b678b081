// The DDE execute conversation against a DDE server of the test's own. DDE needs windows, so
// this test runs with a display.
#include "tests/gtest_win.h"

#include "batch/pipeline/print_commands.h"
#include "tests/dde_test_server.h"

#include <iterator>
#include <string>

using namespace folimar;

namespace {

TEST(ExecuteDdeCommand, DeliversTheCommandBytesToTheServer)
{
    testing_support::DdeTestServer server("FolimarTestApp", "FolimarTopic", DDE_FACK);
    ASSERT_TRUE(server.Running());
    const std::string commands[] = {
        "[print(\"C:\\docs\\a.doc\")]",
        "[open(\"C:\\Caf\xe9\\r\xe9sum\xe9.doc\")][print()][close()]",
        "",
        std::string(4000, 'x'),
    };
    for (const std::string& command : commands)
        EXPECT_TRUE(ExecuteDdeCommand("FolimarTestApp", "FolimarTopic", command)) << command.substr(0, 60);
    const auto received = server.Stop();
    ASSERT_EQ(received.size(), std::size(commands));
    for (size_t i = 0; i < received.size(); ++i) {
        // The command with its terminating zero, in a conversation of the ANSI code page.
        EXPECT_EQ(received[i].data, commands[i] + '\0');
        EXPECT_EQ(received[i].codePage, CP_WINANSI);
    }
}

TEST(ExecuteDdeCommand, FailsWhereNoServerTakesTheCommand)
{
    testing_support::DdeTestServer refusing("FolimarTestApp", "FolimarTopic", DDE_FNOTPROCESSED);
    ASSERT_TRUE(refusing.Running());
    EXPECT_FALSE(ExecuteDdeCommand("FolimarTestApp", "FolimarTopic", "[print(\"C:\\a.doc\")]"));
    EXPECT_EQ(refusing.Stop().size(), 1u) << "the server saw the command and refused it";

    testing_support::DdeTestServer server("FolimarTestApp", "FolimarTopic", DDE_FACK);
    ASSERT_TRUE(server.Running());
    EXPECT_FALSE(ExecuteDdeCommand("FolimarNoSuchApp", "FolimarTopic", "[x]"));
    EXPECT_FALSE(ExecuteDdeCommand("FolimarTestApp", "NoSuchTopic", "[x]"));
    EXPECT_FALSE(ExecuteDdeCommand("", "", "[x]"));
    EXPECT_TRUE(server.Stop().empty());
}

} // namespace
