#pragma once

#include <string>
#include <vector>

// A pseudo-terminal for serial tests: the test writes on the master side like a touch
// controller, the code under test opens the slave path like a serial port.
class CPtyPair {
public:
    CPtyPair();
    ~CPtyPair();
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    const std::string& SlavePath() const { return m_strSlavePath; }
    int Master() const { return m_master; }
    // Writes all bytes to the master side; true on success.
    bool Write(const std::vector<unsigned char>& vecBytes);
    // Closes the master: the slave side then reads as hung up.
    void CloseMaster();

private:
    int m_master = -1;
    std::string m_strSlavePath;
};
