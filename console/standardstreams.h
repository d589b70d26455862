#pragma once

// The standard streams a program was started without. A stream closed at the start (`>&-`)
// leaves its number free, and the next file the program opens would take it: the program's
// output would then go into that file. So a closed stream is held on the null device, and the
// program remembers that it was closed, to say so instead of writing into the void.
namespace StandardStreams {

// Holds each closed standard stream on the null device. Called before anything opens a file.
void holdClosedOnes();

// Whether standard output was closed when the program started.
bool outputWasClosed();

} // namespace StandardStreams
