#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FakeMonitorSource.h"
#include "LineStreams.h"
#include "PtyPair.h"
#include "QtWait.h"
#include "RecordingMessageBox.h"
#include "TempConfigDir.h"
#include "linux/PosixSerialLine.h"
#include "linux/UdevPortSystem.h"
#include "qt/SelectConnection.h"
#include "serial/Port.h"
#include "serial/PortNames.h"

namespace {

QStringList Entries(const QComboBox* pCombo) {
    QStringList entries;
    for (int i = 0; i < pCombo->count(); ++i) {
        entries << pCombo->itemText(i);
    }
    return entries;
}

QStringList PortNames(const QComboBox* pCombo) {
    QStringList names;
    for (int i = 0; i < pCombo->count(); ++i) {
        names << pCombo->itemData(i).toString();
    }
    return names;
}

// The machine's own paths and links, but only the serial devices the test names: whatever
// adapters the machine running the tests has do not take part.
class CTestPortSystem final : public IPortSystem {
public:
    std::vector<SerialPortInfo> m_vecPorts;
    std::vector<SerialPortInfo> EnumeratePorts() override { return m_vecPorts; }
    PortFacts Inspect(const std::string& strPath) override { return m_real.Inspect(strPath); }
    int LinkPort(int nPort, const std::string& strTarget) override {
        return m_real.LinkPort(nPort, strTarget);
    }

private:
    CUdevPortSystem m_real;
};

// Every COMn the dialog lists is a link in a fresh configuration folder: by default to a
// path where nothing is (a port that does not exist), so no real serial port of the machine
// takes part.
class SelectConnection : public ::testing::Test {
protected:
    SelectConnection()
        : m_monitors({{"\\\\.\\DISPLAY1", {0, 0, 1920, 1080}},
                      {"\\\\.\\DISPLAY2", {-1280, 0, 0, 1024}},
                      {"DP-1", {1920, 0, 3840, 1080}}}) {
        for (int nPort = 1; nPort <= 13; ++nPort) {
            m_config.LinkPort(nPort, m_config.Path() + "/no-such-port");
        }
    }

    // The dialog as Add or Modify opens it (shown, not run: the test drives it).
    CSelectConnection& Open(const DeviceSettingsValues& values = {}, bool bModify = false) {
        m_pDlg = std::make_unique<CSelectConnection>(
            CSelectConnection::Dependencies{m_monitors, m_portSystem, m_messages});
        static_cast<DeviceSettingsValues&>(*m_pDlg) = values;
        m_pDlg->m_bModify = bModify;
        m_pDlg->show();
        return *m_pDlg;
    }
    template <typename Widget>
    Widget* Control(const char* szName) const {
        Widget* pWidget = m_pDlg->findChild<Widget*>(szName);
        EXPECT_NE(pWidget, nullptr) << szName;
        return pWidget;
    }
    QComboBox* Monitor() const { return Control<QComboBox>("ctl1014"); }
    QComboBox* Port() const { return Control<QComboBox>("ctl1015"); }
    QComboBox* Baud() const { return Control<QComboBox>("ctl1016"); }
    QLineEdit* Name() const { return Control<QLineEdit>("ctl1013"); }
    void Save() const { QTest::mouseClick(Control<QPushButton>("ctl1"), Qt::LeftButton); }
    bool Accepted() const { return !m_pDlg->isVisible() && m_pDlg->result() == QDialog::Accepted; }

    CTempConfigDir m_config;
    CFakeMonitorSource m_monitors;
    CRecordingMessageBox m_messages;
    CTestPortSystem m_portSystem;
    std::unique_ptr<CSelectConnection> m_pDlg;
};

DeviceSettingsValues Existing() {
    DeviceSettingsValues values;
    values.m_strName = "Front";
    values.m_strMonitor = "DISPLAY2";
    values.m_rcMonitor = {-1280, 0, 0, 1024};
    values.m_strPort = "COM2";
    values.m_strBaudRate = "9600";
    values.m_bConnect = 1;
    values.m_bSwapXY = 1;
    values.m_dScaleX = 1.92;
    values.m_dScaleY = 1.464407;
    values.m_dRawMinX = 5;
    values.m_dRawMaxX = 1005;
    values.m_dRawMaxY = 868;
    values.m_dRawMinY = 131;
    return values;
}

}  // namespace

