#pragma once
// Why an automatic save failed, and what the parents are told about it. Every text of a
// failed save lives here.

#include <QString>

struct SaveFailure {
    int SystemError = 0; // errno of the step that failed; 0 when it is not known
    QString Folder;      // the folder that was to take the file
    QString InTheWay;    // the file that stands where a folder should be, when one does
};

// What the parents were doing when the save failed. Each time they choose between going
// on without the colors (Continue) and staying with the picture (Cancel).
enum class AfterFailedSave { Opening, Clearing, Quitting };

// One sentence naming the cause: the disk is full, the folder cannot be written to, a
// file stands where a folder should be, the name is too long, or (any other errno) the
// file could not be written.
QString SaveFailureCause(const SaveFailure& failure);

// What the parents can do about the cause: one sentence that fits it.
QString SaveFailureAdvice(const SaveFailure& failure);

// The whole message: the failure, its cause, the advice and the choice.
QString SaveFailureMessage(const SaveFailure& failure, AfterFailedSave after);
