// A stand-in gsdll64.dll for the loader's tests: the five gsapi_* calls, each writing a line
// to a log the test reads back, with return codes the test chooses.
#include <string>

namespace {

std::string g_log;
int g_newCode = 0;
int g_stdioCode = 0;
int g_initCode = 0;
int g_instance = 0; // its address is the instance handed out

void Log(const std::string& call, void* instance)
{
    g_log += call;
    if (instance != &g_instance)
        g_log += "(foreign instance)";
    g_log += ' ';
}

} // namespace

extern "C" {

__declspec(dllexport) int gsapi_new_instance(void** instance, void* caller)
{
    g_log += caller ? "new(caller) " : "new ";
    if (g_newCode == 0)
        *instance = &g_instance;
    return g_newCode;
}

__declspec(dllexport) int gsapi_set_stdio(void* instance, int (*in)(void*, char*, int),
                                          int (*out)(void*, const char*, int), int (*err)(void*, const char*, int))
{
    Log(in && out && err ? "stdio" : "stdio(null callback)", instance);
    return g_stdioCode;
}

__declspec(dllexport) int gsapi_init_with_args(void* instance, int argc, char** argv)
{
    std::string call = "init";
    for (int i = 0; i < argc; ++i)
        call += std::string(" ") + argv[i];
    Log(call, instance);
    return g_initCode;
}

__declspec(dllexport) int gsapi_exit(void* instance)
{
    Log("exit", instance);
    return 0;
}

__declspec(dllexport) void gsapi_delete_instance(void* instance)
{
    Log("delete", instance);
}

// The test's controls: the codes the next calls return, and the log so far (emptied by reset).
__declspec(dllexport) void fake_gs_reset(int newCode, int stdioCode, int initCode)
{
    g_log.clear();
    g_newCode = newCode;
    g_stdioCode = stdioCode;
    g_initCode = initCode;
}

__declspec(dllexport) const char* fake_gs_log()
{
    return g_log.c_str();
}

} // extern "C"
