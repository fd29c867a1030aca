#pragma once
// The file, colour, font, print and page set-up dialogs behind plain members. Each use
// creates an object, calls one member and reads the results back from its arguments.
// The dialogs are Qt's own rather than the desktop's, so tests can drive them.

#include <QFont>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;

class GCommonDialog {
public:
    // File dialog flags, as callers pass them and the dialogs return them.
    static constexpr int32_t OFN_READONLY = 0x1;
    static constexpr int32_t OFN_OVERWRITEPROMPT = 0x2;
    static constexpr int32_t OFN_HIDEREADONLY = 0x4;
    static constexpr int32_t OFN_ENABLEHOOK = 0x20;
    static constexpr int32_t OFN_ENABLETEMPLATE = 0x40;
    static constexpr int32_t OFN_ALLOWMULTISELECT = 0x200;
    static constexpr int32_t OFN_EXTENSIONDIFFERENT = 0x400;
    static constexpr int32_t OFN_FILEMUSTEXIST = 0x1000;

    // Font dialog flags.
    static constexpr int32_t CF_SCREENFONTS = 0x1;
    static constexpr int32_t CF_PRINTERFONTS = 0x2;
    static constexpr int32_t CF_INITTOLOGFONTSTRUCT = 0x40;
    static constexpr int32_t CF_EFFECTS = 0x100;
    static constexpr int32_t CF_LIMITSIZE = 0x2000;

    // What the open and save dialogs share: FileName, FileTitle, Filter, FilterIndex and
    // flags come back filled in. Owner nullptr: no owner window.
    struct FileArgs {
        QString FileName;
        QString FileTitle;
        QString Filter = QStringLiteral("All (*.*)| *.*");
        int32_t FilterIndex = 1;
        QString InitDir;
        QString DlgTitle;
        QString DefaultExt;
        QWidget* Owner = nullptr;
        int32_t flags = 0;
    };
    // The open dialog's arguments; ReadOnly comes back filled in too.
    struct OpenFileArgs : FileArgs {
        bool FileMustExist = true;
        bool MultiSelect = false;
        bool ReadOnly = false;
        bool HideReadOnly = false;
    };
    // A name rule turns what the parents chose into the name the caller will write.
    using NameRule = std::function<QString(const QString&)>;
    // FinalName, when given, is the caller's rule: the dialog returns the name it gives,
    // and asks before accepting one that exists, as for a name typed in full.
    struct SaveFileArgs : FileArgs {
        bool OverWritePrompt = true;
        NameRule FinalName;
    };
    // CurFont, Color and flags come back filled in. PrinterDC -1: none.
    struct FontArgs {
        QFont CurFont;
        int32_t PrinterDC = -1;
        QWidget* Owner = nullptr;
        int32_t Color = 0;
        int32_t MinSize = 0;
        int32_t MaxSize = 0;
        int32_t flags = 0;
    };
    // hdc receives the printer to paint on; PrintRange (0 all, 1 pages, 2 selection),
    // FromPage, ToPage, Copies, PrintToFile and Collate come back filled in. Without a
    // Printer the dialog works on a printer that lives as long as this object.
    struct PrintArgs {
        QPrinter* hdc = nullptr;
        int32_t PrintRange = 0;
        bool DisablePageNumbers = false;
        int32_t FromPage = 1;
        int32_t ToPage = -1;
        bool DisableSelection = false;
        int16_t Copies = 0;
        bool ShowPrintToFile = false;
        bool DisablePrintToFile = true;
        bool PrintToFile = false;
        bool Collate = false;
        bool PreventWarning = false;
        QWidget* Owner = nullptr;
        QPrinter* Printer = nullptr;
        int32_t flags = 0;
    };
    // Margins in whole millimetres (Units not 0) or inches (Units 0); the margins,
    // PaperSize (a DMPAPER number), Orientation (1 portrait, 2 landscape) and PrintQuality
    // come back filled in.
    struct PageSetupArgs {
        QWidget* Owner = nullptr;
        bool DisableMargins = false;
        bool DisableOrientation = false;
        bool DisablePaper = false;
        bool DisablePrinter = false;
        int32_t LeftMargin = 0, MinLeftMargin = 0;
        int32_t RightMargin = 0, MinRightMargin = 0;
        int32_t TopMargin = 0, MinTopMargin = 0;
        int32_t BottomMargin = 0, MinBottomMargin = 0;
        int32_t PaperSize = 1;
        int32_t Orientation = 1;
        int32_t PrintQuality = -1;
        int32_t Units = 0;
        QPrinter* Printer = nullptr;
        int32_t flags = 0;
    };

    GCommonDialog();
    ~GCommonDialog();

    // 1 when the last dialog was confirmed, 0 when it was cancelled.
    int32_t APIReturn() const { return APIReturn_; }
    // Qt's dialogs report no failure beyond a cancel, so this stays 0.
    int32_t ExtendedError() const { return ExtendedError_; }

    bool VBGetOpenFileName(OpenFileArgs& a);
    bool VBGetSaveFileName(SaveFileArgs& a);
    // The file name without its folder; empty for a name that is empty or holds * or ?.
    QString VBGetFileTitle(const QString& sFile);
    // Color is a colour value (R + 256 G + 65536 B); -1 after a cancel.
    bool VBChooseColor(int32_t& Color, bool AnyColor = true, bool FullOpen = false,
                       bool DisableFullOpen = false, QWidget* Owner = nullptr, int32_t flags = 0);
    // Entries 0 to 15; other indexes read -1 and are not written.
    int32_t CustomColor(int16_t I);
    void setCustomColor(int16_t I, int32_t iValue);
    bool VBChooseFont(FontArgs& a);
    bool VBPrintDlg(PrintArgs& a);
    bool VBPageSetupDlg(PageSetupArgs& a);

    // The filter as the dialogs take it: every "|" and ":" becomes NUL, two NULs end it.
    static QString ConvertFilter(const QString& Filter);
    // Entry n (1 the first) of a converted filter: description, NUL, pattern.
    static QString FilterEntry(const QString& filter, int32_t n);
    // A converted filter as Qt name filters, "description (pattern pattern ...)".
    static QStringList NameFilters(const QString& converted);
    // The flags a file dialog runs with.
    static int32_t OpenFlags(const OpenFileArgs& a);
    static int32_t SaveFlags(const SaveFileArgs& a);
    // The flags the font dialog runs with; PrinterDC becomes 0 when it was -1.
    static int32_t FontFlags(FontArgs& a);

private:
    struct FileResult {
        bool chosen = false;
        QString path;
        int32_t filterIndex = 0;
    };
    FileResult runFileDialog(bool save, const QString& fileName, const QString& filter,
                             int32_t filterIndex, const QString& initDir, const QString& title,
                             const QString& defaultExt, QWidget* owner, int32_t flags,
                             const NameRule& finalName);
    bool runFileArgs(FileArgs& a, bool save, int32_t flags, int32_t cancelledIndex,
                     const NameRule& finalName = {});
    void LoadSystemColors();
    QPrinter& storedPrinter();

    int32_t APIReturn_ = 0;
    int32_t ExtendedError_ = 0;
    std::array<int32_t, 16> CustomColors{};
    bool CustomColorsLoaded = false;
    std::unique_ptr<QPrinter> StoredDevMode;
};
