// The programs' resources as Windows reads them: icon sizes, version information, manifest.
#include "tests/gtest_win.h"

#include "resources/folimar_version.h"
#include "base/resource.h"

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

struct ModuleFree {
    void operator()(HMODULE m) const { ::FreeLibrary(m); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

std::string ProgramPath(const char* name)
{
    const char* bin = std::getenv("FOLIMAR_BIN");
    return std::string(bin ? bin : ".") + "/" + name;
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

std::string Resource(HMODULE module, LPCSTR type, LPCSTR name)
{
    HRSRC found = ::FindResourceA(module, name, type);
    if (!found)
        return {};
    HGLOBAL loaded = ::LoadResource(module, found);
    const char* data = static_cast<const char*>(::LockResource(loaded));
    return data ? std::string(data, ::SizeofResource(module, found)) : std::string();
}

std::string VersionString(const std::vector<char>& info, const char* name)
{
    char* value = nullptr;
    UINT length = 0;
    std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!::VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "(none)";
    return std::string(value, length > 0 ? length - 1 : 0);
}

class ProgramResources : public ::testing::TestWithParam<const char*> {};

TEST_P(ProgramResources, CarryTheIconInEverySizeWindowsAsksFor)
{
    Module exe(::LoadLibraryExA(ProgramPath(GetParam()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe) << ProgramPath(GetParam());
    std::string group = Resource(exe.get(), RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_FOLIMAR));
    ASSERT_GE(group.size(), 6u);
    WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
    ASSERT_EQ(group.size(), 6 + count * sizeof(GroupIconEntry));
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry e;
        memcpy(&e, group.data() + 6 + i * sizeof(e), sizeof(e));
        EXPECT_EQ(e.bitCount, 32);
        std::string image = Resource(exe.get(), RT_ICON, MAKEINTRESOURCEA(e.id));
        EXPECT_EQ(image.size(), e.bytes) << "icon image " << e.id;
        sizes.insert(e.width == 0 ? 256 : e.width);
    }
    for (int size : {16, 24, 32, 48, 256})
        EXPECT_EQ(sizes.count(size), 1u) << size << " pixels";
}

TEST_P(ProgramResources, NameTheProductAndItsVersion)
{
    std::string path = ProgramPath(GetParam());
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u) << path;
    std::vector<char> info(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(FOLIMAR_VERSION_MINOR, FOLIMAR_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, FOLIMAR_VERSION_PATCH)));
    EXPECT_EQ(VersionString(info, "ProductName"), "Quorvel Folimar");
    EXPECT_EQ(VersionString(info, "ProductVersion"), FOLIMAR_VERSION_TEXT);
    EXPECT_EQ(VersionString(info, "OriginalFilename"), GetParam());
}

// Paths outside the locale's code page would otherwise turn into look-alikes: another file.
TEST_P(ProgramResources, RunWithUtf8AsTheAnsiCodePage)
{
    Module exe(::LoadLibraryExA(ProgramPath(GetParam()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe) << ProgramPath(GetParam());
    std::string manifest = Resource(exe.get(), RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    EXPECT_NE(manifest.find("<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8<"),
              std::string::npos)
        << manifest;
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramResources, ::testing::Values("folimar.exe", "folimarc.exe"));

TEST(WindowProgramManifest, AsksForVisualStylesAndSystemDpiAwareness)
{
    Module exe(::LoadLibraryExA(ProgramPath("folimar.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe);
    std::string manifest = Resource(exe.get(), RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    for (const char* part :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
          "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true<", "level=\"asInvoker\""})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    // The windows are scaled once at start; per-monitor awareness would need a new layout on every DPI change.
    EXPECT_EQ(manifest.find("<dpiAwareness"), std::string::npos);
}

} // namespace
