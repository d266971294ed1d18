// SPDX-License-Identifier: GPL-3.0-or-later
#include "Plot_unit.h"

#include "Engine_job.h"
#include "Korund_dialogs.h"
#include "Korund_main_unit.h"
#include "ParseMessages.h"
#include "Plot_ticks.h"
#include "cPlotRange.h"
#include "cPlotSampler.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor kPalette[] = {QColor(0, 90, 200),   QColor(200, 30, 30), QColor(0, 140, 60), QColor(230, 130, 0),
                           QColor(130, 50, 170), QColor(0, 150, 160), QColor(90, 90, 90), QColor(200, 0, 140)};
constexpr size_t kPaletteSize = std::size(kPalette);
// Zoom and pan events that come faster than this are sampled once.
constexpr int kResampleDelayMs = 40;

// Stretch of a parse failure in a field's text: byte offsets to QString positions.
std::pair<int, int> Selection(const std::string& text, const cPlotParseError& error) {
    const auto first = static_cast<size_t>(std::clamp<int32_t>(error.aFirst, 0, static_cast<int32_t>(text.size())));
    const size_t length = error.aLast >= error.aFirst
                              ? std::min(text.size() - first, static_cast<size_t>(error.aLast - error.aFirst + 1))
                              : 0;
    return {static_cast<int>(QString::fromUtf8(text.data(), static_cast<qsizetype>(first)).size()),
            static_cast<int>(QString::fromUtf8(text.data() + first, static_cast<qsizetype>(length)).size())};
}

// Sets a flag for as long as it lives, and holds the program's one engine job.
class cBusy {
public:
    explicit cBusy(bool& flag) : aFlag(flag) { aFlag = true; }
    ~cBusy() { aFlag = false; }
    cBusy(const cBusy&) = delete;
    cBusy& operator=(const cBusy&) = delete;

private:
    bool& aFlag;
    cEngineJob aJob;
};

const char* const kJobRunning = "Another calculation is running; plot once it has ended";

} // namespace

// ---- the main window's menu item

void TFMain::Plot_ShowClick() {
    if (!W.Plot)
        return;
    W.Plot->show();
    W.Plot->raise();
    W.Plot->activateWindow();
}

// ---- TFPlot

TFPlot::TFPlot(cKorundWindows& windows, QWidget* parent) : QWidget(parent, Qt::Window), W(windows) {
    setWindowTitle("Plot");
    CreateControls();
    resize(720, 560);
    move(140, 120);
}

TFPlot::~TFPlot() = default;

void TFPlot::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    Canvas = new TPlotCanvas(this); // laid out below the fields; the rows' colours go to it
    auto* rows = new QGridLayout();
    for (size_t row = 0; row < kRows; ++row) {
        const int line = static_cast<int>(row); // below kRows
        CShow[row] = new QCheckBox(QString::number(row + 1), this);
        CShow[row]->setChecked(true);
        CShow[row]->setToolTip("Show or hide this formula");
        BColour[row] = new QToolButton(this);
        BColour[row]->setFixedSize(22, 18);
        BColour[row]->setToolTip("Colour of this formula (click for the next)");
        EFormula[row] = new QLineEdit(this);
        EFormula[row]->setObjectName(QString("EFormula%1").arg(row + 1));
        rows->addWidget(CShow[row], line, 0);
        rows->addWidget(BColour[row], line, 1);
        rows->addWidget(EFormula[row], line, 2);
        SetColour(row, row);
        connect(BColour[row], &QToolButton::clicked, this, [this, row] { SetColour(row, aColour[row] + 1); });
        connect(CShow[row], &QCheckBox::toggled, this, [this] { RunGuarded([this] { Resample(); }); });
        connect(EFormula[row], &QLineEdit::returnPressed, this, &TFPlot::BPlotClick);
    }
    EFormula[0]->setText("sin(x)");
    layout->addLayout(rows);

    auto* range = new QHBoxLayout();
    auto label = [this, range](const char* text, QWidget* field) {
        auto* l = new QLabel(text, this);
        l->setBuddy(field);
        range->addWidget(l);
        range->addWidget(field);
    };
    EVariable = new QLineEdit("x", this);
    EVariable->setMaxLength(1);
    EVariable->setFixedWidth(28);
    EVariable->setValidator(new QRegularExpressionValidator(QRegularExpression("[a-z]"), EVariable));
    EFrom = new QLineEdit("-360", this);
    ETo = new QLineEdit("360", this);
    ESamples = new QSpinBox(this);
    ESamples->setRange(2, 100000);
    ESamples->setValue(1000);
    ESamples->setGroupSeparatorShown(true);
    label("&Variable", EVariable);
    label("&From", EFrom);
    label("&To", ETo);
    label("&Samples", ESamples);
    BPlot = new QPushButton("&Plot", this);
    BPlot->setToolTip("Plot the formulas (F2)");
    BReset = new QPushButton("&Reset", this);
    BReset->setToolTip("Back to the range typed");
    BExport = new QPushButton("&Export...", this);
    BExport->setToolTip("Save the picture as PNG or SVG");
    for (QPushButton* b : {BPlot, BReset, BExport})
        range->addWidget(b);
    layout->addLayout(range);

    layout->addWidget(Canvas, 1);

    auto* status = new QHBoxLayout();
    LStatus = new QLabel(this);
    LStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LPointer = new QLabel(this);
    LPointer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    status->addWidget(LStatus, 1);
    status->addWidget(LPointer);
    layout->addLayout(status);

    for (QLineEdit* field : {EVariable, EFrom, ETo})
        connect(field, &QLineEdit::returnPressed, this, &TFPlot::BPlotClick);
    connect(BPlot, &QPushButton::clicked, this, &TFPlot::BPlotClick);
    connect(BReset, &QPushButton::clicked, this, &TFPlot::BResetClick);
    connect(BExport, &QPushButton::clicked, this, &TFPlot::BExportClick);
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
    f2->setContext(Qt::WindowShortcut);
    connect(f2, &QShortcut::activated, this, &TFPlot::BPlotClick);

    // The keyboard goes through the formulas and the range first.
    QWidget* order[] = {EFormula[0], EFormula[1], EFormula[2], EFormula[3], EVariable, EFrom,
                        ETo,         ESamples,    BPlot,       BReset,      BExport};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    EFormula[0]->setFocus();

    aResampleTimer = new QTimer(this);
    aResampleTimer->setSingleShot(true);
    aResampleTimer->setInterval(kResampleDelayMs);
    connect(aResampleTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { Resample(); }); });
    connect(Canvas, &TPlotCanvas::ViewChanged, aResampleTimer, qOverload<>(&QTimer::start));
    connect(Canvas, &TPlotCanvas::Hover, this, [this](double x, double y) {
        const tPlotView& v = Canvas->View();
        LPointer->setText(QString("x = %1   y = %2")
                              .arg(PlotCoordinate(x, v.x1 - v.x0, Canvas->width()),
                                   PlotCoordinate(y, v.y1 - v.y0, Canvas->height())));
    });
    connect(Canvas, &TPlotCanvas::HoverLeft, LPointer, &QLabel::clear);
}

