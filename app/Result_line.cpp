// SPDX-License-Identifier: GPL-3.0-or-later
#include "Result_line.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace {

const QChar kEllipsis(0x2026);

// Longer results get no tooltip of their own digits: a window of that much
// text would cover the screen. Copy result gives them.
constexpr qsizetype kMaxTooltipChars = 1000;
constexpr qsizetype kTooltipLineChars = 64;

bool IsDigit(QChar c) { return c >= QChar('0') && c <= QChar('9'); }

QString Tooltip(const QString& full) {
    if (full.size() > kMaxTooltipChars)
        return QString("%1 characters; Edit > Copy result (Ins) copies them all.").arg(full.size());
    QString lines;
    for (qsizetype i = 0; i < full.size(); i += kTooltipLineChars) {
        if (i > 0)
            lines += '\n';
        lines += full.mid(i, kTooltipLineChars);
    }
    return lines;
}

} // namespace

qsizetype ExponentStart(const QString& text) {
    const qsizetype binary = text.lastIndexOf("*2^");
    if (binary >= 0)
        return binary;
    const qsizetype at = text.lastIndexOf('@');
    if (at >= 0)
        return at;
    // "E", an optional sign and decimal digits up to the end.
    const qsizetype e = text.lastIndexOf('E');
    if (e <= 0)
        return text.size();
    qsizetype i = e + 1;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    if (i == text.size())
        return text.size();
    for (; i < text.size(); ++i)
        if (!IsDigit(text[i]))
            return text.size();
    return e;
}

tElision ElideNumber(const QString& text, const QFontMetrics& metrics, int width) {
    // Every character is at least a pixel wide: a text longer than the width
    // in characters cannot fit, and is never measured whole.
    if (text.size() <= width && metrics.horizontalAdvance(text) <= width)
        return {text.size(), 0};
    const qsizetype exponent = ExponentStart(text);
    const auto shown = [&](qsizetype kept) {
        const qsizetype head = (kept + 1) / 2;
        return tElision{head, text.size() - exponent + kept / 2};
    };
    const auto fits = [&](tElision e) {
        const QString candidate = text.left(e.head) + kEllipsis + text.right(e.tail);
        return metrics.horizontalAdvance(candidate) <= width;
    };
    // The most mantissa characters that fit beside the ellipsis and the exponent.
    qsizetype low = 0;
    qsizetype high = std::min<qsizetype>(exponent - 1, width);
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (fits(shown(mid)))
            low = mid;
        else
            high = mid - 1;
    }
    return shown(std::max<qsizetype>(low, 0));
}

TResultLine::TResultLine(const QString& text, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus); // Tab reaches it too
    SetResult(text);
}

void TResultLine::SetResult(const QString& text) {
    aFull = text;
    Layout();
}

void TResultLine::Layout() {
    const tElision e = ElideNumber(aFull, QFontMetrics(font()), contentsRect().width());
    aHead = e.head;
    aTail = e.tail;
    if (!Elided()) {
        setText(aFull);
        setToolTip(QString());
        return;
    }
    setText(aFull.left(aHead) + kEllipsis + aFull.right(aTail));
    setToolTip(Tooltip(aFull));
}

QString TResultLine::SelectedFullText() const {
    if (!hasSelectedText())
        return QString();
    // Shown positions up to the "…" are those of the whole text; the "…"
    // stands for the hidden middle; after it they count from the end.
    const auto full = [this](qsizetype shown) {
        return shown <= aHead ? shown : aFull.size() - aTail + (shown - aHead - 1);
    };
    const qsizetype first = selectionStart();
    const qsizetype from = full(first);
    return aFull.mid(from, full(first + selectedText().size()) - from);
}

void TResultLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Layout();
}

void TResultLine::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) && hasSelectedText()) {
        QGuiApplication::clipboard()->setText(SelectedFullText());
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TResultLine::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction("Copy");
    copy->setEnabled(hasSelectedText());
    QAction* copyAll = menu.addAction("Copy result");
    QAction* selectAll = menu.addAction("Select all");
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == copy)
        QGuiApplication::clipboard()->setText(SelectedFullText());
    else if (chosen == copyAll)
        QGuiApplication::clipboard()->setText(aFull);
    else if (chosen == selectAll)
        setSelection(0, static_cast<int>(text().size()));
}
