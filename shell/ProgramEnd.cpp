#include "shell/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

namespace qinglan {

void TerminateNow() {
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

} // namespace qinglan
