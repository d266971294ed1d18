// SPDX-License-Identifier: GPL-3.0-or-later
#include "Splash_unit.h"

#include "KorundSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#include <stdexcept>

QString ProgramDir() { return QCoreApplication::applicationDirPath() + '/'; }

QStringList PictureDirs() { return {ProgramDir(), QDir::cleanPath(QString::fromStdString(InstalledDataDir())) + '/'}; }

QString FindPicture(const QStringList& dirs, const QString& name) {
    for (const QString& dir : dirs)
        if (QFileInfo(dir + name).isFile())
            return dir + name;
    return {};
}

QPixmap LoadPicture(const QString& path) {
    // The files carry another extension, so the format is named explicitly.
    QImageReader reader(path, "BMP");
    QImage image = reader.read();
    if (image.isNull())
        throw std::runtime_error("Cannot load the picture \"" + path.toStdString() +
                                 "\": " + reader.errorString().toStdString());
    return QPixmap::fromImage(image);
}

QPixmap LoadProgramPicture(const QString& pictureDir, const QString& name) {
    if (!pictureDir.isEmpty())
        return LoadPicture(pictureDir + name);
    const QStringList dirs = PictureDirs();
    const QString path = FindPicture(dirs, name);
    if (path.isEmpty())
        throw std::runtime_error("Cannot find the picture \"" + name.toStdString() +
                                 "\" beside the program or in the data folder (searched " +
                                 dirs.join(", ").toStdString() + ")");
    return LoadPicture(path);
}

TFSplash::TFSplash(const QString& pictureDir, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(400, 282);
    move(192, 107);
    SplashImage = new QLabel(this);
    SplashImage->setGeometry(0, 0, 400, 282);
    SplashImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SplashImage->setPixmap(LoadProgramPicture(pictureDir, "krsplash.dat"));
}
