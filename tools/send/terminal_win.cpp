#include "terminal.h"

#include <cstdio>
#include <io.h>

namespace Send {

bool standardOutputIsTerminal()
{
    return _isatty(_fileno(stdout)) != 0;
}

} // namespace Send
