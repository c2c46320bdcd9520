#include "Trayer.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>

#include "Xvfb.h"

namespace {

// Runs a shell command against the server and returns its standard output.
std::string Capture(const CXvfb& xvfb, const std::string& strCommand) {
    const std::string strLine = "DISPLAY=" + xvfb.Display() + " " + strCommand + " 2>/dev/null";
    std::string strOutput;
    if (FILE* pPipe = popen(strLine.c_str(), "r")) {
        char szBuffer[4096];
        size_t nRead = 0;
        while ((nRead = fread(szBuffer, 1, sizeof(szBuffer), pPipe)) > 0) {
            strOutput.append(szBuffer, nRead);
        }
        pclose(pPipe);
    }
    return strOutput;
}

struct TreeLine {
    size_t nIndent = 0;
    std::string strText;
    XWindowBox box;
};

// "xwininfo -root -tree" prints one window a line, children indented under their parent:
//      0x400026 (has no name): ()  22x30+1+1  +301+569
// that is id, name, class, size and position in the parent, then position on the root.
std::vector<TreeLine> WindowTree(const CXvfb& xvfb) {
    static const std::regex s_line(
        R"(^(\s*)(0x[0-9a-f]+) .*\s(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$)");
    std::vector<TreeLine> vecLines;
    std::istringstream text(Capture(xvfb, "xwininfo -root -tree"));
    std::string strLine;
    while (std::getline(text, strLine)) {
        std::smatch match;
        if (!std::regex_match(strLine, match, s_line)) {
            continue;
        }
        TreeLine line;
        line.nIndent = match[1].length();
        line.strText = strLine;
        line.box.nId = std::stoul(match[2].str(), nullptr, 16);
        line.box.nWidth = std::stoi(match[3].str());
        line.box.nHeight = std::stoi(match[4].str());
        line.box.x = std::stoi(match[5].str());
        line.box.y = std::stoi(match[6].str());
        vecLines.push_back(line);
    }
    return vecLines;
}

std::string HexId(unsigned long nId) {
    char szId[32];
    std::snprintf(szId, sizeof(szId), "0x%lx", nId);
    return szId;
}

bool OwnedBy(const CXvfb& xvfb, unsigned long nId, int nPid) {
    const std::string strOutput = Capture(xvfb, "xprop -id " + HexId(nId) + " _NET_WM_PID");
    return strOutput.find("= " + std::to_string(nPid) + "\n") != std::string::npos;
}

// Whether some client owns the system tray selection of screen 0: a host is in charge.
bool TraySelectionOwned(const CXvfb& xvfb) {
    Display* pDisplay = XOpenDisplay(xvfb.Display().c_str());
    if (!pDisplay) {
        return false;
    }
    const Atom selection = XInternAtom(pDisplay, "_NET_SYSTEM_TRAY_S0", False);
    const bool bOwned = XGetSelectionOwner(pDisplay, selection) != None;
    XCloseDisplay(pDisplay);
    return bOwned;
}

bool Larger1x1(const XWindowBox& box) {
    return box.nWidth > 1 && box.nHeight > 1;
}

}  // namespace

CTrayer::CTrayer(const CXvfb& xvfb) : m_xvfb(xvfb) {
    m_pProcess = std::make_unique<CChildProcess>(
        std::vector<std::string>{"trayer", "--SetDockType", "true",  "--SetPartialStrut",
                                 "false",  "--transparent", "false", "--expand",
                                 "true",   "--edge",        "top",   "--align",
                                 "left",   "--widthtype",   "pixel", "--width",
                                 "200",    "--heighttype",  "pixel", "--height",
                                 "32"},
        std::map<std::string, std::string>{{"DISPLAY", xvfb.Display()}});
}

CTrayer::~CTrayer() = default;

// GTK's start-up takes a few seconds on a loaded machine; the bound is for a host that hangs.
bool CTrayer::WaitReady() {
    return WaitUntil([this] {
        if (!TraySelectionOwned(m_xvfb)) {
            return false;
        }
        for (const TreeLine& line : WindowTree(m_xvfb)) {
            if (line.strText.find("(\"panel\" \"trayer\")") != std::string::npos) {
                return true;
            }
        }
        return false;
    }, std::chrono::seconds(60));
}

std::vector<XWindowBox> CTrayer::EmbeddedWindows(int nPid) const {
    const std::vector<TreeLine> vecTree = WindowTree(m_xvfb);
    std::vector<XWindowBox> vecWindows;
    for (size_t i = 0; i < vecTree.size(); ++i) {
        if (vecTree[i].strText.find("(\"panel\" \"trayer\")") == std::string::npos) {
            continue;
        }
        // The panel's subtree: the lines indented deeper than the panel.
        for (size_t j = i + 1; j < vecTree.size() && vecTree[j].nIndent > vecTree[i].nIndent; ++j) {
            if (Larger1x1(vecTree[j].box) && OwnedBy(m_xvfb, vecTree[j].box.nId, nPid)) {
                vecWindows.push_back(vecTree[j].box);
            }
        }
    }
    return vecWindows;
}

std::vector<XWindowBox> MappedTopLevelWindows(const CXvfb& xvfb, int nPid) {
    const std::vector<TreeLine> vecTree = WindowTree(xvfb);
    if (vecTree.empty()) {
        return {};
    }
    // The root's children are the lines with the smallest indent.
    size_t nTopIndent = vecTree.front().nIndent;
    for (const TreeLine& line : vecTree) {
        nTopIndent = std::min(nTopIndent, line.nIndent);
    }
    std::vector<XWindowBox> vecWindows;
    for (const TreeLine& line : vecTree) {
        if (line.nIndent != nTopIndent || !Larger1x1(line.box) ||
            !OwnedBy(xvfb, line.box.nId, nPid)) {
            continue;
        }
        if (Capture(xvfb, "xwininfo -id " + HexId(line.box.nId)).find("IsViewable") !=
            std::string::npos) {
            vecWindows.push_back(line.box);
        }
    }
    return vecWindows;
}

bool WindowViewable(const CXvfb& xvfb, const std::string& strTitle) {
    return Capture(xvfb, "xwininfo -name '" + strTitle + "'").find("IsViewable") !=
           std::string::npos;
}

long RootPixel(const CXvfb& xvfb, int x, int y) {
    // ImageMagick's text format: "0,0: (47,158,68)  #2F9E44  srgb(47,158,68)".
    const std::string strOutput =
        Capture(xvfb, "import -window root -crop 1x1+" + std::to_string(x) + "+" +
                          std::to_string(y) + " -depth 8 txt:-");
    static const std::regex s_colour(R"(#([0-9A-Fa-f]{6}))");
    std::smatch match;
    if (!std::regex_search(strOutput, match, s_colour)) {
        return -1;
    }
    return std::stol(match[1].str(), nullptr, 16);
}

std::string RootArea(const CXvfb& xvfb, const XWindowBox& box) {
    return Capture(xvfb, "import -window root -crop " + std::to_string(box.nWidth) + "x" +
                             std::to_string(box.nHeight) + "+" + std::to_string(box.x) + "+" +
                             std::to_string(box.y) + " -depth 8 txt:-");
}
