#pragma once
// The cancel state of a join, shared by the window (its Cancel button) and
// the join worker: `isProcessCancelledByUser` is the cancel flag, and the
// tools running now take the place of `currentProcess_globalVariable`.

#include "foundation/Cancellation.h"

namespace velmora {

using JoinControl = Cancellation;

}  // namespace velmora
