// SPDX-License-Identifier: GPL-3.0-or-later
// The seam through which every window shows message boxes, file dialogs and
// modal windows. The program uses the standard implementation; tests install
// a fake that records and answers instead of blocking.
#pragma once

#include <QString>

class QWidget;
class QDialog;

enum class tMsgType { Plain, Information, Warning, Error };
enum class tMsgButtons { Ok, OkCancel };
enum class tMsgResult { Ok, Cancel };

struct tFileChoice {
    bool accepted = false;
    QString fileName;
    int filterIndex = 1; // 1-based, as in the filter text
};

class cDialogs {
public:
    virtual ~cDialogs() = default;
    virtual tMsgResult Message(QWidget* parent, tMsgType type, const QString& text,
                               tMsgButtons buttons = tMsgButtons::Ok);
    // filter in the form "Text (*.a)|*.a|Other (*.b)|*.b"
    virtual tFileChoice OpenFile(QWidget* parent, const QString& title, const QString& filter, int filterIndex);
    virtual tFileChoice SaveFile(QWidget* parent, const QString& title, const QString& filter, int filterIndex);
    // Shows a window modally and returns when it is closed.
    virtual void ShowModal(QDialog* dialog);
};

cDialogs& Dialogs();
// Installs a replacement (not owned); null restores the standard implementation.
void SetDialogs(cDialogs* dialogs);
// The installed replacement; null while the standard implementation is in use.
cDialogs* InstalledDialogs();
