// SPDX-License-Identifier: GPL-3.0-or-later
// File menu of the main window: opening and saving library files.
#include "Korund_dialogs.h"
#include "Korund_main_unit.h"
#include "Palettes_unit.h"

#include "AtomicFile.h"
#include "Engine_job.h"

#include <QFile>
#include <QFileInfo>

namespace {

const char* const kLibraryFilter = "Korund constant library file (*.krc)|*.krc|"
                                   "Korund function library file (*.krf)|*.krf";

const char* const kMsgOtherFormat =
    "Error: This library cannot be read, because it was created by a version of Korund which "
    "uses another file format for libraries. You may want to upgrate to an appropriate version.";
const char* const kMsgNotLibrary = "Error: This is not a valid Korund library file.";
const char* const kMsgFull = "Error: The loading process of this library has been canceled. The memory area which is "
                             "reserved for this purpose is full. You can avoid this by setting a larger value in the "
                             "preferences.";
const char* const kMsgFileError =
    "Error: While trying to perform file operations, Korund encountered an error. You may want "
    "to restart windows.";
const char* const kMsgOutOfMemory =
    "Error: There is not enough memory to load this library. Nothing of it has been loaded.";
const char* const kMsgInvalidDeclaration =
    "Error: While trying to load this library, Korund has found an invalid declaration. The "
    "library cannot be loaded. You may want to contact the person who supplied this library.";
const char* const kMsgOverwrite =
    "Warning: There is already a file with the same name in that directory. If you decide to "
    "use this name, the old file will be overwitten. Do you want to overwite or cancel to chose "
    "another name?";

// Filter index 1: constants, 2: user functions.
bool IsConstantKind(int filterIndex) { return filterIndex != 2; }

// The name with its extension (after the last '.' of the file name) replaced.
QString WithExtension(const QString& fileName, const QString& extension) {
    const qsizetype nameStart = fileName.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? fileName.left(dot) : fileName;
    return stem + extension;
}

QString CannotOpenText(const QString& fileName, const QString& reason) {
    return QString("Error: Cannot open the file \"%1\": %2.").arg(fileName, reason);
}

QString CannotSaveText(const QString& fileName, const QString& reason) {
    return QString("Error: Cannot save the file \"%1\": %2.").arg(fileName, reason);
}

} // namespace

// The main window's LibraryStream as the stream of the library hooks; it
// holds a device only during one load or save, which releases it.
class cMainWindowStream : public cLibraryStream {
public:
    uint16_t Read(void* buffer, uint16_t count) override {
        QIODevice* stream = Device();
        const qint64 read = stream ? stream->read(static_cast<char*>(buffer), count) : 0;
        return read > 0 ? static_cast<uint16_t>(read) : 0;
    }
    uint16_t Write(const void* buffer, uint16_t count) override {
        QIODevice* stream = Device();
        const qint64 written = stream ? stream->write(static_cast<const char*>(buffer), count) : 0;
        return written > 0 ? static_cast<uint16_t>(written) : 0;
    }
    void Release() override {
        if (gMainForm)
            gMainForm->LibraryStream.reset();
    }

private:
    static QIODevice* Device() { return gMainForm ? gMainForm->LibraryStream.get() : nullptr; }
};

cLibraryStream& MainWindowStream() {
    static cMainWindowStream stream;
    return stream;
}

void TFMain::File_OpenClick() {
    if (cEngineJob::Running())
        return;
    const tFileChoice choice = Dialogs().OpenFile(this, "Load library file", kLibraryFilter, 1);
    if (!choice.accepted)
        return;
    LoadLibraryFile(choice.fileName, IsConstantKind(choice.filterIndex));
}

void TFMain::OpenStartFile(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix != "krc" && suffix != "krf") {
        Dialogs().Message(this, tMsgType::Error,
                          QString("Error: \"%1\" is not a Korund library file: its name must end "
                                  "in .krc (constants) or .krf (functions).")
                              .arg(fileName),
                          tMsgButtons::Ok);
        return;
    }
    LoadLibraryFile(fileName, suffix == "krc");
}

void TFMain::LoadLibraryFile(const QString& fileName, bool constants) {
    if (cEngineJob::Running())
        return;
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::ReadOnly)) {
        Dialogs().Message(this, tMsgType::Error, CannotOpenText(fileName, file->errorString()), tMsgButtons::Ok);
        return;
    }
    int32_t result = 0;
    {
        const cEngineJob job;
        LibraryStream = std::move(file);
        result = LoadLibrary(constants ? eLibraryKind::Constants : eLibraryKind::Functions, MainWindowStream());
    }

    QString message;
    switch (result) {
    case lrLoaded:
        if (W.Palettes) {
            if (constants)
                W.Palettes->SConstantsShow();
            else
                W.Palettes->SUserFuncShow();
        }
        return;
    case lrReadFailed: message = kMsgFileError; break;
    case lrTableFull: message = kMsgFull; break;
    case lrBadMagic: message = kMsgNotLibrary; break;
    case lrBadVersion: message = kMsgOtherFormat; break;
    case kLoadOutOfMemory: message = kMsgOutOfMemory; break;
    default:
        if (result < 0)
            return; // not a result the engine gives
        message = QString(kMsgInvalidDeclaration) + "\n(declaration " + QString::number(result) + ")";
        break;
    }
    Dialogs().Message(this, tMsgType::Error, message, tMsgButtons::Ok);
}

void TFMain::File_SaveClick() {
    if (cEngineJob::Running())
        return;
    for (;;) {
        const tFileChoice choice = Dialogs().SaveFile(this, "Save current state as library file", kLibraryFilter, 1);
        if (!choice.accepted)
            return;
        const bool constants = IsConstantKind(choice.filterIndex);
        const QString fileName = WithExtension(choice.fileName, constants ? ".krc" : ".krf");

        if (QFileInfo::exists(fileName) &&
            Dialogs().Message(this, tMsgType::Warning, kMsgOverwrite, tMsgButtons::OkCancel) == tMsgResult::Cancel)
            continue;

        // Written beside the target and renamed over it only when complete, so a
        // failed save leaves an existing file as it was; only a regular file
        // (or a link to one) is replaced.
        cAtomicFile target(QFile::encodeName(fileName).toStdString());
        auto file = std::make_unique<QFile>();
        if (!target.IsOpen() ||
            !file->open(target.Stream(), QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
            const QString reason = target.IsOpen() ? file->errorString() : QString::fromStdString(target.Error());
            Dialogs().Message(this, tMsgType::Error, CannotSaveText(fileName, reason), tMsgButtons::Ok);
            return;
        }
        bool written = false;
        {
            const cEngineJob job;
            LibraryStream = std::move(file);
            written = SaveLibrary(constants ? eLibraryKind::Constants : eLibraryKind::Functions, MainWindowStream());
        }
        written = written && target.Commit();
        if (!written)
            Dialogs().Message(this, tMsgType::Error, kMsgFileError, tMsgButtons::Ok);
        return;
    }
}
