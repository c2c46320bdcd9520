#pragma once

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
class CDeviceStore {
public:
    // With an empty strFilePath the file is SettingsFilePath(), worked out at every load and
    // save; tests hand in a path of their own.
    explicit CDeviceStore(IFileReplacer& replacer, std::string strFilePath = {});

    // Appends the file's lines to arrDeviceLines (which is not emptied first). False, with
    // nothing appended, when the file is missing or cannot be read.
    bool LoadDevices(CDeviceLines& arrDeviceLines) const;
    // Replaces the file's content with the lines in one step: false when it could not be
    // written, and then the old file is as it was.
    bool SaveDevices(const CDeviceLines& arrDeviceLines) const;

    std::string FilePath() const;

private:
    IFileReplacer& m_replacer;
    std::string m_strFilePath;
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