TEST_F(SelectConnection, AddShowsTheTemplatesControlsAndDefaults) {
    CSelectConnection& dlg = Open();
    EXPECT_EQ(dlg.windowTitle(), "Device Settings");
    EXPECT_EQ(Control<QCheckBox>("ctl1012")->text(), "Connect");
    EXPECT_FALSE(Control<QCheckBox>("ctl1012")->isChecked());
    EXPECT_EQ(Control<QCheckBox>("ctl1019")->text(), "X/Y-Swap");
    EXPECT_EQ(Control<QPushButton>("ctl1")->text(), "Save");
    EXPECT_TRUE(Control<QPushButton>("ctl1")->isDefault());
    EXPECT_EQ(Control<QPushButton>("ctl2")->text(), "Cancel");
    QStringList labels;
    for (const QLabel* pLabel : dlg.findChildren<QLabel*>()) {
        labels << pLabel->text();
    }
    EXPECT_EQ(labels, (QStringList{"Device name", "Monitor", "Com port", "Baud rate"}));
    EXPECT_EQ(Name()->text(), "");
    EXPECT_EQ(Entries(Baud()), (QStringList{"9600", "4800", "2400", "1200"}));
    EXPECT_EQ(Baud()->currentText(), "2400");
    EXPECT_EQ(Entries(Monitor()), (QStringList{"DISPLAY1", "DISPLAY2", "DP-1"}));
    EXPECT_EQ(Monitor()->currentIndex(), 0);
    EXPECT_EQ(Entries(Port()), QStringList{});
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(SelectConnection, ControlsKeepTheTemplatesProportionsAndOrder) {
    CSelectConnection& dlg = Open();
    // 268 by 151 dialog units: wider than high by about the template's ratio in any font.
    EXPECT_GT(dlg.width(), dlg.height());
    // Down the left: Connect, name, monitor, port, baud rate, X/Y-Swap; Save, Cancel right.
    const char* const szColumn[] = {"ctl1012", "ctl1013", "ctl1014",
                                    "ctl1015", "ctl1016", "ctl1019"};
    for (std::size_t i = 1; i < std::size(szColumn); ++i) {
        EXPECT_LT(Control<QWidget>(szColumn[i - 1])->y(), Control<QWidget>(szColumn[i])->y())
            << szColumn[i];
    }
    EXPECT_LT(Control<QWidget>("ctl1")->y(), Control<QWidget>("ctl2")->y());
    EXPECT_GT(Control<QWidget>("ctl1")->x(), Name()->geometry().right());
    for (QWidget* pWidget : dlg.findChildren<QWidget*>()) {
        if (pWidget->window() != &dlg) {
            continue;  // a drop-down list is a window of its own
        }
        EXPECT_TRUE(dlg.rect().contains(pWidget->geometry()))
            << pWidget->objectName().toStdString();
    }
}

TEST_F(SelectConnection, TypingStopsAtTwentyCharacters) {
    Open();
    Name()->setFocus();
    QTest::keyClicks(Name(), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(Name()->text(), "abcdefghijklmnopqrst");
    QTest::keyClick(Name(), Qt::Key_Backspace);
    QTest::keyClicks(Name(), "XY");
    EXPECT_EQ(Name()->text(), "abcdefghijklmnopqrsX");
}

TEST_F(SelectConnection, ListsPortsThatOpenOrAreBusyAndNotThoseMissing) {
    CPtyPair free;
    CPtyPair busy;
    CPtyPair served;  // its server keeps the slave side open, as the simulator does
    const int fdServed = ::open(served.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fdServed, 0);
    m_config.LinkPort(2, free.SlavePath());
    m_config.LinkPort(3, busy.SlavePath());
    m_config.LinkPort(4, served.SlavePath());
    m_config.LinkPort(6, "/dev/null");  // there, but not a serial line
    m_config.LinkPort(12, free.SlavePath());
    m_config.LinkPort(13, busy.SlavePath());  // never probed
    CPort holder(std::make_unique<CPosixSerialLine>());
    ASSERT_EQ(holder.Open(3, 9600, 8, 0, 0), 0);

    Open();
    // Links reach past COM12; each entry says what stands behind it, nothing was opened.
    EXPECT_EQ(PortNames(Port()), (QStringList{"COM2", "COM3", "COM4", "COM12", "COM13"}));
    EXPECT_EQ(Port()->currentData().toString(), "COM2");
    const QString strPts = QString::fromStdString(free.SlavePath()).mid(5);
    EXPECT_EQ(Port()->itemText(0), "COM2 (" + strPts + ")");
    EXPECT_TRUE(Port()->itemText(1).endsWith(QString::fromUtf8(" \u2014 in use")))
        << Port()->itemText(1).toStdString();
    EXPECT_EQ(Port()->itemText(2),
              "COM4 (" + QString::fromStdString(served.SlavePath()).mid(5) + ")");
    // The list is as wide as its longest entry, not cut to the box.
    for (int i = 0; i < Port()->count(); ++i) {
        EXPECT_GE(Port()->view()->minimumWidth(),
                  Port()->view()->fontMetrics().horizontalAdvance(Port()->itemText(i)));
    }
    ::close(fdServed);
    // Every port the probe opened was closed again.
    CPort again(std::make_unique<CPosixSerialLine>());
    EXPECT_EQ(again.Open(2, 9600, 8, 0, 0), 0);
}

// A detected adapter that no COMn reaches is offered under the lowest free COMn, which Save
// links to it; the device's line stores that COMn as always.
TEST_F(SelectConnection, SaveLinksANewAdapterToTheLowestFreePort) {
    CPtyPair adapter;
    m_portSystem.m_vecPorts = {{adapter.SlavePath(), "", "USB UART", "Maker", "7"}};
    const QString strPts = QString::fromStdString(adapter.SlavePath()).mid(5);
    CSelectConnection& dlg = Open();
    ASSERT_EQ(PortNames(Port()), QStringList{"COM14"});
    EXPECT_EQ(Port()->itemText(0), "Maker USB UART (" + strPts + ") \u2014 new COM14");
    EXPECT_FALSE(std::filesystem::is_symlink(PortLinkPath(14)));
    Save();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dlg.m_strPort, "COM14");
    EXPECT_EQ(std::filesystem::read_symlink(PortLinkPath(14)).string(), adapter.SlavePath());
}

TEST_F(SelectConnection, ModifyPreselectsTheDevicesEntries) {
    CPtyPair pty;
    m_config.LinkPort(1, pty.SlavePath());
    m_config.LinkPort(2, pty.SlavePath());
    DeviceSettingsValues values = Existing();
    values.m_strPort = "com2";  // found whatever the case
    CSelectConnection& dlg = Open(values, true);
    EXPECT_EQ(Monitor()->currentText(), "DISPLAY2");
    EXPECT_EQ(Port()->currentData().toString(), "COM2");
    EXPECT_EQ(Baud()->currentText(), "9600");
    EXPECT_EQ(Name()->text(), "Front");
    EXPECT_TRUE(Control<QCheckBox>("ctl1012")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>("ctl1019")->isChecked());
    Save();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dlg.m_strPort, "COM2");
}

