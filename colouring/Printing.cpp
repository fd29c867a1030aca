#include "Printing.h"

#include <QAbstractPrintDialog>
#include <QPrintDialog>

QPrinter& CurrentPrinter() {
    static auto* printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

bool ChoosePrinter(QPrinter& printer, QWidget* owner, int& copies) {
    QPrintDialog dialog(&printer, owner);
    // Neither a selection nor page numbers make sense for one picture. Printing to a file
    // stays offered: on a desktop without printers it is the only way to print.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    dialog.setWindowTitle(QStringLiteral("Print"));
    if (dialog.exec() != QDialog::Accepted) return false;
    copies = printer.copyCount();
    // Handing the count to the printer as well would print copies x copies pages.
    printer.setCopyCount(1);
    return true;
}
