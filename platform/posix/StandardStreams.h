#pragma once
// Standard input, output and error as the program's first act.

namespace slidora {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, leaving
// open ones as they are. A program started with them closed (as idle
// triggers do) would otherwise hand those numbers to its first files (the
// instance lock, the X connection), and the first warning a library writes
// to standard error would go into them. Call before anything opens a file.
// False when /dev/null cannot be opened (the descriptors then stay closed).
bool openClosedStandardStreams();

} // namespace slidora
