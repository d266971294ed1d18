// SPDX-License-Identifier: GPL-3.0-or-later
// TResultLine: the result of the main window on one line. A text too long for
// the line is shortened in the middle of its mantissa, so that the first
// digits and the exponent always show; copying gives the whole text.
#pragma once

#include <QLabel>
#include <QString>

class QFontMetrics;

class TResultLine : public QLabel {
    Q_OBJECT
public:
    explicit TResultLine(const QString& text, QWidget* parent = nullptr);

    // The result as the engine wrote it; text() is what the line shows.
    void SetResult(const QString& text);
    const QString& FullText() const { return aFull; }
    bool Elided() const { return aHead < aFull.size(); }
    // The selection, with a selected "…" standing for the digits it hides.
    QString SelectedFullText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString aFull;
    qsizetype aHead = 0; // characters of aFull shown before the "…"
    qsizetype aTail = 0; // characters of aFull shown after it
    void Layout();
};

// Where the exponent of a number text starts ("E-12", "@7", "*2^10"); the
// text's size when it has none.
qsizetype ExponentStart(const QString& text);

// The parts of text to show in width pixels: the first head characters, then
// "…", then the last tail characters, the tail holding the exponent whole.
// head is text.size() (and tail 0) when the whole text fits.
struct tElision {
    qsizetype head = 0;
    qsizetype tail = 0;
};
tElision ElideNumber(const QString& text, const QFontMetrics& metrics, int width);
