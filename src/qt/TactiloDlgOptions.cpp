// The three option controls (right-click delay, double-click precision, start with the
// desktop) as the hub reads and writes them.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "qt/TactiloDlg.h"

OptionControls CTactiloDlg::GetOptionControls() const {
    OptionControls controls;
    controls.strDelay = findChild<QLineEdit*>("ctl1008")->text().toStdString();
    controls.strPrecision = findChild<QComboBox*>("ctl1009")->currentText().toStdString();
    controls.bAutoStart = findChild<QCheckBox*>("ctl1010")->isChecked();
    return controls;
}

void CTactiloDlg::SetOptionControls(const OptionControls& controls) {
    findChild<QLineEdit*>("ctl1008")->setText(QString::fromStdString(controls.strDelay));
    auto* pPrecision = findChild<QComboBox*>("ctl1009");
    const int nIndex =
        pPrecision->findText(QString::fromStdString(controls.strPrecision), Qt::MatchExactly);
    if (nIndex >= 0) {
        pPrecision->setCurrentIndex(nIndex);
    }
    findChild<QCheckBox*>("ctl1010")->setChecked(controls.bAutoStart);
}

void CTactiloDlg::FocusDelay() {
    auto* pDelay = findChild<QLineEdit*>("ctl1008");
    pDelay->setFocus();
    pDelay->selectAll();
}
