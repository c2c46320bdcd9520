#pragma once

#include <cstdint>

// Outcome codes of a calibration attempt, as the main window keeps them in m_nStatus and the
// calibration page in m_nResult. 0 means no failure was recorded. The values are part of the
// program's outside behaviour: the start-up switch "csw" decides on them whether to hide.
constexpr std::uint32_t CAL_ERR_NOT_CONNECTED = 0x20000001;  // the active device's port is closed
constexpr std::uint32_t CAL_ERR_NO_MONITOR = 0x20000002;     // no monitor has the device's name
constexpr std::uint32_t CAL_ERR_TIMEOUT = 0x20000003;        // a target was not touched in time