TEST_F(SelectConnection, ModifyOfAMissingPortAndMonitorSavesNoPortButKeepsTheMonitor) {
    CPtyPair pty;
    m_config.LinkPort(1, pty.SlavePath());
    DeviceSettingsValues values = Existing();
    values.m_strPort = "COM7";
    values.m_strMonitor = "DISPLAY9";
    values.m_rcMonitor = {5, 6, 7, 8};
    values.m_strBaudRate = "";
    CSelectConnection& dlg = Open(values, true);
    EXPECT_EQ(Port()->currentIndex(), -1);
    EXPECT_EQ(Monitor()->currentIndex(), -1);
    EXPECT_EQ(Baud()->currentIndex(), -1);
    Save();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dlg.m_strPort, "");
    EXPECT_EQ(dlg.m_strBaudRate, "");
    EXPECT_EQ(dlg.m_strMonitor, "DISPLAY9");
    EXPECT_EQ(dlg.m_rcMonitor, (ScreenRect{5, 6, 7, 8}));
}

// A Windows file holds names in its code page: Modify and Save keep them byte for byte
// unless the user edits them, and an edited one is stored as typed.
TEST_F(SelectConnection, ANameFromAWindowsFileSurvivesModifyAndSave) {
    struct Row {
        std::string strStored;
        const char* szShown;
        const char* szTyped;  // nullptr: left alone
        std::string strSaved;
    };
    for (const Row& row : {Row{"Ger\xE4t", "Ger\u00e4t", nullptr, "Ger\xE4t"},
                           Row{"\x80 Kasse", "\u20ac Kasse", nullptr, "\x80 Kasse"},
                           Row{"Ger\xC3\xA4t", "Ger\u00e4t", nullptr, "Ger\xC3\xA4t"},
                           Row{"Ger\xE4t", "Ger\u00e4t", "Ger\u00e4t 2", "Ger\xC3\xA4t 2"}}) {
        DeviceSettingsValues values = Existing();
        values.m_strName = row.strStored;
        values.m_strMonitor = "B\xFCro";  // no such monitor: kept
        CSelectConnection& dlg = Open(values, true);
        EXPECT_EQ(Name()->text(), QString::fromUtf8(row.szShown));
        if (row.szTyped != nullptr) {
            Name()->setText(QString::fromUtf8(row.szTyped));
        }
        Save();
        ASSERT_TRUE(Accepted());
        EXPECT_EQ(dlg.m_strName, row.strSaved);
        EXPECT_EQ(dlg.m_strMonitor, "B\xFCro");
        EXPECT_TRUE(m_messages.Messages().empty());
    }
}

