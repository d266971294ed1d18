// SPDX-License-Identifier: GPL-3.0-or-later
#include "Korund_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {

cDialogs gStandard;
cDialogs* gInstalled = nullptr;

// "Text (*.a)|*.a|Other (*.b)|*.b" -> "Text (*.a);;Other (*.b)"
QStringList QtFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        const QString& name = parts[i];
        result << (name.contains('(') ? name : name + " (" + patterns + ")");
    }
    return result;
}

tFileChoice RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title, const QString& filter,
                          int filterIndex) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The callers ask before overwriting.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = QtFilters(filter);
    dialog.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size())
        dialog.selectNameFilter(filters[filterIndex - 1]);

    tFileChoice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return choice;
    choice.accepted = true;
    choice.fileName = dialog.selectedFiles().first();
    choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (choice.filterIndex < 1)
        choice.filterIndex = 1;
    return choice;
}

} // namespace

tMsgResult cDialogs::Message(QWidget* parent, tMsgType type, const QString& text, tMsgButtons buttons) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type) {
    case tMsgType::Plain: icon = QMessageBox::NoIcon; break;
    case tMsgType::Information: icon = QMessageBox::Information; break;
    case tMsgType::Warning: icon = QMessageBox::Warning; break;
    case tMsgType::Error: icon = QMessageBox::Critical; break;
    }
    const QMessageBox::StandardButtons standard = buttons == tMsgButtons::OkCancel
                                                      ? QMessageBox::Ok | QMessageBox::Cancel
                                                      : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(icon, QApplication::applicationName(), text, standard, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? tMsgResult::Ok : tMsgResult::Cancel;
}

tFileChoice cDialogs::OpenFile(QWidget* parent, const QString& title, const QString& filter, int filterIndex) {
    return RunFileDialog(parent, QFileDialog::AcceptOpen, title, filter, filterIndex);
}

tFileChoice cDialogs::SaveFile(QWidget* parent, const QString& title, const QString& filter, int filterIndex) {
    return RunFileDialog(parent, QFileDialog::AcceptSave, title, filter, filterIndex);
}

void cDialogs::ShowModal(QDialog* dialog) { dialog->exec(); }

cDialogs& Dialogs() { return gInstalled ? *gInstalled : gStandard; }

void SetDialogs(cDialogs* dialogs) { gInstalled = dialogs; }

cDialogs* InstalledDialogs() { return gInstalled; }
