#pragma once
// The current printer for the whole run, and the dialog that chooses it.

#include <QPrinter>

class QWidget;

// The one printer object of the run; each print starts from its settings.
QPrinter& CurrentPrinter();

// Shows the print dialog over `owner`, preset from `printer`. On a choice the printer takes
// the chosen device and settings and `copies` the number of copies asked for; the printer
// itself is left at one copy, since every copy is drawn as a page of its own. False when
// the parents cancel.
bool ChoosePrinter(QPrinter& printer, QWidget* owner, int& copies);
