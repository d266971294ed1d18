// TFSplash: the picture shown while the program starts.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;

class TFSplash : public QWidget {
    Q_OBJECT
public:
    // Loads pictureDir + "krsplash.dat"; throws std::runtime_error when it
    // cannot be read as a bitmap.
    explicit TFSplash(const QString& pictureDir, QWidget* parent = nullptr);
    QLabel* SplashImage = nullptr;
};

// Directory of the executable, where the pictures lie (with a trailing '/').
QString ProgramDir();

// Loads a BMP picture whatever its extension; throws std::runtime_error
// naming the file when it is missing or not a readable bitmap.
class QPixmap;
QPixmap LoadPicture(const QString& path);
