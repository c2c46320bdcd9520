// What the Device Settings dialog lists, preselects, refuses and saves, without a dialog.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "FakeMonitorSource.h"
#include "FakePortSystem.h"
#include "RecordingMessageBox.h"
#include "TempConfigDir.h"
#include "devices/DeviceSettings.h"
#include "serial/PortNames.h"

namespace {

using Field = CDeviceSettings::Field;

class DeviceSettings : public ::testing::Test {
protected:
    DeviceSettings() {
        m_config.LinkPort(2, "/dev/pts/4");
        PortFacts pty;
        pty.strDevice = "/dev/pts/4";
        pty.bPseudoTerminal = true;
        m_ports.m_mapFacts[PortLinkPath(2)] = pty;
        // An adapter no COMn reaches yet.
        m_ports.m_vecPorts = {
            {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI-port0", "FT232R USB UART", "FTDI", ""}};
        PortFacts adapter;
        adapter.strDevice = "/dev/ttyUSB0";
        m_ports.m_mapFacts["/dev/ttyUSB0"] = adapter;
    }

    static DeviceSettingsValues Existing() {
        DeviceSettingsValues values;
        values.m_strName = "Front";
        values.m_strMonitor = "display2";
        values.m_rcMonitor = {5, 6, 7, 8};
        values.m_strPort = "com2";
        values.m_strBaudRate = "4800";
        values.m_bConnect = 1;
        values.m_dScaleX = 1.5;
        return values;
    }
    int PortRow(int nPort) const {
        for (std::size_t i = 0; i < m_settings.Ports().size(); ++i) {
            if (m_settings.Ports()[i].nPort == nPort) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    int NewAdapterRow() const {
        for (std::size_t i = 0; i < m_settings.Ports().size(); ++i) {
            if (!m_settings.Ports()[i].strLinkTarget.empty()) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    CTempConfigDir m_config;
    CFakeMonitorSource m_monitors{{{"\\\\.\\DISPLAY1", {0, 0, 1920, 1080}},
                                   {"\\\\.\\DISPLAY2", {1920, 0, 3200, 1024}},
                                   {"odd;name", {0, 0, 10, 10}}}};
    CFakePortSystem m_ports;
    CRecordingMessageBox m_messages;
    CDeviceSettings m_settings{{m_monitors, m_ports, m_messages}};
};

}  // namespace

// Add opens on the first monitor, the first port and 2400; Modify on the device's entries,
// found whatever their case, and on nothing for a value that is empty or unknown.
TEST_F(DeviceSettings, OpensOnTheDefaultsOrTheDevicesEntries) {
    m_settings.Open({}, false);
    ASSERT_EQ(m_settings.Monitors().size(), 3u);
    EXPECT_EQ(m_settings.Monitors()[1].strName, "DISPLAY2");
    EXPECT_EQ(m_settings.Initial().nMonitor, 0);
    EXPECT_EQ(m_settings.Initial().nPort, 0);
    EXPECT_EQ(m_settings.Initial().nBaudRate, 2);

    m_settings.Open(Existing(), true);
    EXPECT_EQ(m_settings.Initial().nMonitor, 1);
    EXPECT_EQ(m_settings.Initial().nPort, PortRow(2));
    EXPECT_EQ(m_settings.Initial().nBaudRate, 1);
    EXPECT_EQ(m_settings.Initial().strName, "Front");
    EXPECT_TRUE(m_settings.Initial().bConnect);

    DeviceSettingsValues unknown = Existing();
    unknown.m_strMonitor = "DISPLAY9";
    unknown.m_strPort = "";
    unknown.m_strBaudRate = "19200";
    m_settings.Open(unknown, true);
    EXPECT_EQ(m_settings.Initial().nMonitor, -1);
    EXPECT_EQ(m_settings.Initial().nPort, -1);
    EXPECT_EQ(m_settings.Initial().nBaudRate, -1);
    EXPECT_TRUE(m_messages.Messages().empty());
}

// Each refusal tells the user, names the control to go back to, and keeps the dialog open.
// Windows lists its own COM ports: the lister's entries are the list, and Save stores the
// chosen one's name without linking anything.
TEST_F(DeviceSettings, APortListerReplacesTheLinkedPortList) {
    m_settings.SetPortLister([] {
        PortChoice com5;
        com5.nPort = 5;
        com5.strText = "COM5";
        return std::vector<PortChoice>{com5};
    });
    m_settings.Open({}, false);
    ASSERT_EQ(m_settings.Ports().size(), 1u);
    CDeviceSettings::Choices choices = m_settings.Initial();
    choices.strName = "Kiosk";
    CDeviceSettings::Field refused = CDeviceSettings::Field::None;
    ASSERT_TRUE(m_settings.Save(choices, refused));
    EXPECT_EQ(m_settings.Values().m_strPort, "COM5");
    EXPECT_TRUE(m_ports.m_vecLinked.empty());
}

TEST_F(DeviceSettings, SaveRefusesWhatTheSettingsLineCannotHold) {
    struct Row {
        std::string strName;
        int nMonitor;
        Field refused;
        const char* szMessage;
    };
    const Row rows[] = {
        {std::string(21, 'n'), 0, Field::Name, "Please enter no more than 20 characters."},
        {"Left;Right", 0, Field::Name,
         "The device name cannot contain a semicolon (;) or a line break."},
        {"Line\nbreak", 0, Field::Name,
         "The device name cannot contain a semicolon (;) or a line break."},
        {"Front", 2, Field::Monitor,
         "The name of the chosen monitor contains a semicolon (;) or a line break, which the "
         "settings cannot hold. Please choose another monitor."},
        // Twenty characters of two bytes each are twenty characters.
        {"\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4"
         "\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4",
         0, Field::None, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.strName);
        m_messages.Clear();
        m_settings.Open(Existing(), true);
        CDeviceSettings::Choices choices = m_settings.Initial();
        choices.strName = row.strName;
        choices.nMonitor = row.nMonitor;
        Field refused = Field::None;
        EXPECT_EQ(m_settings.Save(choices, refused), row.szMessage == nullptr);
        EXPECT_EQ(refused, row.refused);
        if (row.szMessage != nullptr) {
            ASSERT_EQ(m_messages.Messages().size(), 1u);
            EXPECT_EQ(m_messages.Messages()[0].first, row.szMessage);
            EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Exclamation);
        } else {
            EXPECT_TRUE(m_messages.Messages().empty());
        }
    }
}

// A new adapter is linked to its by-id path at Save, once; a link that fails is told and
// stores nothing.
TEST_F(DeviceSettings, SaveLinksANewAdapterOnceAndRefusesWhenItCannot) {
    m_settings.Open({}, false);
    CDeviceSettings::Choices choices = m_settings.Initial();
    choices.strName = "Side";
    choices.nPort = NewAdapterRow();
    ASSERT_GE(choices.nPort, 0);
    const int nPort = m_settings.Ports()[static_cast<std::size_t>(choices.nPort)].nPort;

    m_ports.m_nLinkError = EACCES;
    Field refused = Field::None;
    EXPECT_FALSE(m_settings.Save(choices, refused));
    EXPECT_EQ(refused, Field::Port);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].first, "The port could not be set up as COM" +
                                                  std::to_string(nPort) + ": Permission denied.");
    EXPECT_EQ(m_settings.Values().m_strPort, "");

    m_ports.m_nLinkError = 0;
    ASSERT_TRUE(m_settings.Save(choices, refused));
    ASSERT_TRUE(m_settings.Save(choices, refused));
    EXPECT_EQ(m_ports.m_vecLinked.size(), 2u);  // the failed try and one that worked
    EXPECT_EQ(m_ports.m_vecLinked.back(),
              (std::pair<int, std::string>{nPort, "/dev/serial/by-id/usb-FTDI-port0"}));
    EXPECT_EQ(m_settings.Values().m_strPort, "COM" + std::to_string(nPort));
}

// Save stores the chosen entries (keeping a stored text's spelling when it is the same entry)
// and carries the calibration; no port or baud rate chosen stores none, no monitor keeps it.
TEST_F(DeviceSettings, SaveStoresTheChoicesAndKeepsWhatWasNotChosen) {
    m_settings.Open(Existing(), true);
    CDeviceSettings::Choices choices = m_settings.Initial();
    Field refused = Field::None;
    ASSERT_TRUE(m_settings.Save(choices, refused));
    DeviceSettingsValues expected = Existing();
    expected.m_strMonitor = "DISPLAY2";
    expected.m_rcMonitor = {1920, 0, 3200, 1024};
    expected.m_strPort = "COM2";
    EXPECT_EQ(m_settings.Values(), expected);

    m_settings.Open(Existing(), true);
    choices = m_settings.Initial();
    choices.nMonitor = -1;
    choices.nPort = -1;
    choices.nBaudRate = -1;
    choices.bConnect = false;
    choices.bSwapXY = true;
    ASSERT_TRUE(m_settings.Save(choices, refused));
    expected = Existing();
    expected.m_strPort = "";
    expected.m_strBaudRate = "";
    expected.m_bConnect = 0;
    expected.m_bSwapXY = 1;
    EXPECT_EQ(m_settings.Values(), expected);
}

// The name field's limit counts as the field does, in UTF-16 units: a character beyond the
// first plane takes two.
TEST(DeviceSettingsNameLimit, IsTwentyOrTheTextWhicheverIsLonger) {
    EXPECT_EQ(CDeviceSettings::NameLimit(""), 20);
    EXPECT_EQ(CDeviceSettings::NameLimit("Front"), 20);
    EXPECT_EQ(CDeviceSettings::NameLimit(std::string(25, 'x')), 25);
    EXPECT_EQ(CDeviceSettings::NameLimit(std::string(19, 'x') + "\xC3\xA9"), 20);
    EXPECT_EQ(CDeviceSettings::NameLimit(std::string(19, 'x') + "\xF0\x9F\x91\x86"), 21);
}
