#pragma once
// Opening a page of the program's help file, "Help.chm" in the program folder.

#include <QString>

class QWidget;

// Shows `Topic` (a page of the help file, e.g. "new pictures.htm") in a help window owned
// by `hWnd`. When no help window opens, the parents are told, and the caller carries on.
void ShowHelpTopic(QWidget* hWnd, const QString& Topic);
