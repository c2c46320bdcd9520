#include "linux/UdevPortSystem.h"

#include <fcntl.h>
#include <grp.h>
#include <libudev.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "serial/PortNames.h"

namespace {

namespace fs = std::filesystem;

// Linux's pseudo-terminal slaves (UNIX98_PTY_SLAVE_MAJOR and the seven after it).
constexpr unsigned FIRST_PTY_SLAVE_MAJOR = 136;
constexpr unsigned LAST_PTY_SLAVE_MAJOR = 143;

std::string Text(const char* szValue) {
    return szValue ? szValue : "";
}

std::string Canonical(const std::string& strPath) {
    std::error_code error;
    const fs::path path = fs::canonical(strPath, error);
    return error ? std::string() : path.string();
}

// udev's by-id link for a node: from its database when udevd has run, else from /dev itself.
std::string ById(udev_device* pDevice, const std::string& strNode) {
    const std::string strPrefix = "/dev/serial/by-id/";
    for (udev_list_entry* pEntry = udev_device_get_devlinks_list_entry(pDevice); pEntry;
         pEntry = udev_list_entry_get_next(pEntry)) {
        const std::string strLink = Text(udev_list_entry_get_name(pEntry));
        if (strLink.compare(0, strPrefix.size(), strPrefix) == 0) {
            return strLink;
        }
    }
    std::error_code error;
    for (fs::directory_iterator it(strPrefix, error), end; !error && it != end;
         it.increment(error)) {
        if (Canonical(it->path().string()) == strNode) {
            return it->path().string();
        }
    }
    return {};
}

// An 8250 slot the kernel registered without finding a UART reports type 0 (PORT_UNKNOWN).
bool HasHardware(udev_device* pDevice) {
    const char* szType = udev_device_get_sysattr_value(pDevice, "type");
    return szType == nullptr || std::atoi(szType) != 0;
}

bool HeldOpen(const std::string& strDevice) {
    std::error_code error;
    for (fs::directory_iterator proc("/proc", error), end; !error && proc != end;
         proc.increment(error)) {
        const std::string strPid = proc->path().filename().string();
        if (strPid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::error_code fdError;
        for (fs::directory_iterator fd(proc->path() / "fd", fdError); !fdError && fd != end;
             fd.increment(fdError)) {
            std::error_code linkError;
            if (fs::read_symlink(fd->path(), linkError).string() == strDevice) {
                return true;
            }
        }
    }
    return false;
}

// Whether an open of the port would find it taken: another program set it exclusive (TIOCEXCL
// makes the open fail with EBUSY) or holds our lock on it. The probe's own open is read-only
// and without a controlling terminal, and closing it leaves the line as it was.
bool LockedElsewhere(const std::string& strDevice) {
    const int fd = ::open(strDevice.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == EBUSY;
    }
    const bool bLocked = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // releases the lock, if it was ours
    return bLocked;
}

}  // namespace

std::vector<SerialPortInfo> CUdevPortSystem::EnumeratePorts() {
    std::vector<SerialPortInfo> vecPorts;
    std::unique_ptr<udev, decltype(&udev_unref)> pUdev(udev_new(), udev_unref);
    if (!pUdev) {
        return vecPorts;
    }
    std::unique_ptr<udev_enumerate, decltype(&udev_enumerate_unref)> pEnum(
        udev_enumerate_new(pUdev.get()), udev_enumerate_unref);
    if (!pEnum || udev_enumerate_add_match_subsystem(pEnum.get(), "tty") < 0 ||
        udev_enumerate_scan_devices(pEnum.get()) < 0) {
        return vecPorts;
    }
    for (udev_list_entry* pEntry = udev_enumerate_get_list_entry(pEnum.get()); pEntry;
         pEntry = udev_list_entry_get_next(pEntry)) {
        std::unique_ptr<udev_device, decltype(&udev_device_unref)> pDevice(
            udev_device_new_from_syspath(pUdev.get(), udev_list_entry_get_name(pEntry)),
            udev_device_unref);
        // Virtual terminals and the console have no device behind them: no parent.
        if (!pDevice || udev_device_get_parent(pDevice.get()) == nullptr ||
            udev_device_get_devnode(pDevice.get()) == nullptr || !HasHardware(pDevice.get())) {
            continue;
        }
        SerialPortInfo info;
        info.strDevicePath = Text(udev_device_get_devnode(pDevice.get()));
        info.strById = ById(pDevice.get(), info.strDevicePath);
        udev_device* pUsb =
            udev_device_get_parent_with_subsystem_devtype(pDevice.get(), "usb", "usb_device");
        if (pUsb != nullptr) {
            info.strDescription = Text(udev_device_get_sysattr_value(pUsb, "product"));
            info.strManufacturer = Text(udev_device_get_sysattr_value(pUsb, "manufacturer"));
            info.strSerialNumber = Text(udev_device_get_sysattr_value(pUsb, "serial"));
        }
        if (info.strDescription.empty()) {
            info.strDescription =
                Text(udev_device_get_property_value(pDevice.get(), "ID_MODEL_FROM_DATABASE"));
        }
        vecPorts.push_back(info);
    }
    return vecPorts;
}

PortFacts CUdevPortSystem::Inspect(const std::string& strPath) {
    PortFacts facts;
    struct stat st {};
    const std::string strDevice = Canonical(strPath);
    if (strDevice.empty() || stat(strDevice.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) {
        return facts;
    }
    facts.strDevice = strDevice;
    const unsigned nMajor = major(st.st_rdev);
    facts.bPseudoTerminal = nMajor >= FIRST_PTY_SLAVE_MAJOR && nMajor <= LAST_PTY_SLAVE_MAJOR;
    facts.bMayOpen = access(strDevice.c_str(), R_OK) == 0;
    facts.strGroup = PortGroup(strDevice);
    // A pseudo-terminal's slave side is held open by whoever serves it (a simulator keeps it
    // open so that the line does not hang up): only a lock or exclusive mode means another
    // program uses it. A real port held open at all is in use.
    facts.bInUse = facts.bPseudoTerminal ? LockedElsewhere(strDevice) : HeldOpen(strDevice);
    return facts;
}

int CUdevPortSystem::LinkPort(int nPort, const std::string& strTarget) {
    const fs::path link = PortLinkPath(nPort);
    std::error_code error;
    fs::create_directories(link.parent_path(), error);
    if (error) {
        return error.value();
    }
    // Made beside the old one and renamed over it, so COMn never points nowhere meanwhile.
    const fs::path fresh = link.string() + ".new";
    fs::remove(fresh, error);
    fs::create_symlink(strTarget, fresh, error);
    if (!error) {
        fs::rename(fresh, link, error);
    }
    return error ? error.value() : 0;
}

std::string PortGroup(const std::string& strPath) {
    struct stat st {};
    if (stat(strPath.c_str(), &st) != 0) {
        return {};
    }
    if (const group* pGroup = getgrgid(st.st_gid)) {
        return pGroup->gr_name;
    }
    return std::to_string(st.st_gid);
}
