#pragma once

#include <QDialog>

class QLabel;

// "About Tactilo": the program icon, the version line (control 1020, "ctl1020"), a line
// naming the maker, and OK ("ctl1"). Laid out in dialog units like the other windows, so it
// keeps its proportions with any font. Run modally by the About command.
class CAboutDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);

    // The version as the string table gives it (string 102).
    static constexpr const char* s_szVersion = "2.5.0.0";
    // The version line's text once the dialog is shown.
    static QString VersionText();
    static constexpr const char* s_szMaker = "Made by Brenhold";

protected:
    // The version line is filled in here, not at construction, as it always has been.
    void showEvent(QShowEvent* pEvent) override;

private:
    QLabel* m_pVersion = nullptr;
};
