// SPDX-License-Identifier: GPL-3.0-or-later
// TFConfig: the preferences window; edits Korund.ini for the next start.
#pragma once

#include "Korund_windows.h"

#include <QDialog>
#include <QGroupBox>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

// A captioned group of radio buttons in columns; the checked item's index is the value.
class cRadioGroup : public QGroupBox {
public:
    cRadioGroup(const QString& caption, const QStringList& items, QWidget* parent);
    int ItemIndex() const;        // -1 when none is checked
    void SetItemIndex(int index); // an index out of range checks none

private:
    QButtonGroup* aButtons;
};

class TFConfig : public QDialog {
    Q_OBJECT
public:
    explicit TFConfig(cKorundWindows& windows, QWidget* parent = nullptr);
    // Where FormShow reads and BOkClick writes Korund.ini (LocateKorundIni at
    // construction; tests point them elsewhere). After a successful write the
    // window reads where it wrote.
    QString IniPath;
    QString IniWritePath;

    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* EDigitsUse = nullptr;
    QLineEdit* EDigitsDrop = nullptr;
    QLineEdit* EInputSys = nullptr;
    QLineEdit* EOutputSys = nullptr;
    QLineEdit* EMaxExp = nullptr;
    QLineEdit* EMinExp = nullptr;
    QLineEdit* ENativeEps = nullptr;
    cRadioGroup* REngMode = nullptr;
    cRadioGroup* RAngleMode = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* EMaxConst = nullptr;
    QLineEdit* EMaxFunc = nullptr;
    QLineEdit* ERefAlloc = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* BOk = nullptr;
    QPushButton* BCancel = nullptr;

    // Shows the settings file; a value that is not used as written (not a
    // whole number, outside its setting) is marked, the reason its tooltip.
    void FormShow();
    bool Marked(size_t key) const; // by the index of SettingKeys()
    void BOkClick();
    void BCancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    cKorundWindows& W;
    // The control of each settings key, in key order: a field or a radio group.
    struct cKeyControl {
        QLineEdit* edit = nullptr;
        cRadioGroup* radio = nullptr;
        QString caption;
    };
    std::array<cKeyControl, 12> aControls;
    std::array<int32_t, 12> aShownValues{}; // as read by the last FormShow
    static void MarkControl(const cKeyControl& control, const QString& note);
};
