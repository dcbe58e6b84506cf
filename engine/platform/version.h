// Product names and version, shared by the program, the tool and the about box.
#pragma once

namespace platform {
inline constexpr const char* kProductName = "Tabellomatics";
inline constexpr const char* kProgramName = "Tearvello";
inline constexpr const char* kVersion = TK_VERSION;
} // namespace platform
