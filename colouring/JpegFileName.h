#pragma once
#include <QString>

// The name a picture saved as JPEG gets: ".jpg" is added unless the chosen name already
// ends in ".jpg" or ".jpeg" (exactly, case and all).
QString JpegFileName(const QString& chosen);
