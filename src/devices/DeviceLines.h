#pragma once

#include <string>
#include <vector>

// The settings lines of all devices, element i for row i of the device list. Devices are
// kept as lines, not records: whoever reads one parses it, whoever changes one formats the
// whole record again and replaces the line.
//
// Row numbers elsewhere are 16-bit, so at most 32767 lines can be addressed; the array
// itself sets no limit. An index outside 0 .. GetSize() - 1 is a caller's mistake and throws
// std::invalid_argument; the callers loop within the count.
class CDeviceLines {
public:
    int GetSize() const { return static_cast<int>(m_vecLines.size()); }
    bool IsEmpty() const { return m_vecLines.empty(); }

    // Appends a copy at the end.
    void Add(const std::string& strLine) { m_vecLines.push_back(strLine); }
    // Replaces line nIndex with a copy.
    void SetAt(int nIndex, const std::string& strLine);
    // Line nIndex, read in place.
    const std::string& GetAt(int nIndex) const;
    // Removes line nIndex; every later line moves down by one.
    void RemoveAt(int nIndex);
    void RemoveAll() { m_vecLines.clear(); }

    const std::vector<std::string>& Lines() const { return m_vecLines; }

private:
    void CheckIndex(int nIndex) const;

    std::vector<std::string> m_vecLines;
};

// The names of the devices whose lines differ between vecSaved (what the file holds) and
// vecCurrent (what memory holds): changed or added ones in their current order, then removed
// ones. Empty when nothing would be lost. A device is known by its name, as the user knows it.
std::vector<std::string> UnsavedDeviceNames(const std::vector<std::string>& vecSaved,
                                            const std::vector<std::string>& vecCurrent);
