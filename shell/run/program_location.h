#pragma once

#include <string>
#include <vector>

// The folder the running program's file is in, in UTF-8, without a trailing
// separator; empty where the platform cannot say (the browser has no such
// file). Each platform answers with its own call.
std::string executableDirectory();

// The folders beside an installed program where its effect file may be, in
// the order they are searched, each ending in a separator: ../assets/ (the
// download package's layout) and the install layout's data folder, which
// dataFromBin names relative to the program's folder ("../share/vanteel").
// None when the program's folder is not known. On Windows "/" and "\" both
// separate the folders given, and the answer has "\" throughout.
std::vector<std::string> installedEffectDirectories(const std::string& executableDirectory,
                                                    const std::string& dataFromBin);

// The same for this program, with the data folder the build installs to.
std::vector<std::string> effectDirectoriesBesideProgram();