TEST_F(SelectConnection, SaveReadsTheControlsBackAndCarriesTheCalibration) {
    CPtyPair pty;
    m_config.LinkPort(4, pty.SlavePath());
    const DeviceSettingsValues given = Existing();
    CSelectConnection& dlg = Open(given, true);
    Name()->clear();
    QTest::keyClicks(Name(), "Side screen");
    Control<QCheckBox>("ctl1012")->setChecked(false);
    Control<QCheckBox>("ctl1019")->setChecked(false);
    Monitor()->setCurrentIndex(2);
    Port()->setCurrentIndex(0);
    Baud()->setCurrentIndex(3);
    Save();
    ASSERT_TRUE(Accepted());

    DeviceSettingsValues expected = given;
    expected.m_strName = "Side screen";
    expected.m_bConnect = 0;
    expected.m_bSwapXY = 0;
    expected.m_strMonitor = "DP-1";
    expected.m_rcMonitor = {1920, 0, 3840, 1080};
    expected.m_strPort = "COM4";
    expected.m_strBaudRate = "1200";
    EXPECT_EQ(static_cast<const DeviceSettingsValues&>(dlg), expected);
}

TEST_F(SelectConnection, SaveTakesTheRectangleTheMonitorHadWhenTheDialogOpened) {
    CSelectConnection& dlg = Open();
    m_monitors.SetMonitors({{"DISPLAY1", {0, 0, 800, 600}}});
    Save();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dlg.m_strMonitor, "DISPLAY1");
    EXPECT_EQ(dlg.m_rcMonitor, (ScreenRect{0, 0, 1920, 1080}));
}

