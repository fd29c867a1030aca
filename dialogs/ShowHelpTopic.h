#pragma once
// Opening a page of the program's help file, "Help.chm" in the program folder.

#include <QString>

class QWidget;

// Shows `Topic` (a page of the help file, e.g. "new pictures.htm") in a help window owned
// by `hWnd`. When no help window opens, the parents are told, and the caller carries on.
void ShowHelpTopic(QWidget* hWnd, const QString& Topic);

// Tells the parents that the help file at `path` could not be opened. The About window's
// wording has always lacked the full stop after the quoted path; `fullStop` keeps it so.
void TellHelpFileMissing(const QString& path, bool fullStop = true);
