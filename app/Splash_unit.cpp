#include "Splash_unit.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#include <stdexcept>

QString ProgramDir() {
    return QCoreApplication::applicationDirPath() + '/';
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

TFSplash::TFSplash(const QString& pictureDir, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(400, 282);
    move(192, 107);
    SplashImage = new QLabel(this);
    SplashImage->setGeometry(0, 0, 400, 282);
    SplashImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SplashImage->setPixmap(LoadPicture(pictureDir + "krsplash.dat"));
}
