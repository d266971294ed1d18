// SPDX-License-Identifier: GPL-3.0-or-later
// TFSplash: the picture shown while the program starts.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;

class TFSplash : public QWidget {
    Q_OBJECT
public:
    // Loads "krsplash.dat" (see LoadProgramPicture); throws
    // std::runtime_error when it cannot be read as a bitmap.
    explicit TFSplash(const QString& pictureDir = QString(), QWidget* parent = nullptr);
    QLabel* SplashImage = nullptr;
};

// Directory of the executable (with a trailing '/').
QString ProgramDir();

// Where the pictures are looked for, in order: beside the executable, then
// the installed data folder <prefix>/share/korund/ (trailing '/' each).
QStringList PictureDirs();
// The first of dirs that holds name, with name appended; empty when none does.
QString FindPicture(const QStringList& dirs, const QString& name);

// Loads a BMP picture whatever its extension; throws std::runtime_error
// naming the file when it is missing or not a readable bitmap.
class QPixmap;
QPixmap LoadPicture(const QString& path);
// Loads pictureDir + name, or with an empty pictureDir the first name found
// in PictureDirs(); throws std::runtime_error naming the places searched
// when there is none.
QPixmap LoadProgramPicture(const QString& pictureDir, const QString& name);
