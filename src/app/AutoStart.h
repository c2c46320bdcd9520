#pragma once

#include <string>

// The entry that starts the program when the user logs in. The OK button of the Device
// Manager writes it when "Run Tactilo on Startup" is ticked and removes it when not; a
// failure of either is told to the user (with Problem()), and the option then records what
// is really there.
class IAutoStart {
public:
    virtual ~IAutoStart() = default;
    // Makes the entry start strProgram (a path, quoted as the entry's format needs) followed
    // by strArguments as they are (the switch suffix: "" or " /s", " /c", " /cs", " /csw").
    virtual bool Write(const std::string& strProgram, const std::string& strArguments) = 0;
    // Takes the entry away. No entry is no failure.
    virtual bool Remove() = 0;
    // Why the last Write or Remove failed, for the user ("<path>: Is a directory").
    virtual std::string Problem() const { return {}; }
};

// What OK does with the entry: with bAutoStart, the program file in strAppDir (ending in
// '/') with the switch suffix; without, no entry.
bool ApplyAutoStart(IAutoStart& autoStart, bool bAutoStart, const std::string& strAppDir,
                    const std::string& strSwitchSuffix);
