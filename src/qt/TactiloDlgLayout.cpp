// The Device Manager window's controls, placed as its dialog template lays them out: every
// position and size in dialog units (a quarter of the average character width, an eighth of
// the character height), so the window keeps its proportions with any font.

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <initializer_list>

#include "app/Options.h"
#include "qt/DeviceListCtrl.h"
#include "qt/TactiloDlg.h"

namespace {

// Places controls on a parent by dialog units. A desktop font may be wider than the one the
// layout was drawn for, so the horizontal unit grows until every text fits its box.
class CTemplateLayout {
public:
    struct Fit {
        const char* szText;
        int nWidth;    // dialog units the text has
        int nExtraPx;  // room the control needs beside its text (a check box's box)
    };

    CTemplateLayout(QWidget* pParent, std::initializer_list<Fit> fits) : m_pParent(pParent) {
        const QFontMetrics metrics(pParent->font());
        m_dX = metrics.averageCharWidth() / 4.0;
        m_dY = metrics.height() / 8.0;
        for (const Fit& fit : fits) {
            const int nNeeded =
                metrics.horizontalAdvance(QString::fromLatin1(fit.szText)) + fit.nExtraPx + 4;
            m_dX = std::max(m_dX, static_cast<double>(nNeeded) / fit.nWidth);
        }
    }
    QRect Rect(int x, int y, int w, int h) const {
        return QRect(qRound(x * m_dX), qRound(y * m_dY), qRound(w * m_dX), qRound(h * m_dY));
    }
    template <typename Widget>
    Widget* Place(const char* szName, int x, int y, int w, int h) const {
        auto* pWidget = new Widget(m_pParent);
        pWidget->setObjectName(szName);
        pWidget->setGeometry(Rect(x, y, w, h));
        return pWidget;
    }
    template <typename Widget>
    Widget* Place(const char* szName, const char* szText, int x, int y, int w, int h) const {
        Widget* pWidget = Place<Widget>(szName, x, y, w, h);
        pWidget->setText(QString::fromLatin1(szText));
        return pWidget;
    }

private:
    QWidget* m_pParent;
    double m_dX;
    double m_dY;
};

}  // namespace

void CTactiloDlg::BuildWindow() {
    setWindowTitle(QStringLiteral("Tactilo - Device Manager"));
    const CTemplateLayout layout(this, {{"Right click delay", 76, 0},
                                        {"ms", 10, 0},
                                        {"Double click precision", 78, 0},
                                        {"Pixel", 16, 0},
                                        {"Run Tactilo on Startup", 99, 24}});
    setFixedSize(layout.Rect(0, 0, 310, 180).size());
    // A fixed-size window offers no maximize button that would do nothing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    m_pListDevices->setGeometry(layout.Rect(6, 6, 246, 96));

    auto* pAdd = layout.Place<QPushButton>("ctl1002", "Add", 258, 6, 50, 14);
    connect(pAdd, &QPushButton::clicked, this, [this] { m_pHub->DeviceList().OnAdd(); });
    m_pModify = layout.Place<QPushButton>("ctl1003", "Modify", 258, 24, 50, 14);
    connect(m_pModify, &QPushButton::clicked, this, [this] { m_pHub->DeviceList().OnModify(); });
    m_pRemove = layout.Place<QPushButton>("ctl1004", "Remove", 258, 42, 50, 14);
    connect(m_pRemove, &QPushButton::clicked, this, [this] { m_pHub->DeviceList().OnRemove(); });
    m_pCalibrate = layout.Place<QPushButton>("ctl1005", "Calibrate", 258, 88, 50, 14);
    m_pCalibrate->setEnabled(false);
    connect(m_pCalibrate, &QPushButton::clicked, this, [this] { m_pHub->OnCalibrate(); });

    layout.Place<QLabel>("", "Right click delay", 6, 114, 76, 12);
    layout.Place<QLineEdit>("ctl1008", 90, 114, 72, 14);
    layout.Place<QLabel>("", "ms", 168, 114, 10, 12);
    layout.Place<QLabel>("", "Double click precision", 6, 138, 78, 13);
    auto* pPrecision = layout.Place<QComboBox>("ctl1009", 90, 138, 72, 14);
    for (const char* szEntry : PRECISION_ENTRIES) {
        pPrecision->addItem(QString::fromLatin1(szEntry));
    }
    layout.Place<QLabel>("", "Pixel", 168, 138, 16, 13);
    layout.Place<QCheckBox>("ctl1010", "Run Tactilo on Startup", 6, 162, 99, 10);

    auto* pCancel = layout.Place<QPushButton>("ctl2", "Cancel", 198, 162, 50, 14);
    connect(pCancel, &QPushButton::clicked, this, [this] { m_pHub->OnCancelButton(); });
    auto* pOk = layout.Place<QPushButton>("ctl1", "OK", 258, 162, 50, 14);
    pOk->setDefault(true);
    connect(pOk, &QPushButton::clicked, this, [this] { m_pHub->OnOkButton(); });
}
