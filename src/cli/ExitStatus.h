#pragma once
// How the join's outcome becomes the command's exit status, in one place.

#include "join/outcome/JoinOutcome.h"

namespace velmora::cli {

inline constexpr int kSucceededExit = 0;
inline constexpr int kFailedExit = 1;       // a failed join, nothing to join, a mixed list
inline constexpr int kCancelledExit = 130;  // Ctrl-C or SIGTERM, as a shell reports SIGINT

inline int exitStatusFor(const JoinOutcome& outcome)
{
    switch (outcome.status) {
    case JoinStatus::succeeded: return kSucceededExit;
    case JoinStatus::failed: return kFailedExit;
    case JoinStatus::cancelled: return kCancelledExit;
    }
    return kFailedExit;
}

}  // namespace velmora::cli
