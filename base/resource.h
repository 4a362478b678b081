// Identifiers of the programs' resources, shared by the .rc files and the C++ code.
#pragma once

// The first icon in a program is the one Explorer shows for it.
#define IDI_FOLIMAR 1
