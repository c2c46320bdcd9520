#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "devices/DeviceLines.h"

class IFileReplacer;

// "Settings.dat": the devices' settings lines, one per device in list order.
//
//   on disk                          | lines read
//   ---------------------------------+------------------------------------------
//   0 bytes (or no file)             | none (no file: LoadDevices is false)
//   "A\r\nB\r\n"                     | "A", "B"      (what SaveDevices writes)
//   "A\nB\n"                         | "A", "B"      (a lone LF reads the same)
//   "A\r\n\r\nB"                     | "A", "", "B"  (empty lines are devices; a last
//                                    |                line without a line end counts)
//   "A\rB\r\n"                       | "A\rB"        (only CR LF and LF end a line)
//
// No header, no version mark, bytes kept as they are. Saving writes CR LF after every line.
//
// Where the file is: beside the executable (a build tree, an unpacked folder). An installed
// copy (IsInstalledCopy: decided from where the executable stands, whatever the prefix) must
// not write into its bin folder, so it keeps the file in the per-user folder
// ($XDG_CONFIG_HOME/Brenhold/); loading looks where saving writes.
//
// A file that is there but cannot be read (no permission, not a regular file, larger than
// MAX_FILE_BYTES) is told to the user and kept: the store then refuses to save over it for
// the rest of the run, since the empty list the window starts with would replace the devices
// it holds.
class CDeviceStore {
public:
    // Far beyond any real device list (a line is about 200 bytes).
    static constexpr std::size_t MAX_FILE_BYTES = 16 * 1024 * 1024;

    // With an empty strFilePath the file is SettingsFilePath(), worked out at every load and
    // save; tests hand in a path of their own.
    explicit CDeviceStore(IFileReplacer& replacer, std::string strFilePath = {});

    // Appends the file's lines to arrDeviceLines (which is not emptied first). False, with
    // nothing appended, when the file is missing or cannot be read; only the second is a
    // Problem().
    bool LoadDevices(CDeviceLines& arrDeviceLines);
    // Replaces the file's content with the lines in one step: false when it could not be
    // written or is kept because it could not be read (see Problem()).
    bool SaveDevices(const CDeviceLines& arrDeviceLines);

    // The message for the user about the last load or save; empty when there is none.
    const std::string& Problem() const { return m_strProblem; }

    std::string FilePath() const;

private:
    IFileReplacer& m_replacer;
    std::string m_strFilePath;
    std::string m_strProblem;
    // The file was there at load but could not be read: never replace it.
    bool m_bKeepFile = false;
};

// The full path of "Settings.dat" for this copy of the program.
std::string SettingsFilePath();
// The rule behind it: strConfigDirectory + "Settings.dat" when strAppDirectory holds an
// installed copy, else strAppDirectory + "Settings.dat". Directories end in '/'.
std::string SettingsFilePath(const std::string& strAppDirectory,
                             const std::string& strConfigDirectory);

// The file format on its own (see the table above).
std::vector<std::string> ParseSettingsFile(const std::string& strContent);
std::string FormatSettingsFile(const std::vector<std::string>& vecLines);
