// The Windows loader of gsdll64.dll, against the stand-in DLL built beside this test program.
#include "tests/gtest_win.h"

#include "render/gs_library.h"
#include "render/gsapi.h"

#include <string>
#include <vector>

using namespace folimar;

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH + 1] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

template <class Fn> Fn Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

TEST(GsDllLoad, TakesTheDllBesideTheProgramAndResolvesItsFiveCalls)
{
    std::string searched;
    const GsApi* api = LoadGsApi(&searched);
    ASSERT_NE(api, nullptr) << searched;
    std::string dllPath = ProgramFolder() + "gsdll64.dll";
    EXPECT_EQ(searched, dllPath) << "the program's folder comes first and ends the search";

    HMODULE dll = ::GetModuleHandleA(dllPath.c_str());
    ASSERT_NE(dll, nullptr);
    struct Call {
        const char* name;
        void* resolved;
    } calls[] = {
        {"gsapi_new_instance", reinterpret_cast<void*>(api->new_instance)},
        {"gsapi_set_stdio", reinterpret_cast<void*>(api->set_stdio)},
        {"gsapi_init_with_args", reinterpret_cast<void*>(api->init_with_args)},
        {"gsapi_exit", reinterpret_cast<void*>(api->exit)},
        {"gsapi_delete_instance", reinterpret_cast<void*>(api->delete_instance)},
    };
    for (const Call& c : calls)
        EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(dll, c.name)), c.resolved) << c.name;

    std::string again;
    EXPECT_EQ(LoadGsApi(&again), api) << "loaded once per process";
    EXPECT_EQ(again, searched);
}

// One conversion run goes through the DLL's calls in the library's order, whatever they return.
TEST(GsDllRun, RunsOneInstanceThroughTheDll)
{
    ASSERT_NE(LoadGsApi(), nullptr);
    HMODULE dll = ::GetModuleHandleA("gsdll64.dll");
    auto reset = Export<void (*)(int, int, int)>(dll, "fake_gs_reset");
    auto log = Export<const char* (*)()>(dll, "fake_gs_log");
    ASSERT_TRUE(reset && log);

    struct Case {
        int newCode, stdioCode, initCode;
        bool result;
        const char* calls;
    } cases[] = {
        {0, 0, 0, true, "new stdio init ps2pdf -q Z:\\in put.ps exit delete "},
        {0, 0, -100, false, "new stdio init ps2pdf -q Z:\\in put.ps exit delete "},
        {0, 0, 1, false, "new stdio init ps2pdf -q Z:\\in put.ps exit delete "},
        {0, -1, 0, false, "new stdio delete "},
        {-100, 0, 0, false, "new "},
    };
    for (const Case& c : cases) {
        reset(c.newCode, c.stdioCode, c.initCode);
        std::vector<std::string> args{"ps2pdf", "-q", "Z:\\in put.ps"};
        std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
        EXPECT_EQ(RunGhostscript(3, argv.data()), c.result) << c.calls;
        EXPECT_STREQ(log(), c.calls);
    }
}

} // namespace
