#pragma once
// The colouring window: the full-screen main window, its controls, its public variables
// and the fields its parts share. Its behaviour is spread over files named by concern
// (FrmMain_Startup.cpp, FrmMain_Layout.cpp, FrmMain_Canvas.cpp, FrmMain_Pencil.cpp, ...).

#include "Form.h"
#include "PictureArea.h"
#include "SaveFailure.h"
#include "Timer.h"
#include "cNDib.h"

#include <QRect>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class pButton;

// One colour bubble: place, speed, radius, wobble phase and colour.
struct Bubble {
    float X = 0, Y = 0, VX = 0, VY = 0, R = 0, Phase = 0;
    int32_t Colour = 0;
};

class FrmMain : public vb::Form {
    Q_OBJECT
public:
    FrmMain();
    ~FrmMain() override;

    // Public variables, read by other windows.
    int32_t Tool = 0;
    QString Parental_Password;
    bool Play_Sound = false;
    bool Loaded = false;

    // Controls; they exist while the window is loaded.
    vb::PictureArea* pT = nullptr;
    std::array<pButton*, 4> c{};
    std::array<pButton*, 4> pTool{};
    vb::PictureArea* Pc = nullptr;
    vb::Timer* Timer1 = nullptr;
    vb::Timer* tMusic = nullptr;
    std::array<vb::PictureArea*, 3> pBr{};
    std::array<vb::PictureArea*, 5> pFunc{};
    std::array<vb::PictureArea*, 2> pE{};
    std::vector<vb::PictureArea*> pCC; // 22 bubble pictures, then their masks
    vb::PictureArea* tP = nullptr;
    vb::PictureArea* PB = nullptr;
    vb::PictureArea* P = nullptr;
    vb::PictureArea* pUndo = nullptr;

    // Fields shared by the parts of the window.
    bool QuitLocked = true;
    bool AutoHideFunctions = false;
    float BubbleSpeed = 0;
    int32_t RegionColor = -1;
    std::unique_ptr<cNDib> RegionMask;
    std::unique_ptr<cNDib> CanvasDib;
    std::unique_ptr<cNDib> LineArtDib;
    std::unique_ptr<cNDib> BrushDib;
    uint8_t CurrentR = 0, CurrentG = 0, CurrentB = 0;
    int32_t LineColor = 0, LineR = 0, LineG = 0, LineB = 0;
    vb::HDC LineDC = nullptr;
    int32_t ColorJitter = 10;
    QString PicturePath;
    std::vector<Bubble> Bubbles;
    std::vector<std::unique_ptr<cNDib>> BubbleSprites;
    int32_t KeyboardHook = 0;
    int32_t FunctionBarWidth = 0;
    std::array<std::unique_ptr<cNDib>, 3> UndoPictures;
    // Snapshots of one template share it; a shared one is never written.
    std::array<std::shared_ptr<cNDib>, 3> UndoTemplates;
    int32_t UndoIndex = -1;
    // The stroke's buffers, kept so that a press costs what its region costs, not what the
    // page costs (FrmMain_Canvas.cpp). The template's pixels and the picture they were
    // taken from; the part of RegionMask that differs from them; whether CanvasDib holds
    // what P shows (between strokes) and, during a stroke, which of its rows do.
    std::shared_ptr<cNDib> TemplateDib;
    qint64 TemplateKey = 0;
    QRect RegionFill;
    bool CanvasMirrorsP = false;
    std::vector<uint8_t> CanvasRowsFresh;
    // After the template changed: its pixels and a region map of it, taken now so that the
    // next press need not.
    void KeepTemplateCurrent();

    // Start-up (also run again after the options window was confirmed).
    void Form_Load() override;

    // Canvas strokes.
    void P_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void P_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void P_MouseUp(int16_t Button, int16_t Shift, float X, float Y);

    // The soft pencil line.
    void LineGP(vb::HDC hdc, int16_t X1, int16_t Y1, int16_t X2, int16_t Y2, int32_t Color,
                const int32_t& Workon_color);
    void SetRGBComponents(int32_t Color);

    // Command buttons: open, clear, undo, crazy colours (FrmMain_Commands.cpp).
    void c_click(int16_t Index);
    void c_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void c_MouseUp(int16_t Index);

    // Tool buttons (FrmMain_Tools.cpp).
    void pTool_MouseUp(int16_t Index);

    // Function buttons: quit, save as JPEG, print, About, options (FrmMain_Functions.cpp,
    // FrmMain_SaveAs.cpp, FrmMain_Print.cpp).
    void pFunc_Click(int16_t Index);

    // Colour bubbles and the auto-hiding function row (FrmMain_Bubbles.cpp).
    void Timer1_Timer();
    void Pc_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    int32_t HoverCount = 0;

    // The automatic save of the coloured copy (FrmMain_AutoSave.cpp): written only when
    // the canvas changed since it was opened or last saved. Shows nothing; returns why it
    // failed, or nothing when it was saved or had nothing to save.
    std::optional<SaveFailure> SaveColoredPicture();
    // The quit once allowed: the coloured copy is saved, then the program ends (after a
    // failed save only if the parents choose to quit anyway).
    void SaveAndQuit();
    // Fingerprint of the canvas as last opened or saved; empty before the first.
    std::optional<size_t> SavedCanvas;

    // Sound effects and the two-voice error message (FrmMain_Sounds.cpp).
    void PlaySoundEffect(const int32_t& Kind);
    QString ShowErrorMessage(const int32_t& Kind, const QString& Name);

    // The fit of the picture on the printed page (FrmMain_Print.cpp).
    void GetFitRect(int32_t BoxWidth, int32_t BoxHeight, int32_t PictureWidth,
                    int32_t PictureHeight, int32_t& Left, int32_t& Top, int32_t& Width,
                    int32_t& Height);

protected:
    void CreateControls(vb::PictureArea* window) override;
    // The orderly end of the program (FrmMain_Shutdown.cpp).
    void Form_Unload(int16_t& Cancel) override;
    // A close request goes the quit button's way: refused while quitting is locked.
    void CloseRequested() override;

private:
    // The canvas's rows y0 to y1 into CanvasDib where it does not hold them yet.
    void FreshenCanvasRows(int32_t y0, int32_t y1);
    void SetButtonFaces();
    void EnableCrazyColoursButton(); // enabled, showing its latched state
    void LayOut();
    void BlendPixel(int32_t x, int32_t y, int32_t weight, const int32_t& Workon_color);
    int32_t TranslateColor(int32_t colour, int32_t palette);
    // Puts bubble i back just below the panel, rising at a speed divided by `divisor`.
    void RespawnBubble(int i, float divisor);
    // The save-as-JPEG and print paths of the function buttons.
    void SaveAsJpeg();
    void PrintPicture();
    // Draws the canvas's shadow (while the canvas shows) and the band on the background.
    void DrawSwatch();
    // Asks through the message window before one of the parents' functions, the bubbles
    // standing still; true when the answer is "Ok".
    bool AskParents(const QString& parents, const QString& child, bool password);
    // The commands' steps: false when the click ends early, skipping its last step.
    bool OpenPicture();
    void ClearAllColours();
    void UndoStroke();
    void Quit();
    // The save before the picture is given up. After a failure the parents are told why;
    // true when the caller may go on: saved, or the parents chose to go on anyway.
    bool SaveBeforeLeaving(AfterFailedSave after);
    void RememberSavedCanvas();
    // After the options window was confirmed: the start-up again, then the buttons that
    // an open picture needs.
    void ApplyNewSettings();
};

namespace Forms {
::FrmMain& FrmMain();
}
