#pragma once

#include <cstddef>
#include <string>

// A failure to open or configure a serial port. Carries the message shown to the user
// (with its own line end, e.g. "Can't open port.\n") and the system error number (errno)
// of the call that failed, 0 when there is none.
class CPortException {
public:
    // Takes the error number from errno, as it stands when the exception is made.
    explicit CPortException(std::string strMessage);
    CPortException(std::string strMessage, int nError);

    // Fills szBuffer with "<message> ERROR #<n>" (or "<message> ERROR" when the number is 0),
    // at most nLength - 1 characters, zero-padded up to nLength - 1. Always true.
    bool GetErrorMessage(char* szBuffer, unsigned nLength) const;
    // The same text, whole.
    std::string GetErrorMessage() const;

    const std::string& Message() const { return m_strMessage; }
    int Error() const { return m_nError; }

private:
    int m_nError;
    std::string m_strMessage;
};