QColor TFPlot::RowColour(size_t row) const { return kPalette[aColour[row] % kPaletteSize]; }

void TFPlot::SetColour(size_t row, size_t colour) {
    aColour[row] = colour % kPaletteSize;
    BColour[row]->setStyleSheet(
        QString("QToolButton { background: %1; border: 1px solid #555; }").arg(RowColour(row).name()));
    Canvas->Curves[row].colour = RowColour(row);
    Canvas->update();
}

void TFPlot::ShowStatus(const QString& text, bool error) {
    LStatus->setStyleSheet(error ? "color: #b00000;" : "");
    LStatus->setText(text);
}

void TFPlot::ShowParseError(QLineEdit* field, const QString& name, const cPlotParseError& error) {
    const std::string text = field->text().toStdString();
    const auto [start, length] = Selection(text, error);
    ShowStatus(
        QString("%1: %2 at column %3").arg(name, QString::fromStdString(PlotParseReason(text, error))).arg(start + 1),
        true);
    field->setFocus();
    if (length > 0)
        field->setSelection(start, length);
    else
        field->setCursorPosition(start);
}

void TFPlot::BPlotClick() {
    if (!W.Main || !W.Main->Engine)
        return;
    if (cEngineJob::Running()) {
        ShowStatus(kJobRunning, true);
        return;
    }
    const QString letter = EVariable->text();
    if (letter.size() != 1 || letter[0] < QChar('a') || letter[0] > QChar('z')) {
        ShowStatus("The variable must be one letter a to z", true);
        EVariable->setFocus();
        EVariable->selectAll();
        return;
    }
    // The main window's variables, as they are now; only read.
    const tPlotVariables variables(W.Main->Engine->aVariables);
    cLongReal bounds[2];
    QLineEdit* fields[2] = {EFrom, ETo};
    const char* names[2] = {"From", "To"};
    for (int i = 0; i < 2; ++i) {
        const cBusy busy(aBusy);
        try {
            bounds[i] = EvaluatePlotBound(fields[i]->text().toStdString(), variables);
        } catch (const cPlotParseError& e) {
            ShowParseError(fields[i], names[i], e);
            return;
        } catch (const std::exception& e) {
            ShowStatus(QString("%1: %2").arg(names[i], QString::fromUtf8(e.what())), true);
            fields[i]->setFocus();
            fields[i]->selectAll();
            return;
        }
    }
    double left = 0, right = 0;
    if (const ePlotRange range = ClassifyPlotRange(bounds[0], bounds[1], left, right); range != ePlotRange::Drawable) {
        QString reason = QString::fromStdString(PlotRangeReason(range, "From", "To"));
        reason[0] = reason[0].toUpper();
        ShowStatus(reason, true);
        EFrom->setFocus();
        EFrom->selectAll();
        return;
    }
    std::array<std::string, kRows> formulas;
    for (size_t row = 0; row < kRows; ++row)
        if (!EFormula[row]->text().trimmed().isEmpty())
            formulas[row] = EFormula[row]->text().toStdString();
    if (std::all_of(formulas.begin(), formulas.end(), [](const std::string& f) { return f.empty(); })) {
        ShowStatus("Type a formula to plot", true);
        EFormula[0]->setFocus();
        return;
    }
    const tPlotView previous = Canvas->View();
    aFormulas = std::move(formulas);
    aLetter = static_cast<char>(letter[0].toLatin1());
    for (size_t i = 0; i < 26; ++i)
        aVariables[i] = variables[i];
    aHomeX0 = left;
    aHomeX1 = right;
    Canvas->SetView({aHomeX0, aHomeX1, previous.y0, previous.y1});
    if (!Draw(true))
        Canvas->SetView(previous);
}

