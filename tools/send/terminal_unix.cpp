#include "terminal.h"

#include <unistd.h>

namespace Send {

bool standardOutputIsTerminal()
{
    return ::isatty(STDOUT_FILENO) == 1;
}

} // namespace Send
