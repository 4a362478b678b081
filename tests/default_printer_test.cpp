// Default printer switching: the string rules, the algorithm over a profile in memory (also one
// that keeps its "Device" value), and the real user profile of the test prefix.
#include "tests/gtest_win.h"

#include "batch/pipeline/default_printer.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace folimar;

namespace {

TEST(PrinterNameOfDevice, IsTheTextBeforeTheFirstCommaUntrimmed)
{
    struct Case {
        const char* device;
        const char* name;
    } cases[] = {
        {"Quorvel Virtual Printer,wineps.drv,|/bin/port", "Quorvel Virtual Printer"},
        {" Spaced ,winspool,Ne00:", " Spaced "},
        {",winspool,LPT1:", ""},
        {"Printer without a comma", ""},
        {"", ""},
        {"A,", "A"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrinterNameOfDevice(c.device), c.name) << c.device;
}

TEST(IsPrinterEntry, NeedsMoreThanBlanksAndControlCharacters)
{
    struct Case {
        std::string entry;
        bool installed;
    } cases[] = {
        {"winspool,Ne00:", true}, {"  x  ", true},    {"", false},
        {"   ", false},           {" \t\r\n", false}, {std::string("\x01\x1f \x20", 4), false},
        {"\x7f", true}, // DEL is above the space
        {"\xa0", true}, // so is a no-break space of code page 1252
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPrinterEntry(c.entry), c.installed) << '"' << c.entry << '"';
}

TEST(DeviceValueFor, KeepsTheEntryAsRead)
{
    EXPECT_EQ(DeviceValueFor("P", "winspool,Ne00:"), "P,winspool,Ne00:");
    EXPECT_EQ(DeviceValueFor("P", " winspool,Ne00: "), "P, winspool,Ne00: ");
}

// A profile in memory. A key without a value reads as the empty string, as the real profile's
// read with the empty default does. writesKept is how many writes of "Device" it takes before they
// are refused.
class MemoryProfile {
public:
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> deviceWrites;
    int deviceWritesTaken = 1000;

    TProfileStore Store()
    {
        return {[this](const char* section, const std::string& key) {
                    auto it = values.find({section, key});
                    return it == values.end() ? std::string() : it->second;
                },
                [this](const char* section, const std::string& key, const std::string& value) {
                    if (std::string(section) == kWindowsSection && key == kDeviceKey) {
                        deviceWrites.push_back(value);
                        if (static_cast<int>(deviceWrites.size()) > deviceWritesTaken)
                            return false;
                    }
                    values[{section, key}] = value;
                    return true;
                }};
    }

    std::string Device() { return values[{kWindowsSection, kDeviceKey}]; }
};

class DefaultPrinterInMemory : public testing::Test {
protected:
    MemoryProfile profile;
    TProfileStore store = profile.Store();

    void SetUp() override
    {
        profile.values[{kDevicesSection, "Office"}] = "winspool,Ne01:";
        profile.values[{kDevicesSection, "Padded"}] = "  winspool,Ne02: ";
        profile.values[{kDevicesSection, "Blank"}] = " \t ";
        profile.values[{kDevicesSection, ""}] = "winspool,Ne03:"; // a store that answers for the empty name
        profile.values[{kWindowsSection, kDeviceKey}] = "Office,winspool,Ne01:";
    }
};

TEST_F(DefaultPrinterInMemory, ReadsTheNameAndTheInstalledPrinters)
{
    EXPECT_EQ(GetDefaultPrinterNameIn(store), "Office");
    EXPECT_TRUE(IsPrinterInstalledIn(store, "Office"));
    EXPECT_TRUE(IsPrinterInstalledIn(store, "Padded"));
    EXPECT_FALSE(IsPrinterInstalledIn(store, "Blank"));
    EXPECT_FALSE(IsPrinterInstalledIn(store, "Missing"));
    EXPECT_FALSE(IsPrinterInstalledIn(store, "")) << "a printer has a name, whatever the store answers";
}

TEST_F(DefaultPrinterInMemory, SwitchClearsTheOldValueThenWritesTheNameAndTheEntryAsRead)
{
    ASSERT_TRUE(MakeDefaultPrinterIn(store, "Padded"));
    EXPECT_EQ(profile.Device(), "Padded,  winspool,Ne02: ");
    EXPECT_EQ(GetDefaultPrinterNameIn(store), "Padded");
    EXPECT_EQ(profile.deviceWrites, (std::vector<std::string>{"", "Padded,  winspool,Ne02: "}));
}

TEST_F(DefaultPrinterInMemory, SwitchWithoutAnOldValueWritesOnlyTheNewOne)
{
    profile.values.erase({kWindowsSection, kDeviceKey});
    ASSERT_TRUE(MakeDefaultPrinterIn(store, "Office"));
    EXPECT_EQ(profile.deviceWrites, (std::vector<std::string>{"Office,winspool,Ne01:"}));
}

TEST_F(DefaultPrinterInMemory, PrinterNotInstalledChangesNothing)
{
    for (const char* name : {"Missing", "Blank", ""}) {
        EXPECT_FALSE(MakeDefaultPrinterIn(store, name)) << name;
        EXPECT_EQ(profile.Device(), "Office,winspool,Ne01:") << name;
    }
    EXPECT_TRUE(profile.deviceWrites.empty());
}

TEST_F(DefaultPrinterInMemory, ValueThatCannotBeClearedEndsTheSwitchAfterItsBound)
{
    profile.deviceWritesTaken = 0;
    EXPECT_FALSE(MakeDefaultPrinterIn(store, "Padded"));
    EXPECT_EQ(profile.Device(), "Office,winspool,Ne01:");
    EXPECT_EQ(profile.deviceWrites, std::vector<std::string>(kDeviceClearTries, ""));
}

TEST_F(DefaultPrinterInMemory, RefusedNewValueIsAFailure)
{
    profile.deviceWritesTaken = 1; // the clearing write only
    EXPECT_FALSE(MakeDefaultPrinterIn(store, "Padded"));
    EXPECT_EQ(profile.deviceWrites.size(), 2u);
}

// The user profile of the test prefix. The test puts back the entries it changes.
class UserProfileTest : public testing::Test {
protected:
    static constexpr char kPrinter[] = "Folimar Test Printer";
    static constexpr char kBlankPrinter[] = "Folimar Test Blank Printer";
    std::string savedDevice;

    static std::string Read(const char* section, const char* key)
    {
        char value[kProfileValueBytes] = {};
        DWORD n = ::GetProfileStringA(section, key, "", value, sizeof value);
        return std::string(value, n);
    }

    void SetUp() override
    {
        savedDevice = Read(kWindowsSection, kDeviceKey);
        ASSERT_TRUE(::WriteProfileStringA(kDevicesSection, kPrinter, " winspool,Ne09: "));
        ASSERT_TRUE(::WriteProfileStringA(kDevicesSection, kBlankPrinter, "  "));
    }

    void TearDown() override
    {
        ::WriteProfileStringA(kDevicesSection, kPrinter, nullptr);
        ::WriteProfileStringA(kDevicesSection, kBlankPrinter, nullptr);
        ::WriteProfileStringA(kWindowsSection, kDeviceKey, savedDevice.c_str());
        EXPECT_EQ(Read(kWindowsSection, kDeviceKey), savedDevice);
    }
};

TEST_F(UserProfileTest, SwitchesTheDefaultPrinter)
{
    ASSERT_TRUE(::WriteProfileStringA(kWindowsSection, kDeviceKey, "Other Printer,winspool,Ne00:"));
    EXPECT_EQ(GetDefaultPrinterName(), "Other Printer");
    EXPECT_TRUE(IsPrinterInstalled(kPrinter));

    ASSERT_TRUE(MakeDefaultPrinter(kPrinter));
    EXPECT_EQ(GetDefaultPrinterName(), kPrinter);
    EXPECT_EQ(Read(kWindowsSection, kDeviceKey), std::string(kPrinter) + ", winspool,Ne09: ");
    // What other programs see: the profile's default is the system's default printer.
    char name[256] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(::GetDefaultPrinterA(name, &size));
    EXPECT_STREQ(name, kPrinter);
}

TEST_F(UserProfileTest, RefusesPrintersWithoutAnEntry)
{
    ASSERT_TRUE(::WriteProfileStringA(kWindowsSection, kDeviceKey, "Other Printer,winspool,Ne00:"));
    for (const char* name : {kBlankPrinter, "Folimar Test Missing Printer", ""}) {
        EXPECT_FALSE(IsPrinterInstalled(name)) << name;
        EXPECT_FALSE(MakeDefaultPrinter(name)) << name;
        EXPECT_EQ(Read(kWindowsSection, kDeviceKey), "Other Printer,winspool,Ne00:") << name;
    }
}

TEST_F(UserProfileTest, DeviceWithoutACommaNamesNoPrinter)
{
    ASSERT_TRUE(::WriteProfileStringA(kWindowsSection, kDeviceKey, "Just a name"));
    EXPECT_EQ(GetDefaultPrinterName(), "");
    ASSERT_TRUE(::WriteProfileStringA(kWindowsSection, kDeviceKey, ""));
    EXPECT_EQ(GetDefaultPrinterName(), "");
}

TEST_F(UserProfileTest, LongEntriesAreReadTo259Characters)
{
    const std::string entry = "winspool," + std::string(300, 'x');
    ASSERT_TRUE(::WriteProfileStringA(kDevicesSection, kPrinter, entry.c_str()));
    ASSERT_TRUE(MakeDefaultPrinter(kPrinter));
    char value[1024] = {};
    DWORD n = ::GetProfileStringA(kWindowsSection, kDeviceKey, "", value, sizeof value);
    EXPECT_EQ(std::string(value, n), std::string(kPrinter) + "," + entry.substr(0, kProfileValueBytes - 1));
}

} // namespace
