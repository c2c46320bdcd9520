#include "app/UserPaths.h"

#include <cstdlib>

std::string BrenholdConfigDirectory() {
    std::string strBase;
    if (const char* szConfig = std::getenv("XDG_CONFIG_HOME"); szConfig && *szConfig == '/') {
        strBase = szConfig;
    } else if (const char* szHome = std::getenv("HOME"); szHome && *szHome) {
        strBase = std::string(szHome) + "/.config";
    } else {
        strBase = "/tmp";
    }
    if (strBase.back() != '/') {
        strBase += '/';
    }
    return strBase + "Brenhold/";
}
