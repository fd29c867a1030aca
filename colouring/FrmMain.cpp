#include "FrmMain.h"

using namespace vb;

FrmMain::FrmMain() : Form(Style::Main) {}

FrmMain::~FrmMain() = default;

namespace Forms {
::FrmMain& FrmMain() {
    // One colouring window for the whole run; never destroyed, like the process's windows.
    static auto* form = new ::FrmMain;
    return *form;
}
} // namespace Forms
