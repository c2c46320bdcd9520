#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePortSystem.h"
#include "TempConfigDir.h"
#include "serial/PortChoices.h"
#include "serial/PortNames.h"

namespace {

PortFacts Facts(const std::string& strDevice, bool bPty = false, bool bInUse = false,
                bool bMayOpen = true) {
    PortFacts facts;
    facts.strDevice = strDevice;
    facts.bPseudoTerminal = bPty;
    facts.bInUse = bInUse;
    facts.bMayOpen = bMayOpen;
    facts.strGroup = "dialout";
    return facts;
}

}  // namespace

// One machine with every kind of COMn and adapter: what is listed, how, and which COMn a new
// adapter gets.
TEST(PortChoices, ListsWhatStandsBehindEachPortAndOffersNewAdapters) {
    CTempConfigDir config;
    const std::string strFtdiById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0";
    CFakePortSystem system;
    system.m_vecPorts = {
        {"/dev/ttyS0", "", "", "", ""},
        {"/dev/ttyUSB0", strFtdiById, "FT232R USB UART", "FTDI", "A1"},
        {"/dev/ttyACM0", "", "Arduino Uno", "Arduino", ""},
        {"/dev/ttyUSB1", "/dev/serial/by-id/usb-Prolific-port0", "Prolific USB-Serial", "Prolific",
         ""},
    };
    config.LinkPort(2, "/dev/pts/4");
    config.LinkPort(3, strFtdiById);
    config.LinkPort(4, config.Path() + "/nothing");  // dangling: not listed, yet taken
    config.LinkPort(5, "/dev/null");                 // not a serial line: the same
    system.m_mapFacts = {
        {"/dev/ttyS0", Facts("/dev/ttyS0")},
        {PortLinkPath(2), Facts("/dev/pts/4", true)},
        {PortLinkPath(3), Facts("/dev/ttyUSB0", false, true)},
        {PortLinkPath(5), Facts("/dev/null")},
        {"/dev/ttyACM0", Facts("/dev/ttyACM0", false, false, false)},
        {"/dev/ttyUSB1", Facts("/dev/ttyUSB1")},
        {"/dev/ttyS6", Facts("/dev/ttyS6")},  // a node without a UART: never listed
    };

    std::vector<std::string> vecTexts;
    for (const PortChoice& choice : ListPortChoices(system)) {
        vecTexts.push_back("COM" + std::to_string(choice.nPort) + "|" + choice.strText + "|" +
                           choice.strLinkTarget);
    }
    EXPECT_EQ(vecTexts,
              (std::vector<std::string>{
                  "COM1|COM1 (ttyS0)|",
                  "COM2|COM2 (pts/4)|",
                  "COM3|COM3 \u2014 FTDI FT232R USB UART (ttyUSB0) \u2014 in use|",
                  "COM6|Arduino Uno (ttyACM0) \u2014 new COM6 \u2014 no permission (group "
                  "dialout)|/dev/ttyACM0",
                  "COM7|Prolific USB-Serial (ttyUSB1) \u2014 new COM7|"
                  "/dev/serial/by-id/usb-Prolific-port0",
              }));
    // Listing made no link.
    EXPECT_TRUE(system.m_vecLinked.empty());
}
