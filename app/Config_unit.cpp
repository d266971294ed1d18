// SPDX-License-Identifier: GPL-3.0-or-later
#include "Config_unit.h"

#include "IniReports.h"
#include "KorundSettings.h"
#include "Korund_dialogs.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QStringList>

#include <algorithm>
#include <vector>

cRadioGroup::cRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), aButtons(new QButtonGroup(this)) {
    const int columnWidth = 225 / std::max<int>(1, static_cast<int>(items.size()));
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setGeometry(8 + i * columnWidth, 16, columnWidth - 8, 20);
        aButtons->addButton(button, i);
    }
}

int cRadioGroup::ItemIndex() const { return aButtons->checkedId(); }

void cRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = aButtons->button(index)) {
        button->setChecked(true);
        return;
    }
    // Unchecking needs a non-exclusive group for a moment.
    aButtons->setExclusive(false);
    for (QAbstractButton* b : aButtons->buttons())
        b->setChecked(false);
    aButtons->setExclusive(true);
}

namespace {

QLineEdit* MakeField(QGroupBox* group, const char* caption, int top) {
    auto* label = new QLabel(QString::fromLatin1(caption), group);
    // The captions were sized for a narrower font: shrink the text to keep it clear of the field.
    QFont font = label->font();
    for (int px = 11; px > 8 && QFontMetrics(font).horizontalAdvance(label->text()) > 188; --px)
        font.setPixelSize(px - 1);
    label->setFont(font);
    label->move(8, top + 3);
    auto* field = new QLineEdit(group);
    field->setGeometry(200, top, 33, 21);
    field->setMaxLength(4);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression("^[0-9]{1,4}$"), field));
    return field;
}

QPushButton* MakeButton(QWidget* parent, const char* caption, int left) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setGeometry(left, 272, 65, 25);
    return button;
}

} // namespace

TFConfig::TFConfig(cKorundWindows& windows, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      W(windows) {
    const cIniLocation location = LocateKorundIni();
    IniPath = QString::fromStdString(location.aReadPath);
    IniWritePath = QString::fromStdString(location.aWritePath);
    setWindowTitle("Preferences");
    move(155, 175);
    setFixedSize(503, 302);

    GroupBox2 = new QGroupBox("Calculation parameters", this);
    GroupBox2->setGeometry(8, 8, 241, 289);
    EDigitsUse = MakeField(GroupBox2, "native digits to use for calculations", 16);
    EDigitsDrop = MakeField(GroupBox2, "native digits to drop on output", 40);
    EInputSys = MakeField(GroupBox2, "default base for numerical input", 64);
    EOutputSys = MakeField(GroupBox2, "base to use for rendering output", 88);
    EMaxExp = MakeField(GroupBox2, "max positive exp to render as zeros", 112);
    EMinExp = MakeField(GroupBox2, "max negative exp to render as zeros", 136);
    ENativeEps = MakeField(GroupBox2, "internal zero epsilon [ 2^(-16 * n) ]", 160);
    REngMode = new cRadioGroup("Eng settings", {"off", "decimal", "binary"}, GroupBox2);
    REngMode->setGeometry(8, 192, 225, 41);
    RAngleMode = new cRadioGroup("Angle settings", {"rad", "deg", "gra"}, GroupBox2);
    RAngleMode->setGeometry(8, 240, 225, 41);

    GroupBox1 = new QGroupBox("Parser parameters", this);
    GroupBox1->setGeometry(256, 8, 241, 97);
    EMaxConst = MakeField(GroupBox1, "reserve memory for n constants", 16);
    EMaxFunc = MakeField(GroupBox1, "reserve memory for n user functions", 40);
    ERefAlloc = MakeField(GroupBox1, "mem alloc steps for ref integrity info", 64);

    Label1 = new QLabel("Important note: Parameter changes will take effect the next time when "
                        "Korund is started.",
                        this);
    Label1->setWordWrap(true);
    Label1->setGeometry(256, 176, 240, std::max(26, Label1->heightForWidth(240)));

    BOk = MakeButton(this, "OK", 360);
    BCancel = MakeButton(this, "Cancel", 432);
    connect(BOk, &QPushButton::clicked, this, &TFConfig::BOkClick);
    connect(BCancel, &QPushButton::clicked, this, &TFConfig::BCancelClick);

    // Same order as SettingKeys().
    aControls = {{{EDigitsUse, nullptr, "native digits to use for calculations"},
                  {EDigitsDrop, nullptr, "native digits to drop on output"},
                  {EInputSys, nullptr, "default base for numerical input"},
                  {EOutputSys, nullptr, "base to use for rendering output"},
                  {EMaxExp, nullptr, "max positive exp to render as zeros"},
                  {EMinExp, nullptr, "max negative exp to render as zeros"},
                  {ENativeEps, nullptr, "internal zero epsilon [ 2^(-16 * n) ]"},
                  {nullptr, REngMode, "Eng settings"},
                  {nullptr, RAngleMode, "Angle settings"},
                  {EMaxConst, nullptr, "reserve memory for n constants"},
                  {EMaxFunc, nullptr, "reserve memory for n user functions"},
                  {ERefAlloc, nullptr, "mem alloc steps for ref integrity info"}}};
}

void TFConfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFConfig::FormShow() {
    std::vector<cIniReport> reports;
    const cKorundSettings settings = ReadKorundIni(IniPath.toStdString(), nullptr, &reports);
    const std::vector<cIniReport> ranges = SettingRangeReports(settings);
    cKorundSettings clamped = settings;
    const std::vector<cIniReport> capacities = ClampCapacityReports(clamped);
    reports.insert(reports.end(), ranges.begin(), ranges.end());
    reports.insert(reports.end(), capacities.begin(), capacities.end());
    const auto& keys = SettingKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        QStringList notes;
        for (const cIniReport& report : reports)
            if (report.aKey == keys[i].aKey)
                notes << QString::fromStdString(IniReportLine(report));
        MarkControl(aControls[i], notes.join('\n'));
        const int32_t value = settings.*(keys[i].aField);
        aShownValues[i] = value;
        if (aControls[i].edit)
            // A field holds 0..9999; a hand-edited value beyond is shown at the nearest end.
            aControls[i].edit->setText(QString::number(std::clamp(value, 0, 9999)));
        else
            aControls[i].radio->SetItemIndex(value);
    }
}

