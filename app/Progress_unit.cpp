// SPDX-License-Identifier: GPL-3.0-or-later
#include "Progress_unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

TFProgress::TFProgress(cKorundWindows& windows, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      W(windows) {
    setWindowTitle("Please wait ...");
    setFixedSize(319, 152);
    move(193, 187);
    setModal(false);
    // Showing does not take the keyboard from the window that started the job
    // (an editor compiling stays active); an evaluation activates it so that
    // Esc cancels.
    setAttribute(Qt::WA_ShowWithoutActivating);

    GroupBox1 = new QGroupBox("Progress", this);
    GroupBox1->setGeometry(8, 8, 305, 105);

    struct tRowPlace {
        QLabel*& label;
        QProgressBar*& bar;
        int labelTop, barTop, barHeight;
    };
    const tRowPlace places[] = {{LStat1, PStat1, 16, 16, 16},
                                {LStat2, PStat2, 40, 48, 9},
                                {LStat3, PStat3, 60, 64, 9},
                                {LStat4, PStat4, 80, 80, 9}};
    for (const tRowPlace& row : places) {
        // Right edge at 138; the label is wide enough for the longest row text.
        row.label = new QLabel("idle", GroupBox1);
        row.label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row.label->setGeometry(2, row.labelTop, 136, 16);
        row.bar = new QProgressBar(GroupBox1);
        row.bar->setGeometry(144, row.barTop, 150, row.barHeight);
        row.bar->setRange(0, 100);
        row.bar->setValue(0);
        row.bar->setTextVisible(false);
    }
    ShowRows();

    BCancel = new QPushButton("Cancel", this);
    BCancel->setGeometry(236, 120, 75, 25);
    // Neither Enter nor a stray Space presses it; Esc does, through reject().
    BCancel->setAutoDefault(false);
    BCancel->setFocusPolicy(Qt::NoFocus);
    BCancel->setEnabled(false);
    connect(BCancel, &QPushButton::clicked, this, &TFProgress::BCancelClick);
}

void TFProgress::SetCancellable(bool cancellable) {
    if (cancellable == aCancellable)
        return;
    aCancellable = cancellable;
    BCancel->setEnabled(cancellable);
}

void TFProgress::BCancelClick() {
    if (aCancellable)
        CancelRequested = true;
}

void TFProgress::ResetRows() { Rows.fill({}); }

QString TFProgress::RowText(size_t level) const {
    const tRow& row = Rows[level];
    return ProgressRowText(row.activity, row.total, row.done);
}

int32_t TFProgress::RowPercent(size_t level) const { return ProgressPercent(Rows[level].total, Rows[level].done); }

namespace {

// Large step counts make long row texts: the font shrinks down to 8 pixels to
// fit them left of the bar, and what still does not fit is elided on the left,
// keeping the counts.
void SetRowText(QLabel* label, const QString& text) {
    QFont font("DejaVu Sans Condensed");
    font.setStyleHint(QFont::SansSerif);
    for (int pixels = 11; pixels >= 8; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) <= label->width())
            break;
    }
    label->setFont(font);
    label->setText(QFontMetrics(font).elidedText(text, Qt::ElideLeft, label->width()));
}

} // namespace

void TFProgress::ShowRows() {
    const std::array<QLabel*, 4> labels{LStat1, LStat2, LStat3, LStat4};
    const std::array<QProgressBar*, 4> bars{PStat1, PStat2, PStat3, PStat4};
    for (size_t i = 0; i < labels.size(); ++i) {
        SetRowText(labels[i], RowText(i));
        bars[i]->setValue(RowPercent(i));
    }
}

void TFProgress::BeginJob(QWidget* fallback) {
    QWidget* active = QApplication::activeWindow();
    aKeyboardOwner = active ? active : fallback;
    aTookKeyboard = false;
    show();
}

void TFProgress::TakeKeyboard() {
    aTookKeyboard = true;
    activateWindow();
}

void TFProgress::EndJob() {
    const QWidget* active = QApplication::activeWindow();
    hide();
    if (aKeyboardOwner && (aTookKeyboard || !active || active == this))
        aKeyboardOwner->activateWindow();
}

bool TFProgress::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    // A hidden window takes no input: an activation meant for the shown
    // window goes back to the one the keyboard came from.
    if (event->type() == QEvent::WindowActivate && !isVisible() && aKeyboardOwner)
        aKeyboardOwner->activateWindow();
    return handled;
}

void TFProgress::reject() { BCancelClick(); }

void TFProgress::closeEvent(QCloseEvent* event) {
    if (event->spontaneous())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

QString ProgressRowText(uint8_t activity, uint32_t total, uint32_t done) {
    static const char* const names[] = {"idle", "calculating", "saving to file", "loading from file", "interpreting"};
    QString text = activity < std::size(names) ? names[activity] : "";
    if (activity != 0)
        text += QString(" (%1/%2)").arg(done).arg(total);
    return text;
}

int32_t ProgressPercent(uint32_t total, uint32_t done) {
    if (total == 0)
        return 0;
    return static_cast<int32_t>(uint64_t{done} * 100 / total);
}
