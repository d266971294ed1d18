// SPDX-License-Identifier: GPL-3.0-or-later
// cFormulaRecall: the formula history in the main window's formula field.
// Up and Down walk through the calculated formulas, newest first; Down past
// the newest brings back what was being typed. The history is kept in the
// file shared with korund-cli.
#pragma once

#include "FormulaHistory.h"

#include <QObject>
#include <QString>

#include <string>

class QLineEdit;

class cFormulaRecall : public QObject {
    Q_OBJECT
public:
    // Loads the history of path (empty: kept in memory only).
    cFormulaRecall(QLineEdit* field, std::string path);

    // A formula was calculated: it becomes the newest entry and is saved.
    // False, with the reason, when the file cannot be written.
    bool Calculated(const QString& formula, std::string* error = nullptr);
    const cFormulaHistory& History() const { return aHistory; }
    // Up (older) or Down (newer); false when there is nothing further.
    bool Step(bool older);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* aField;
    cFormulaHistory aHistory;
    size_t aAt = 0; // entries from the newest that are shown; 0: not walking
    QString aDraft; // the text when the walk began
};

// The history file of the desktop program: cFormulaHistory::DefaultPath(),
// or the test override.
std::string FormulaHistoryPath();
// Test seam: path for the history (empty: memory only) until Reset.
void SetFormulaHistoryPath(const std::string& path);
void ResetFormulaHistoryPath();
