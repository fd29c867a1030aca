#include "FrmMain.h"

using namespace vb;

void FrmMain::CreateControls(PictureArea* window) { Q_UNUSED(window); }

void FrmMain::Form_Load() {}

void FrmMain::Form_Unload(int16_t& Cancel) { Q_UNUSED(Cancel); }