void TFPlot::BResetClick() {
    if (cEngineJob::Running()) {
        ShowStatus(kJobRunning, true);
        return;
    }
    Canvas->SetView({aHomeX0, aHomeX1, Canvas->View().y0, Canvas->View().y1});
    Draw(true);
}

void TFPlot::Resample() {
    if (cEngineJob::Running()) {
        aResampleTimer->start(); // again once the running job has ended
        return;
    }
    aResampleTimer->stop();
    Draw(false);
}

// The formulas are parsed again for every drawing: a function or constant
// changed since the last one is then used as it is now, never a stale tree.
bool TFPlot::Draw(bool fitY) {
    if (cEngineJob::Running())
        return false;
    const cBusy busy(aBusy);
    const auto count = static_cast<uint32_t>(ESamples->value());
    const tPlotView view = Canvas->View();
    QElapsedTimer clock;
    clock.start();
    std::array<std::vector<cPlotPoint>, kRows> fresh;
    for (size_t row = 0; row < kRows; ++row) {
        if (aFormulas[row].empty() || !CShow[row]->isChecked())
            continue;
        try {
            cPlotSampler sampler(aFormulas[row], aLetter, aVariables);
            fresh[row] = sampler.Sample(view.x0, view.x1, count);
        } catch (const cPlotParseError& e) {
            const QString name = QString("Formula %1").arg(row + 1);
            if (EFormula[row]->text().toStdString() == aFormulas[row])
                ShowParseError(EFormula[row], name, e);
            else
                ShowStatus(QString("%1: %2").arg(name, QString::fromUtf8(e.what())), true);
            return false;
        } catch (const std::exception& e) {
            // A cancel (or a range the doubles cannot hold): the picture stays as it was.
            ShowStatus(QString("Plot stopped: %1").arg(QString::fromUtf8(e.what())), true);
            return false;
        }
    }
    int shown = 0;
    for (size_t row = 0; row < kRows; ++row) {
        tPlotCurve& curve = Canvas->Curves[row];
        curve.visible = !aFormulas[row].empty() && CShow[row]->isChecked();
        curve.points = std::move(fresh[row]);
        curve.colour = RowColour(row);
        curve.label = QString::fromStdString(aFormulas[row]).trimmed();
        shown += curve.visible;
    }
    if (fitY)
        Canvas->FitY();
    Canvas->update();
    ShowStatus(QString("Plotted %1, %2 samples each, in %3 ms")
                   .arg(shown == 1 ? QString("1 formula") : QString("%1 formulas").arg(shown))
                   .arg(QLocale().toString(count))
                   .arg(clock.elapsed()),
               false);
    return true;
}

void TFPlot::BExportClick() {
    const tFileChoice choice =
        Dialogs().SaveFile(this, "Export the picture", "PNG picture (*.png)|*.png|SVG picture (*.svg)|*.svg", 1);
    if (!choice.accepted || choice.fileName.isEmpty())
        return;
    QString name = choice.fileName;
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix != "png" && suffix != "svg")
        name += choice.filterIndex == 2 ? ".svg" : ".png";
    Export(name);
}

bool TFPlot::Export(const QString& fileName) {
    const QSize size = Canvas->size();
    bool written = false;
    if (QFileInfo(fileName).suffix().toLower() == "svg") {
        QSvgGenerator svg;
        svg.setFileName(fileName);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle("Korund plot");
        QPainter painter;
        if (painter.begin(&svg)) {
            Canvas->Render(painter, size);
            written = painter.end() && QFileInfo(fileName).size() > 0;
        }
    } else {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        Canvas->Render(painter, size);
        painter.end();
        written = image.save(fileName, "PNG");
    }
    if (!written)
        Dialogs().Message(this, tMsgType::Error,
                          QString("Error: The picture cannot be written to \"%1\".").arg(fileName));
    return written;
}
