// String values from the registry.
#pragma once

#include <windows.h>

#include <string>

namespace folimar {

// A string value of up to 1024 bytes, returned as stored; empty on any failure.
std::string ReadRegistryString(HKEY root, const std::string& subKey, const std::string& valueName);

} // namespace folimar
