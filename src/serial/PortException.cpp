#include "serial/PortException.h"

#include <cerrno>
#include <cstring>
#include <utility>

CPortException::CPortException(std::string strMessage)
    : CPortException(std::move(strMessage), errno) {}

CPortException::CPortException(std::string strMessage, int nError)
    : m_nError(nError), m_strMessage(std::move(strMessage)) {}

std::string CPortException::GetErrorMessage() const {
    std::string strText = m_strMessage + " ERROR";
    if (m_nError != 0) {
        strText += " #" + std::to_string(m_nError);
    }
    return strText;
}

bool CPortException::GetErrorMessage(char* szBuffer, unsigned nLength) const {
    if (szBuffer == nullptr || nLength == 0) {
        return true;
    }
    const std::string strText = GetErrorMessage();
    const std::size_t nCopy = std::min<std::size_t>(strText.size(), nLength - 1);
    std::memcpy(szBuffer, strText.data(), nCopy);
    std::memset(szBuffer + nCopy, 0, nLength - nCopy);
    return true;
}
