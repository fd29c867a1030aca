#include "GCommonDialog.h"

#include "VbMath.h"
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPalette>
#include <QPrintDialog>
#include <QPrinter>

#include <cmath>

namespace {

constexpr QChar Nul(u'\0');
// Hook and template flags: no hook or template of the caller ever reaches a dialog.
constexpr int32_t kFileHookBits = GCommonDialog::OFN_ENABLEHOOK | GCommonDialog::OFN_ENABLETEMPLATE;

// Print dialog flags.
constexpr int32_t PD_SELECTION = 0x1;
constexpr int32_t PD_PAGENUMS = 0x2;
constexpr int32_t PD_NOSELECTION = 0x4;
constexpr int32_t PD_NOPAGENUMS = 0x8;
constexpr int32_t PD_COLLATE = 0x10;
constexpr int32_t PD_PRINTTOFILE = 0x20;
constexpr int32_t PD_NOWARNING = 0x80;
constexpr int32_t PD_RETURNDC = 0x100;
constexpr int32_t PD_DISABLEPRINTTOFILE = 0x80000;
constexpr int32_t PD_HIDEPRINTTOFILE = 0x100000;
constexpr int32_t kPrintHookBits = 0x3F000;

QColor toQColor(int32_t c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
int32_t toColorValue(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

// Qt's own file dialog, which can be told the name its caller will really write: the name
// box then shows that name before the dialog accepts it, so the dialog's own question
// about replacing a file is asked about the right file.
class FileDialog : public QFileDialog {
public:
    FileDialog(QWidget* owner, const QString& title, const QString& folder,
               GCommonDialog::NameRule finalName)
        : QFileDialog(owner, title, folder), finalName_(std::move(finalName)) {}

    void accept() override {
        const QStringList files = selectedFiles();
        // A folder's name opens the folder, as always.
        if (finalName_ && files.size() == 1 && !QFileInfo(files.first()).isDir()) {
            const QString chosen = files.first();
            const QString final = finalName_(chosen);
            auto* box = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (final != chosen && box) {
                // Added to what was typed, so that a folder typed with the name stays.
                const bool added = final.startsWith(chosen);
                box->setText(added ? box->text() + final.mid(chosen.size()) : final);
            }
        }
        QFileDialog::accept();
    }

private:
    GCommonDialog::NameRule finalName_;
};

} // namespace

GCommonDialog::GCommonDialog() = default;
GCommonDialog::~GCommonDialog() = default;

QString GCommonDialog::ConvertFilter(const QString& Filter) {
    QString out = Filter;
    for (QChar& ch : out)
        if (ch == u'|' || ch == u':') ch = Nul;
    return out + Nul + Nul;
}

QString GCommonDialog::FilterEntry(const QString& filter, int32_t n) {
    if (filter.isEmpty()) return {};
    qsizetype start = 0;
    for (int32_t i = 1; i <= n; ++i) {
        const qsizetype first = filter.indexOf(Nul, start);
        if (first < 0) return {};
        const qsizetype second = filter.indexOf(Nul, first + 1);
        if (i == n) return filter.mid(start, (second < 0 ? filter.size() : second) - start);
        if (second < 0) return {};
        start = second + 1;
    }
    return {};
}

QStringList GCommonDialog::NameFilters(const QString& converted) {
    const QStringList parts = converted.split(Nul);
    QStringList filters;
    // Pairs of description and pattern; an empty description ends the list.
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            // "*.*" means every file here, names without a dot included.
            if (!pattern.isEmpty())
                patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (!patterns.isEmpty())
            filters << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

int32_t GCommonDialog::OpenFlags(const OpenFileArgs& a) {
    int32_t f = a.flags & ~kFileHookBits;
    if (a.FileMustExist) f |= OFN_FILEMUSTEXIST;
    if (a.MultiSelect) f |= OFN_ALLOWMULTISELECT;
    if (a.ReadOnly) f |= OFN_READONLY;
    if (a.HideReadOnly) f |= OFN_HIDEREADONLY;
    return f;
}

int32_t GCommonDialog::SaveFlags(const SaveFileArgs& a) {
    int32_t f = (a.flags & ~kFileHookBits) | OFN_HIDEREADONLY;
    if (a.OverWritePrompt) f |= OFN_OVERWRITEPROMPT;
    return f;
}

GCommonDialog::FileResult GCommonDialog::runFileDialog(bool save, const QString& fileName,
                                                       const QString& filter, int32_t filterIndex,
                                                       const QString& initDir, const QString& title,
                                                       const QString& defaultExt, QWidget* owner,
                                                       int32_t flags, const NameRule& finalName) {
    FileDialog dlg(owner, title, initDir, finalName);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    // The descriptions carry their patterns already, as callers write them.
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    if (save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, !(flags & OFN_OVERWRITEPROMPT));
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(flags & OFN_ALLOWMULTISELECT ? QFileDialog::ExistingFiles
                        : flags & OFN_FILEMUSTEXIST  ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
    }
    const QStringList filters = NameFilters(filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        const int32_t first = filterIndex >= 1 && filterIndex <= filters.size() ? filterIndex : 1;
        dlg.selectNameFilter(filters[first - 1]);
    }
    if (!defaultExt.isEmpty()) dlg.setDefaultSuffix(defaultExt);
    if (!fileName.isEmpty()) dlg.selectFile(fileName);

    FileResult result;
    if (dlg.exec() != QDialog::Accepted) return result;
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty()) return result;
    result.chosen = true;
    // With several files the answer starts with their folder, and that is all that stays.
    result.path = files.size() == 1 ? files.first() : dlg.directory().absolutePath();
    result.filterIndex = filters.isEmpty() ? filterIndex : 0;
    // The dialog names its filter as shown, without the patterns this file appended.
    const QString selected = dlg.selectedNameFilter();
    for (qsizetype i = 0; i < filters.size() && result.filterIndex == 0; ++i) {
        const QString shown =
            filters[i].left(filters[i].lastIndexOf(QLatin1String(" ("))).simplified();
        if (filters[i] == selected || shown == selected) result.filterIndex = int32_t(i + 1);
    }
    return result;
}

namespace {

// The flags a file dialog returns: those it ran with, and whether the extension chosen
// differs from the default one.
int32_t returnedFileFlags(int32_t flags, const QString& path, const QString& defaultExt) {
    if (!defaultExt.isEmpty() &&
        QFileInfo(path).suffix().compare(defaultExt, Qt::CaseInsensitive) != 0)
        flags |= GCommonDialog::OFN_EXTENSIONDIFFERENT;
    return flags;
}

} // namespace

// Runs the open or save dialog and writes its answer back into the caller's arguments;
// a cancel empties the texts and sets FilterIndex to `cancelledIndex`.
bool GCommonDialog::runFileArgs(FileArgs& a, bool save, int32_t flags, int32_t cancelledIndex,
                                const NameRule& finalName) {
    APIReturn_ = 0;
    ExtendedError_ = 0;
    const QString filter = ConvertFilter(a.Filter);
    const FileResult r = runFileDialog(save, a.FileName, filter, a.FilterIndex, a.InitDir,
                                       a.DlgTitle, a.DefaultExt, a.Owner, flags, finalName);
    APIReturn_ = r.chosen ? 1 : 0;
    if (!r.chosen) {
        a.FileName.clear();
        a.FileTitle.clear();
        a.Filter.clear();
        a.flags = 0;
        a.FilterIndex = cancelledIndex;
        return false;
    }
    a.FileName = r.path;
    a.FileTitle = QFileInfo(r.path).fileName();
    a.flags = returnedFileFlags(flags, r.path, a.DefaultExt);
    a.FilterIndex = r.filterIndex;
    a.Filter = FilterEntry(filter, r.filterIndex);
    return true;
}

bool GCommonDialog::VBGetOpenFileName(OpenFileArgs& a) {
    if (!runFileArgs(a, false, OpenFlags(a), -1)) return false;
    if (a.flags & OFN_READONLY) a.ReadOnly = true;
    return true;
}

bool GCommonDialog::VBGetSaveFileName(SaveFileArgs& a) {
    return runFileArgs(a, true, SaveFlags(a), 0, a.FinalName);
}

QString GCommonDialog::VBGetFileTitle(const QString& sFile) {
    const QString name = QFileInfo(sFile).fileName();
    if (name.isEmpty() || name.contains(u'*') || name.contains(u'?')) return {};
    return name;
}

void GCommonDialog::LoadSystemColors() {
    // The desktop's colours by their classic indexes: scroll bar, desktop, active and
    // inactive caption, menu, window, frame, menu text, window text, caption text, active
    // and inactive border, workspace, highlight, highlighted text, button face.
    const QPalette pal = QApplication::palette();
    const QColor colours[16] = {
        pal.color(QPalette::Window),
        pal.color(QPalette::Dark),
        pal.color(QPalette::Active, QPalette::Highlight),
        pal.color(QPalette::Inactive, QPalette::Highlight),
        pal.color(QPalette::Window),
        pal.color(QPalette::Base),
        pal.color(QPalette::Shadow),
        pal.color(QPalette::WindowText),
        pal.color(QPalette::Text),
        pal.color(QPalette::HighlightedText),
        pal.color(QPalette::Button),
        pal.color(QPalette::Button),
        pal.color(QPalette::Mid),
        pal.color(QPalette::Highlight),
        pal.color(QPalette::HighlightedText),
        pal.color(QPalette::Button),
    };
    for (int i = 0; i < 16; ++i) CustomColors[i] = toColorValue(colours[i]);
    CustomColorsLoaded = true;
}

int32_t GCommonDialog::CustomColor(int16_t I) {
    if (!CustomColorsLoaded) LoadSystemColors();
    return I >= 0 && I <= 15 ? CustomColors[I] : -1;
}

void GCommonDialog::setCustomColor(int16_t I, int32_t iValue) {
    if (!CustomColorsLoaded) LoadSystemColors();
    if (I >= 0 && I <= 15) CustomColors[I] = iValue;
}

bool GCommonDialog::VBChooseColor(int32_t& Color, bool AnyColor, bool FullOpen,
                                  bool DisableFullOpen, QWidget* Owner, int32_t flags) {
    // Qt's colour dialog has one form: always open in full, any colour; the caller's flags
    // have nothing to act on.
    if (!CustomColorsLoaded) LoadSystemColors();
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, toQColor(CustomColors[i]));
    QColorDialog dlg(toQColor(Color), Owner);
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    const bool chosen = dlg.exec() == QDialog::Accepted;
    APIReturn_ = chosen ? 1 : 0;
    if (!chosen) {
        Color = -1;
        return false;
    }
    for (int i = 0; i < 16; ++i) CustomColors[i] = toColorValue(QColorDialog::customColor(i));
    Color = toColorValue(dlg.selectedColor());
    return true;
}

int32_t GCommonDialog::FontFlags(FontArgs& a) {
    int32_t f = a.flags;
    if (a.PrinterDC == -1)
        a.PrinterDC = 0; // there are no printer contexts to take fonts from
    else
        f |= CF_PRINTERFONTS;
    if (!(f & CF_PRINTERFONTS)) f |= CF_SCREENFONTS;
    if (a.Color != 0) f |= CF_EFFECTS;
    if (a.MinSize != 0 || a.MaxSize != 0) f |= CF_LIMITSIZE;
    return (f & ~0x218) | CF_INITTOLOGFONTSTRUCT;
}

bool GCommonDialog::VBChooseFont(FontArgs& a) {
    APIReturn_ = 0;
    ExtendedError_ = 0;
    const int32_t flags = FontFlags(a);
    QFontDialog dlg(a.CurFont, a.Owner);
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    const bool chosen = dlg.exec() == QDialog::Accepted;
    APIReturn_ = chosen ? 1 : 0;
    if (!chosen) return false;
    QFont font = dlg.selectedFont();
    // Sizes come back in tenths of a point, inside the limits when there are any.
    double size = std::round(font.pointSizeF() * 10) / 10;
    if (flags & CF_LIMITSIZE) {
        if (a.MinSize > 0 && size < a.MinSize) size = a.MinSize;
        if (a.MaxSize > 0 && size > a.MaxSize) size = a.MaxSize;
    }
    font.setPointSizeF(size);
    a.CurFont = font;
    a.flags = flags;
    return true;
}

QPrinter& GCommonDialog::storedPrinter() {
    if (!StoredDevMode) StoredDevMode = std::make_unique<QPrinter>();
    return *StoredDevMode;
}

bool GCommonDialog::VBPrintDlg(PrintArgs& a) {
    APIReturn_ = 0;
    ExtendedError_ = 0;
    int32_t flags = (a.flags & ~kPrintHookBits) | PD_RETURNDC;
    if (a.DisablePageNumbers) flags |= PD_NOPAGENUMS;
    if (a.DisableSelection) flags |= PD_NOSELECTION;
    if (!a.ShowPrintToFile) flags |= PD_HIDEPRINTTOFILE;
    if (a.DisablePrintToFile) flags |= PD_DISABLEPRINTTOFILE;
    if (a.PrintToFile) flags |= PD_PRINTTOFILE;
    if (a.Collate) flags |= PD_COLLATE;
    if (a.PreventWarning) flags |= PD_NOWARNING;
    if (a.PrintRange == 1)
        flags |= PD_PAGENUMS;
    else if (a.PrintRange == 2)
        flags |= PD_SELECTION;

    QPrinter& printer = a.Printer ? *a.Printer : storedPrinter();
    printer.setFromTo(0, 0);
    if (a.FromPage >= 1 && a.ToPage >= a.FromPage) printer.setFromTo(a.FromPage, a.ToPage);
    printer.setPrintRange(flags & PD_PAGENUMS    ? QPrinter::PageRange
                          : flags & PD_SELECTION ? QPrinter::Selection
                                                 : QPrinter::AllPages);
    if (a.Copies > 0) printer.setCopyCount(a.Copies);
    printer.setCollateCopies(flags & PD_COLLATE);

    QPrintDialog dlg(&printer, a.Owner);
    dlg.setMinMax(1, 65535);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, !(flags & PD_NOPAGENUMS));
    dlg.setOption(QAbstractPrintDialog::PrintSelection, !(flags & PD_NOSELECTION));
    dlg.setOption(QAbstractPrintDialog::PrintToFile,
                  !(flags & (PD_HIDEPRINTTOFILE | PD_DISABLEPRINTTOFILE)));
    dlg.setOption(QAbstractPrintDialog::PrintCollateCopies);
    const bool chosen = dlg.exec() == QDialog::Accepted;
    APIReturn_ = chosen ? 1 : 0;
    if (!chosen) return false;
    a.hdc = &printer;
    a.PrintRange = printer.printRange() == QPrinter::PageRange   ? 1
                   : printer.printRange() == QPrinter::Selection ? 2
                                                                 : 0;
    a.FromPage = printer.fromPage();
    a.ToPage = printer.toPage();
    a.PrintToFile = !printer.outputFileName().isEmpty();
    a.Copies = int16_t(printer.copyCount());
    a.Collate = printer.collateCopies();
    return true;
}

bool GCommonDialog::VBPageSetupDlg(PageSetupArgs& a) {
    APIReturn_ = 0;
    ExtendedError_ = 0;
    QPrinter& printer = a.Printer ? *a.Printer : storedPrinter();
    const QPageLayout::Unit unit = a.Units != 0 ? QPageLayout::Millimeter : QPageLayout::Inch;
    printer.setPageMargins(QMarginsF(a.LeftMargin, a.TopMargin, a.RightMargin, a.BottomMargin),
                           unit);
    QPageSetupDialog dlg(&printer, a.Owner);
    if (dlg.exec() != QDialog::Accepted) return false;
    const QMarginsF m = printer.pageLayout().margins(unit);
    a.LeftMargin = int32_t(vb::RoundHalfEven(m.left()));
    a.TopMargin = int32_t(vb::RoundHalfEven(m.top()));
    a.RightMargin = int32_t(vb::RoundHalfEven(m.right()));
    a.BottomMargin = int32_t(vb::RoundHalfEven(m.bottom()));
    a.PaperSize = printer.pageLayout().pageSize().windowsId();
    a.Orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    a.PrintQuality = printer.resolution();
    return true;
}
