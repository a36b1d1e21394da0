#pragma once

// The help pages' context numbers: one page per page of the main window and
// per dialog that has its own help (the help folder holds "<number>.html").
namespace HelpContext {
inline constexpr int DatabaseDialog = 4;
inline constexpr int Prints = 6;
inline constexpr int Refresh = 7;
inline constexpr int Login = 8;
inline constexpr int Design = 9;
inline constexpr int Configuration = 13;
inline constexpr int ChangePassword = 14;
}  // namespace HelpContext
