#pragma once

#include <string>

#include "app/AutoStart.h"

// The autostart entry of freedesktop.org desktops: the desktop entry file
// $XDG_CONFIG_HOME/autostart/Tactilo.desktop (by default ~/.config/autostart/), which the
// session starts at log-in. The folder is worked out again at every call.
//
// The program's path goes into the Exec key, where three sets of rules meet. A reader first
// undoes the string escapes of the file (\\ \n \t \r), then the field codes (%% is a
// literal %), then splits the arguments, where a double-quoted argument keeps " ` $ \ behind a
// backslash. So writing quotes first and escapes the string last, backslashes included:
//
//   program path   quoted argument    in the file
//   /a b/Tactilo   "/a b/Tactilo"     Exec="/a b/Tactilo"
//   /a$b/Tactilo   "/a\$b/Tactilo"    Exec="/a\\$b/Tactilo"
//   /a"b/Tactilo   "/a\"b/Tactilo"    Exec="/a\\"b/Tactilo"
//   /a\b/Tactilo   "/a\\b/Tactilo"    Exec="/a\\\\b/Tactilo"
//   /a%b/Tactilo   "/a%%b/Tactilo"    Exec="/a%%b/Tactilo"
//
// The path is always quoted, needed or not, so no character of it is ever taken for a
// separator or a shell character.
//
// TryExec carries the same path as a plain string (no quoting): a desktop skips an entry
// whose TryExec names no executable, so an entry left behind by a removed program starts
// nothing and shows no error at log-in.
//
// The entry is written the way "Settings.dat" is (CPosixFileReplacer): an unnamed file in the
// folder, renamed over the old entry, so there is no fixed temporary name that someone could
// have put a link at. Nothing is written into, or removed from, a folder that another user
// owns or may write (FolderTrustProblem).
class CXdgAutoStart final : public IAutoStart {
public:
    bool Write(const std::string& strProgram, const std::string& strArguments) override;
    bool Remove() override;
    std::string Problem() const override { return m_strProblem; }

    // Where the entry is now: <config>/autostart/Tactilo.desktop.
    static std::string EntryPath();
    // The Exec value for the program and its arguments, as it stands in the file.
    static std::string ExecValue(const std::string& strProgram, const std::string& strArguments);
    // The whole desktop entry.
    static std::string EntryText(const std::string& strProgram, const std::string& strArguments);

private:
    // Makes the entry's folder when it is missing; false, with m_strProblem, when the folder
    // cannot be made or may not be trusted.
    bool PrepareFolder(const std::string& strEntry);

    std::string m_strProblem;
};
