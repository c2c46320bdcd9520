#include "qt/QtMessageBox.h"

#include <QMessageBox>

#include "devices/LegacyText.h"

void CQtMessageBox::Show(const std::string& strText, MessageIcon icon) {
    QMessageBox box(m_pOwner);
    box.setWindowModality(Qt::WindowModal);
    box.setWindowTitle(QStringLiteral("Tactilo"));
    // Messages may quote a device name from a Windows file.
    box.setText(QString::fromStdString(DisplayText(strText)));
    switch (icon) {
        case MessageIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::None:
            break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
