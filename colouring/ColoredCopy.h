#pragma once
// Where the coloured copy of a picture lives: one JPEG per picture file name, in a folder
// per book under "colored pictures" in the program folder. The chooser, the opener and
// the automatic save all find copies through these functions.

#include <QString>

// The characters after the last "/" (the whole path when it holds none).
QString PictureFileName(const QString& picturePath);
// The name of the folder holding the picture: between the last "/" and the one before it
// (from the start when there is only one "/"; empty when there is none).
QString BookName(const QString& picturePath);
// The file name with its last three characters replaced by "jpg" (cat.gif -> cat.jpg,
// cat.jpeg -> cat.jjpg). Raises vb::VbError 5 for names shorter than three characters.
QString ColoredCopyName(const QString& fileName);
// AppPath() + "/colored pictures/" + book + "/", with the trailing separator.
QString ColoredCopyFolder(const QString& picturePath);
// ColoredCopyFolder + ColoredCopyName of the picture's file name.
QString ColoredCopyPath(const QString& picturePath);
// The child's own drawing page: AppPath() + "/books/own pictures/own.bmp".
QString OwnPicturePath();
// Where a replacement of the own page's outlines and coloured copy under way is recorded,
// in the program folder `appPath`; start-up finishes what a kill cut short.
QString OwnPageJournal(const QString& appPath);
