#pragma once

#include <string>

// The text the store returns for key, or "<null>".
std::string shaderText(const char* key);
// The store's last error, or "<none>".
std::string lastErrorText();
