#pragma once
// Why an automatic save failed, and what the parents are told about it. Every text of a
// failed save lives here.

#include <QString>

struct SaveFailure {
    int SystemError = 0; // errno of the step that failed; 0 when it is not known
    QString Folder;      // the folder that was to take the file
};

// What happens after the message: the picture stays open (open, clear), or the parents
// choose between quitting anyway and going on (quit).
enum class AfterFailedSave { StaysOpen, Quitting };

// One sentence naming the cause: the disk is full, the folder cannot be written to, the
// name is too long, or (any other errno) the file could not be written.
QString SaveFailureCause(const SaveFailure& failure);

// The whole message: the failure, its cause and what the parents can do.
QString SaveFailureMessage(const SaveFailure& failure, AfterFailedSave after);
