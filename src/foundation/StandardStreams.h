#pragma once
// A program may be started with standard input, output or error closed. The
// next file it opens would then take that number, and everything written to
// the stream (diagnostics, an encoder's log) would land in that file.

namespace velmora {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. Called
// first thing in main, before anything opens a file.
void reopenClosedStandardStreams();

}  // namespace velmora
