#pragma once
// One stream's members as a sorted listing of labelled texts.

#include "foundation/Json.h"
#include "probe/KeyValueEntry.h"

namespace velmora {

// A chapter track's listing starts with the file's chapters (read once by the caller).
KeyValueList readStreamProperties(const KeyValueList& chapters, const JSON& stream);

}  // namespace velmora
