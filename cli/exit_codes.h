#pragma once
// velqtp's exit statuses, for scripts.

namespace velq {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command ran and failed
inline constexpr int kExitUsage = 2;    // the arguments make no sense

}  // namespace velq
