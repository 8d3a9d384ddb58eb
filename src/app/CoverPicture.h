#pragma once
// The bytes of the picture a join would use as its cover, for showing it:
// an image file as it is, or a picture embedded in an input as the encoder
// copies it out (nothing is decoded here). Blocks: run it off the main thread.

#include <QByteArray>

#include "join/metadata/CoverArt.h"

namespace velmora::app {

// Empty when there is no cover, or it cannot be read.
QByteArray coverPictureBytes(const CoverChoice& cover);

}  // namespace velmora::app