void TFConfig::MarkControl(const cKeyControl& control, const QString& note) {
    QWidget* widget = control.edit ? static_cast<QWidget*>(control.edit) : control.radio;
    QPalette palette = widget->parentWidget()->palette();
    if (!note.isEmpty()) {
        palette.setColor(QPalette::Base, QColor(0xFF, 0xE0, 0xE0));
        palette.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    }
    widget->setPalette(palette);
    widget->setToolTip(note);
}

bool TFConfig::Marked(size_t key) const {
    const cKeyControl& control = aControls.at(key);
    return !(control.edit ? static_cast<QWidget*>(control.edit) : control.radio)->toolTip().isEmpty();
}

void TFConfig::BOkClick() {
    cKorundSettings settings;
    const auto& keys = SettingKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        int32_t value = aShownValues[i];
        if (QLineEdit* edit = aControls[i].edit) {
            bool ok = false;
            value = edit->text().trimmed().toInt(&ok);
            if (!ok) {
                Dialogs().Message(this, tMsgType::Error,
                                  QString("Error: \"%1\" needs a number of 1 to 4 digits. "
                                          "Nothing has been saved.")
                                      .arg(aControls[i].caption),
                                  tMsgButtons::Ok);
                edit->setFocus();
                return;
            }
        } else if (aControls[i].radio->ItemIndex() >= 0) {
            value = aControls[i].radio->ItemIndex();
        }
        settings.*(keys[i].aField) = value;
    }
    const std::string path = IniWritePath.toStdString();
    std::string reason;
    if (!MakeParentDirs(path, reason) || !WriteKorundIni(path, settings, &reason)) {
        Dialogs().Message(this, tMsgType::Error,
                          QString("Error: The settings file \"%1\" could not be written (%2).")
                              .arg(IniWritePath, QString::fromStdString(reason)),
                          tMsgButtons::Ok);
        return;
    }
    IniPath = IniWritePath;
    accept();
}

void TFConfig::BCancelClick() { reject(); }
