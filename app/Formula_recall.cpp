// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formula_recall.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <optional>

namespace {

std::optional<std::string> gPathOverride;

} // namespace

std::string FormulaHistoryPath() { return gPathOverride ? *gPathOverride : cFormulaHistory::DefaultPath(); }

void SetFormulaHistoryPath(const std::string& path) { gPathOverride = path; }

void ResetFormulaHistoryPath() { gPathOverride.reset(); }

cFormulaRecall::cFormulaRecall(QLineEdit* field, std::string path)
    : QObject(field), aField(field), aHistory(std::move(path)) {
    aHistory.Load();
    aField->installEventFilter(this);
}

bool cFormulaRecall::Calculated(const QString& formula, std::string* error) {
    aAt = 0;
    if (!aHistory.Add(formula.toStdString()))
        return true;
    return aHistory.Save(error);
}

bool cFormulaRecall::Step(bool older) {
    const auto& entries = aHistory.Entries();
    if (older) {
        if (aAt >= entries.size())
            return false;
        if (aAt == 0)
            aDraft = aField->text();
        ++aAt;
    } else {
        if (aAt == 0)
            return false;
        --aAt;
    }
    aField->setText(aAt == 0 ? aDraft : QString::fromStdString(entries[entries.size() - aAt]));
    return true;
}

bool cFormulaRecall::eventFilter(QObject* watched, QEvent* event) {
    if (watched == aField && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            Step(key->key() == Qt::Key_Up);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
