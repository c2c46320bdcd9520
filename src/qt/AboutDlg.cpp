#include "qt/AboutDlg.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "qt/Resources.h"

namespace {

// Dialog units: a quarter of the font's average character width across, an eighth of its
// height down.
struct DialogUnits {
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        m_dX = metrics.averageCharWidth() / 4.0;
        m_dY = metrics.height() / 8.0;
    }
    QRect Rect(int x, int y, int w, int h) const {
        return QRect(qRound(x * m_dX), qRound(y * m_dY), qRound(w * m_dX), qRound(h * m_dY));
    }
    double m_dX;
    double m_dY;
};

constexpr int g_nIconPixels = 32;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent) {
    setObjectName(QStringLiteral("aboutDlg100"));
    setWindowTitle(QStringLiteral("About Tactilo"));
    setWindowModality(Qt::WindowModal);
    const DialogUnits units(font());
    setFixedSize(units.Rect(0, 0, 235, 55).size());
    // A fixed-size window offers no maximize button that would do nothing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* pIcon = new QLabel(this);
    pIcon->setObjectName(QStringLiteral("programIcon"));
    pIcon->setPixmap(IconFromResource(132).pixmap(g_nIconPixels, g_nIconPixels));
    const QRect rcIcon = units.Rect(11, 14, 21, 20);
    pIcon->setGeometry(QRect(rcIcon.topLeft(), QSize(g_nIconPixels, g_nIconPixels)));

    // Empty until shown: the template's placeholder is never on screen.
    m_pVersion = new QLabel(this);
    m_pVersion->setObjectName(QStringLiteral("ctl1020"));
    m_pVersion->setGeometry(units.Rect(40, 14, 130, 10));

    auto* pMaker = new QLabel(QString::fromLatin1(s_szMaker), this);
    pMaker->setObjectName(QStringLiteral("makerLine"));
    pMaker->setGeometry(units.Rect(40, 28, 130, 10));

    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setObjectName(QStringLiteral("ctl1"));
    pOk->setGeometry(units.Rect(178, 7, 50, 14));
    pOk->setDefault(true);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
}

QString CAboutDlg::VersionText() {
    return QStringLiteral("Tactilo Version ") + QString::fromLatin1(s_szVersion);
}

void CAboutDlg::showEvent(QShowEvent* pEvent) {
    QDialog::showEvent(pEvent);
    m_pVersion->setText(VersionText());
}
