#pragma once

#include <string>

// The command-line switches and the two ways of running that they choose.
//
// Each argument after the program name loses one leading '/' or '-' and is then compared,
// exactly and case-sensitively, with the five switch names. Anything else is ignored without
// a word: there is no usage text, and a mistyped switch simply starts resident mode.
//
//   argument            flag set           run mode
//   (none)              -                  resident: hidden window, tray icon, own event loop
//   s, /s, -s           m_bSwitchS         modal: the window's dialog loop, the end ends all
//   c, /c, -c           m_bSwitchC         modal, calibrates at start
//   cs, /cs, -cs        m_bSwitchCs        modal, calibrates, then hides to the tray
//   csw, /csw, -csw     m_bSwitchCsw       modal, calibrates, hides unless that failed
//   install, /install   m_bSwitchInstall   modal, nothing else
//   /CS, --cs, x, ...   -                  ignored
//
// Several switches may be given; each sets its own flag. --help, -h and --version are not
// switches: the program answers them before anything else starts (see FindInfoRequest).
class CMyCommandLineInfo {
public:
    CMyCommandLineInfo() = default;
    virtual ~CMyCommandLineInfo() = default;

    // Called once per argument, in order, with the prefix already removed. bFlag (a prefix
    // was removed) and bLast (the last argument) do not matter to these switches: a switch
    // counts with or without its prefix.
    virtual void ParseParam(const char* szParam, bool bFlag, bool bLast);

    // Feeds argv[1..argc-1] through ParseParam, removing one leading '/' or '-' from each.
    void ParseCommandLine(int argc, const char* const* argv);

    // Any of the five flags: the main window then runs modally and the program ends with it.
    bool AnySwitch() const;

    // What the autostart entry puts behind the program: " /s", " /c", " /cs" or " /csw" for
    // the first set flag in that order, nothing for none or for "install" alone. So a start
    // by the entry runs the same way as this one.
    std::string AutoStartSuffix() const;

    // The set flags as arguments ("/s /cs", in the order s, c, install, cs, csw; empty for
    // none): what a start hands over to the running copy.
    std::string SwitchArguments() const;
    // The reverse: the flags of space-separated arguments, parsed as a command line is.
    static CMyCommandLineInfo FromArguments(const std::string& strArguments);

    bool m_bSwitchS = false;
    bool m_bSwitchC = false;
    bool m_bSwitchInstall = false;
    bool m_bSwitchCs = false;
    bool m_bSwitchCsw = false;
};

// The same suffix for a window that keeps only copies of the flags.
std::string AutoStartSuffix(bool bSwitchS, bool bSwitchC, bool bSwitchCs, bool bSwitchCsw);

// What "--help", "-h" and "--version" ask for. They are looked for before the application
// object exists, so they work without a display and never open a port, show a tray icon or
// touch a file. Only these exact spellings count; every other argument is a switch as above
// (and "-help", "/h" or "/version" stay ignored, as they always were).
enum class InfoRequest { None, Help, Version };
// The first of them among argv[1..argc-1], or None.
InfoRequest FindInfoRequest(int argc, const char* const* argv);

// What the usage text says about this copy of the program on its system: where it keeps
// its files and options, and how the system's devices get their COMn names. Each platform's
// program fills it in with its own facts, so the text never names another system's paths.
struct UsageFacts {
    std::string strSettingsFile;  // "Settings.dat"
    std::string strOptions;       // where the options are kept: a file, a registry key
    std::string strHelpFile;      // "Help.pdf"
    std::string strPorts;         // how COMn names a device: whole lines, each ending in '\n'
};
// The usage text: the switches, where the files live, how COMn names a device.
std::string UsageText(const UsageFacts& facts);
// "Tactilo <version>\n".
std::string VersionText(const std::string& strVersion);
