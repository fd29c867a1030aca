#pragma once
// The one error type that routines raise to their callers: a number, a source and a
// description, as the program's error traps expect them.

#include <QString>
#include <exception>

namespace vb {

enum ErrorNumber : int32_t {
    ErrInvalidProcedureCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscriptOutOfRange = 9,
    ErrDivisionByZero = 11,
    ErrTypeMismatch = 13,
    ErrFileNotFound = 53,
    ErrInputPastEnd = 62,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrObjectNotSet = 91,
    ErrInvalidPicture = 481,
};

class VbError : public std::exception {
public:
    VbError(int32_t number, QString description, QString source = {});

    int32_t Number;
    QString Source;
    QString Description;

    const char* what() const noexcept override { return what_.constData(); }

private:
    QByteArray what_;
};

// Text the runtime gives each standard error number.
QString StandardErrorText(int32_t number);

[[noreturn]] void Raise(int32_t number, QString description = {}, QString source = {});

// The program's file name without extension, the first part of every error source.
QString ProgramName();

} // namespace vb