TEST_F(SelectConnection, ListsEveryMonitorHoweverMany) {
    std::vector<MonitorInfo> vecMonitors;
    for (int i = 1; i <= 14; ++i) {
        vecMonitors.push_back(
            {"\\\\.\\DISPLAY" + std::to_string(i), {i * 100, 0, i * 100 + 100, 50}});
    }
    m_monitors.SetMonitors(vecMonitors);
    CSelectConnection& dlg = Open();
    ASSERT_EQ(Monitor()->count(), 14);
    Monitor()->setCurrentIndex(13);
    Save();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dlg.m_strMonitor, "DISPLAY14");
    EXPECT_EQ(dlg.m_rcMonitor, (ScreenRect{1400, 0, 1500, 50}));
}

TEST_F(SelectConnection, ASemicolonInTheNameIsRefusedAndTheDialogStaysOpen) {
    CSelectConnection& dlg = Open();
    for (const char* szName : {"Left;Right", ";", "Line\nbreak"}) {
        m_messages.Clear();
        Name()->setText(QString::fromUtf8(szName));
        Save();
        EXPECT_TRUE(dlg.isVisible()) << szName;
        ASSERT_EQ(m_messages.Messages().size(), 1u) << szName;
        EXPECT_NE(m_messages.Messages()[0].first.find("semicolon"), std::string::npos);
        EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Exclamation);
    }
    Name()->setText("Left Right");
    Save();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dlg.m_strName, "Left Right");
}

TEST_F(SelectConnection, AMonitorWhoseNameHoldsASemicolonCannotBeSaved) {
    m_monitors.SetMonitors({{"odd;name", {0, 0, 10, 10}}, {"DP-1", {0, 0, 20, 20}}});
    CSelectConnection& dlg = Open();
    Save();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(m_messages.Messages().size(), 1u);
    Monitor()->setCurrentIndex(1);
    Save();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dlg.m_strMonitor, "DP-1");
}

TEST_F(SelectConnection, ALongNameFromTheFileIsShownWholeAndMustBeShortened) {
    DeviceSettingsValues values = Existing();
    values.m_strName = std::string(25, 'n');
    CSelectConnection& dlg = Open(values, true);
    EXPECT_EQ(Name()->text().size(), 25);
    ASSERT_EQ(m_messages.Messages().size(), 1u);  // at the opening
    EXPECT_EQ(m_messages.Messages()[0].first, "Please enter no more than 20 characters.");
    Save();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(m_messages.Messages().size(), 2u);
    // Shortening is allowed even while the name is over the limit.
    Name()->setFocus();
    Name()->setCursorPosition(25);
    QTest::keyClick(Name(), Qt::Key_Backspace);
    EXPECT_EQ(Name()->text().size(), 24);
    Name()->setText(QString(20, 'n'));
    Save();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dlg.m_strName, std::string(20, 'n'));
}

// Detect listens at each rate on the chosen port (here a recorded controller at 4800 baud,
// read through the UART model) and selects the rate that frames; a line of noise selects
// nothing and says so. The window keeps its event loop meanwhile.
TEST_F(SelectConnection, DetectSelectsTheRateThatFramesOrSaysNoneDid) {
    CPtyPair pty;
    m_config.LinkPort(2, pty.SlavePath());
    CSelectConnection& dlg = Open();
    unsigned nController = 4800;
    dlg.m_fnMakeDetectLine = [&nController] {
        const unsigned nSent = nController;
        return std::make_unique<CRecordedLine>([nSent](unsigned nRead) {
            return nSent == 0 ? RandomBytes(nRead, 960, 2)
                              : UartReceive(ControllerDrag(nSent, 200, 300, 300, 1), nSent, nRead);
        });
    };
    const auto detect = [&] {
        QTest::mouseClick(Control<QPushButton>("ctlDetect"), Qt::LeftButton);
        return PumpUntil([&] { return !dlg.Detecting(); });
    };
    ASSERT_TRUE(detect());
    EXPECT_EQ(Baud()->currentText(), "4800");
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_TRUE(Control<QPushButton>("ctl1")->isEnabled());

    nController = 0;
    ASSERT_TRUE(detect());
    EXPECT_EQ(Baud()->currentText(), "4800");
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_NE(m_messages.Messages()[0].first.find("None of the baud rates"), std::string::npos);
}
