// SPDX-License-Identifier: GPL-3.0-or-later
// Test double for the dialog seam: records every message and answers from a script.
#pragma once

#include "Korund_dialogs.h"

#include <QDialog>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

struct cRecordedMessage {
    tMsgType type;
    QString text;
    tMsgButtons buttons;
};

class cFakeDialogs : public cDialogs {
public:
    std::vector<cRecordedMessage> messages;
    std::deque<tMsgResult> messageAnswers; // default Ok when empty
    std::deque<tFileChoice> fileAnswers;   // default cancelled when empty
    QStringList fileTitles;
    std::vector<QDialog*> modalShown;
    // Called while a modal window is "open"; the window is shown, not exec'd.
    std::function<void(QDialog*)> onModal;

    cFakeDialogs() { SetDialogs(this); }
    ~cFakeDialogs() override { SetDialogs(nullptr); }

    tMsgResult Message(QWidget*, tMsgType type, const QString& text, tMsgButtons buttons) override {
        messages.push_back({type, text, buttons});
        if (messageAnswers.empty())
            return tMsgResult::Ok;
        tMsgResult r = messageAnswers.front();
        messageAnswers.pop_front();
        return r;
    }
    tFileChoice OpenFile(QWidget*, const QString& title, const QString&, int) override { return nextFile(title); }
    tFileChoice SaveFile(QWidget*, const QString& title, const QString&, int) override { return nextFile(title); }
    void ShowModal(QDialog* dialog) override {
        modalShown.push_back(dialog);
        dialog->show();
        if (onModal)
            onModal(dialog);
    }

private:
    tFileChoice nextFile(const QString& title) {
        fileTitles << title;
        if (fileAnswers.empty())
            return {};
        tFileChoice c = fileAnswers.front();
        fileAnswers.pop_front();
        return c;
    }
};
