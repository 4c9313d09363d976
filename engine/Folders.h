#pragma once
// Output folders that do not exist yet are made, as "mkdir -p" makes them.

#include <string>

// Makes the folder at path and whichever of its parents are missing. True
// when it is a folder afterwards; false, with the reason for the person,
// when something else stands there or a folder cannot be made.
bool MakeFolders(const std::string& path, std::string* reason = nullptr);
