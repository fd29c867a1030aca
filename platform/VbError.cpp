#include "VbError.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vb {

QString StandardErrorText(int32_t number) {
    switch (number) {
    case ErrInvalidProcedureCall: return QStringLiteral("Invalid procedure call or argument");
    case ErrOverflow: return QStringLiteral("Overflow");
    case ErrOutOfMemory: return QStringLiteral("Out of memory");
    case ErrSubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case ErrDivisionByZero: return QStringLiteral("Division by zero");
    case ErrTypeMismatch: return QStringLiteral("Type mismatch");
    case ErrFileNotFound: return QStringLiteral("File not found");
    case ErrInputPastEnd: return QStringLiteral("Input past end of file");
    case ErrPathFileAccess: return QStringLiteral("Path/File access error");
    case ErrPathNotFound: return QStringLiteral("Path not found");
    case ErrObjectNotSet: return QStringLiteral("Object variable or With block variable not set");
    case ErrInvalidPicture: return QStringLiteral("Invalid picture");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

VbError::VbError(int32_t number, QString description, QString source)
    : Number(number), Source(source.isEmpty() ? ProgramName() : std::move(source)),
      Description(description.isEmpty() ? StandardErrorText(number) : std::move(description)) {
    what_ = QStringLiteral("%1 (%2): %3").arg(Number).arg(Source, Description).toUtf8();
}

void Raise(int32_t number, QString description, QString source) {
    throw VbError(number, std::move(description), std::move(source));
}

QString ProgramName() {
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QStringLiteral("tintavale") : QFileInfo(path).completeBaseName();
}

} // namespace vb
