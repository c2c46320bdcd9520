#include "app/AutoStart.h"

bool ApplyAutoStart(IAutoStart& autoStart, bool bAutoStart, const std::string& strAppDir,
                    const std::string& strSwitchSuffix) {
    // Always the name "Tactilo", whatever this copy's file is called: the entry names the
    // program, not the file that happened to run.
    if (bAutoStart) {
        return autoStart.Write(strAppDir + "Tactilo", strSwitchSuffix);
    }
    return autoStart.Remove();
}
