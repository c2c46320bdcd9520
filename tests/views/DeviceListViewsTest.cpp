// The shared view cases of the device list and the name field on the Qt widgets, driven with
// Qt's own mouse and key events.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "DeviceListViewCases.h"
#include "FakeMonitorSource.h"
#include "FakePortSystem.h"
#include "QtCheckIndicator.h"
#include "RecordingMessageBox.h"
#include "qt/DeviceListCtrl.h"
#include "qt/SelectConnection.h"

namespace {

using namespace view_cases;

class CQtDeviceListDriver final : public IDeviceListDriver {
public:
    CQtDeviceListDriver() {
        auto* pLayout = new QVBoxLayout(&m_window);
        pLayout->addWidget(new CDeviceListCtrl(&m_window));
        m_pCtrl = m_window.findChild<CDeviceListCtrl*>("ctl1001");
        m_window.resize(420, 240);
    }

    IDeviceListView& View() override { return *m_pCtrl; }
    void SetEventHandler(IDeviceListEvents* pEvents) override { m_pCtrl->SetEventHandler(pEvents); }
    void Show() override {
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
        m_pCtrl->setFocus();
    }
    void ClickCheckBox(int nRow) override {
        QTest::mouseClick(m_pCtrl->viewport(), Qt::LeftButton, {}, CheckIndicator(nRow).center());
    }
    void ClickName(int nRow) override {
        QTest::mouseClick(m_pCtrl->viewport(), Qt::LeftButton, {},
                          m_pCtrl->visualRect(m_pCtrl->model()->index(nRow, 0)).center());
    }
    void ClickBelowRows() override {
        QTest::mouseClick(m_pCtrl->viewport(), Qt::LeftButton, {},
                          QPoint(20, m_pCtrl->viewport()->height() - 4));
    }
    void PressDown() override { QTest::keyClick(m_pCtrl, Qt::Key_Down); }
    void PressSpace() override { QTest::keyClick(m_pCtrl, Qt::Key_Space); }

private:
    QRect CheckIndicator(int nRow) const { return CheckIndicatorRect(*m_pCtrl, nRow); }

    QWidget m_window;
    CDeviceListCtrl* m_pCtrl = nullptr;
};

class CQtNameFieldDriver final : public INameFieldDriver {
public:
    void RunOpen(const DeviceSettingsValues& values,
                 const std::function<void()>& fnWhileOpen) override {
        CSelectConnection dlg({m_monitors, m_ports, m_messages});
        static_cast<DeviceSettingsValues&>(dlg) = values;
        dlg.m_bModify = true;
        dlg.show();
        m_pName = dlg.findChild<QLineEdit*>("ctl1013");
        ASSERT_NE(m_pName, nullptr);
        fnWhileOpen();
        m_pName = nullptr;
        dlg.reject();
    }
    void Type(const std::string& strText) override {
        m_pName->end(false);
        QTest::keyClicks(m_pName, QString::fromStdString(strText));
    }
    void Backspace(int nCount) override {
        m_pName->end(false);
        for (int i = 0; i < nCount; ++i) {
            QTest::keyClick(m_pName, Qt::Key_Backspace);
        }
    }
    std::string NameText() override { return m_pName->text().toStdString(); }

private:
    CFakeMonitorSource m_monitors{{{"screen", {0, 0, 1024, 768}}}};
    CFakePortSystem m_ports;
    CRecordingMessageBox m_messages;
    QLineEdit* m_pName = nullptr;
};

class QtDeviceListViews : public ::testing::TestWithParam<DeviceListViewCase> {};

TEST_P(QtDeviceListViews, ActAsTheCaseSays) {
    CQtDeviceListDriver driver;
    RunDeviceListCase(GetParam(), driver);
}

INSTANTIATE_TEST_SUITE_P(Cases, QtDeviceListViews, ::testing::ValuesIn(DeviceListCases()),
                         [](const auto& info) { return std::string(info.param.szName); });

class QtNameFieldViews : public ::testing::TestWithParam<NameFieldCase> {};

TEST_P(QtNameFieldViews, ActAsTheCaseSays) {
    CQtNameFieldDriver driver;
    RunNameFieldCase(GetParam(), driver);
}

INSTANTIATE_TEST_SUITE_P(Cases, QtNameFieldViews, ::testing::ValuesIn(NameFieldCases()),
                         [](const auto& info) { return std::string(info.param.szName); });

}  // namespace
