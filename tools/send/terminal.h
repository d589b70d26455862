#pragma once

namespace Send {

// Whether standard output goes to a terminal, where a person reads it, rather than to a file
// or a pipe, where a script does.
bool standardOutputIsTerminal();

} // namespace Send
