#pragma once
// The program's name and version, as the About box, the command line and the
// pictures' metadata give them.

inline constexpr const char* kProgramName = "Quil";
inline constexpr const char* kProgramVersion = "1.0-2";
