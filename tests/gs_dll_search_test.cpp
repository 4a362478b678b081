// The registry walk that finds an installed Ghostscript's DLL: version order and real keys.
#include "tests/gtest_win.h"

#include "render/gs_dll_search.h"
#include "win/handle.h"

#include <cstring>
#include <string>
#include <vector>

using namespace folimar;

namespace {

std::vector<std::string> Versions(const std::vector<GsInstall>& installs)
{
    std::vector<std::string> out;
    for (const GsInstall& i : installs)
        out.push_back(i.productKey + "\\" + i.version);
    return out;
}

TEST(NewestGsFirst, KeepsVersionNamesNewestFirst)
{
    struct Case {
        const char* what;
        std::vector<GsInstall> in;
        std::vector<std::string> out;
    } cases[] = {
        {"numbers, not text: 10 is newer than 9",
         {{"G", "9.56.1"}, {"G", "10.02.1"}, {"G", "9.05"}},
         {"G\\10.02.1", "G\\9.56.1", "G\\9.05"}},
        {"a longer version with the same start is newer",
         {{"G", "10.02"}, {"G", "10.02.1"}, {"G", "10"}},
         {"G\\10.02.1", "G\\10.02", "G\\10"}},
        {"leading zeros do not count: 9.05 is 9.5",
         {{"A", "9.05"}, {"B", "9.4"}, {"C", "9.5"}},
         {"A\\9.05", "C\\9.5", "B\\9.4"}},
        {"equal versions keep the product order",
         {{"GPL", "10.0"}, {"Artifex", "10.0.0"}, {"GPL", "9.0"}},
         {"GPL\\10.0", "Artifex\\10.0.0", "GPL\\9.0"}},
        {"names that are not versions are dropped",
         {{"G", ""},
          {"G", "."},
          {"G", "10."},
          {"G", ".10"},
          {"G", "10..1"},
          {"G", "10.0 beta"},
          {"G", "v10"},
          {"G", "-1"},
          {"G", "+9"},
          {"G", "99999999999"},
          {"G", "9.56"}},
         {"G\\9.56"}},
        {"nothing installed", {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Versions(NewestGsFirst(c.in)), c.out) << c.what;
}

// Two product keys of the test's own below HKCU, standing in for an installer's entries.
class GsRegistry : public ::testing::Test {
protected:
    static constexpr char kRoot[] = "Software\\Quorvel\\FolimarGsSearchTest";
    const std::string gpl_ = std::string(kRoot) + "\\GPL Ghostscript";
    const std::string artifex_ = std::string(kRoot) + "\\Artifex Ghostscript";

    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kRoot); }

    // A version subkey, with a GS_DLL value unless dll is null.
    void AddVersion(const std::string& product, const char* version, const char* dll)
    {
        win::RegKey key;
        std::string path = product + "\\" + version;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                    nullptr),
                  ERROR_SUCCESS);
        if (dll) {
            ASSERT_EQ(::RegSetValueExA(key.get(), "GS_DLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll),
                                       static_cast<DWORD>(strlen(dll) + 1)),
                      ERROR_SUCCESS);
        }
    }
};

TEST_F(GsRegistry, ListsRecordedDllsOfBothProductsNewestFirst)
{
    AddVersion(gpl_, "9.56.1", "C:\\gs\\gs9.56.1\\bin\\gsdll64.dll");
    AddVersion(artifex_, "10.02.1", "C:\\gs\\gs10.02.1\\bin\\gsdll64.dll");
    AddVersion(gpl_, "10.0", "C:\\gs\\gs10.0\\bin\\gsdll64.dll");
    AddVersion(gpl_, "10.01", nullptr); // a version left without its value is passed over
    AddVersion(gpl_, "Uninstall", "C:\\not\\a\\version.dll");

    std::vector<std::string> expected{
        "C:\\gs\\gs10.02.1\\bin\\gsdll64.dll",
        "C:\\gs\\gs10.0\\bin\\gsdll64.dll",
        "C:\\gs\\gs9.56.1\\bin\\gsdll64.dll",
    };
    EXPECT_EQ(RegisteredGsDlls(HKEY_CURRENT_USER, {gpl_, artifex_}), expected);
}

TEST_F(GsRegistry, MissingProductKeysGiveNothing)
{
    EXPECT_TRUE(RegisteredGsDlls(HKEY_CURRENT_USER, {gpl_, artifex_}).empty());
    AddVersion(artifex_, "10.03.0", "C:\\gs\\bin\\gsdll64.dll");
    EXPECT_EQ(RegisteredGsDlls(HKEY_CURRENT_USER, {gpl_, artifex_}),
              std::vector<std::string>{"C:\\gs\\bin\\gsdll64.dll"});
}

} // namespace
