#pragma once
// The parents' window for more pictures: it opens the picture-pack download page, or
// installs a saved picture pack (".tvp") as a new book. The chooser shows it modally.

#include "Form.h"
#include "Widgets.h"

#include <array>
#include <cstdint>

class frmImport : public vb::Form {
    Q_OBJECT
public:
    frmImport();

    // Controls; they exist while the window is loaded. The labels lie inside pM.
    vb::PictureArea* pM = nullptr;
    std::array<vb::Label*, 2> Label1{};
    // 0 download page, 1 add pictures, 2 Cancel, 3 Help (hidden).
    std::array<vb::Label*, 4> lButton{};

    void lButton_Click(int16_t Index);

protected:
    void CreateControls(vb::PictureArea* window) override;
    void Form_Load() override;
    void CloseRequested() override { lButton_Click(2); }

private:
    void InstallPack();
};

namespace Forms {
::frmImport& frmImport();
}
