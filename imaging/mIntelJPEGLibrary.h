#pragma once
// Writes a DIB section as a baseline JPEG file (libjpeg-turbo underneath).

#include "SaveFile.h"
#include "cDIBSection.h"

#include <QString>
#include <cstdint>

// Writes Section to FilePath at Quality (1 to 100; libjpeg clamps other values) and
// returns true; every failure raises error 26001 instead. The file is written beside the
// target under a temporary name and renamed over it, so an existing file survives any
// failure; when it existed, the new file keeps its permission bits and its access and
// modification times.
//
// The status in the error texts: a libjpeg message code when the library failed, -1 when
// the section holds no pixels, and -100 - QFileDevice::FileError when the file could not
// be written. When SystemError is given it receives the errno of a failed file step (0 when
// the file itself did not fail), so a caller can say why.
bool SaveJpegFile(cDIBSection& Section, const QString& FilePath, int32_t Quality,
                  int32_t* SystemError = nullptr);

// The writing half of SaveJpegFile: the JPEG goes into File (opened here when it is not
// open yet) and is left for the caller to commit, so that it can replace its target
// together with another file. Raises as SaveJpegFile does.
void WriteJpegFile(cDIBSection& Section, vb::SaveFile& File, int32_t Quality,
                   int32_t* SystemError = nullptr);
