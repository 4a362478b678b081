// One Ghostscript run: PostScript in, PDF out, page progress posted to the main window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace folimar {

// Posted to the application's main window: wParam = page reached, or -1 for the last page.
inline constexpr UINT WM_PAGE_PROGRESS = WM_USER + 150;

// Renders psFile into pdfFile with the pdfwrite device; true when the library finished
// without an error code.
bool ConvertPsToPdf(const std::string& psFile, const std::string& pdfFile);

// One library instance from creation to deletion over the given arguments.
bool RunGhostscript(int argc, char** argv);

struct GsApi;
// The same run through the given library calls.
bool RunGhostscriptWith(const GsApi& gs, int argc, char** argv);

int GsStdin(void* caller, char* buf, int len);
int GsStdout(void* caller, const char* str, int len);
int GsStderr(void* caller, const char* str, int len);

// The arguments of a conversion, as handed to the library.
std::vector<std::string> BuildPdfWriteArguments(const std::string& psPath, const std::string& pdfPath);

} // namespace folimar
