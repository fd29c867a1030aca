#pragma once
// What an interrupted picture-pack import or whole-file save leaves behind: a staging
// folder in "books", and temporary files beside the settings file, the child's own page
// and the coloured copies. Start-up clears them, and only names the program makes; a
// replacement of the own page's two files that was cut short is finished first.

#include <QString>

// Clears the leftovers under the program folder `appPath`; returns how many it removed
// (a finished replacement of the own page counts as one).
int ClearLeftovers(const QString& appPath);
