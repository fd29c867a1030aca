#include "WriteLimit.h"

#include <csignal>

namespace vb {

void LetWritesFailAtSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace vb
