#include "serial/PortNames.h"

#include <filesystem>
#include <system_error>

#include "app/UserPaths.h"

std::string PortLinkPath(int nPort) {
    return BrenholdConfigDirectory() + "ports/COM" + std::to_string(nPort);
}

std::string PortDevicePath(int nPort) {
    std::string strLink = PortLinkPath(nPort);
    std::error_code error;
    // A dangling link still names the port: opening it then fails with ENOENT, which is
    // what a missing port should report.
    if (std::filesystem::is_symlink(strLink, error) || std::filesystem::exists(strLink, error)) {
        return strLink;
    }
    return "/dev/ttyS" + std::to_string(nPort - 1);
}

std::string PortTargetPath(int nPort) {
    const std::filesystem::path link = PortLinkPath(nPort);
    std::error_code error;
    if (!std::filesystem::is_symlink(link, error)) {
        return PortDevicePath(nPort);
    }
    const std::filesystem::path target = std::filesystem::read_symlink(link, error);
    if (error) {
        return link.string();
    }
    return (link.parent_path() / target).lexically_normal().string();
}

std::string LinkedPortsText() {
    const std::string strPorts = BrenholdConfigDirectory() + "ports/";
    return "Ports are named COM1, COM2, ... COMn opens the device that the link\n"
           "  " +
           strPorts +
           "COMn\n"
           "points to, and /dev/ttyS<n-1> when there is no such link. For example:\n"
           "  ln -s /dev/ttyUSB0 " +
           strPorts + "COM3\n";
}
