#pragma once

namespace quorlex {

// The program's name and version, as the header box and --version print them.
inline constexpr const char* kProgramName = "Quorlex";
inline constexpr const char* kProgramVersion = "0.1.0";

}  // namespace quorlex
