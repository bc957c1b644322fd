#pragma once

// The devices paired with this Mac, and the Mac's identity toward them:
// - the machine ID, the user-defaults key "machineID", made once (a random UUID) and kept;
// - the machine key, a P-256 private key in the keychain item "jp.fenwold.lomaret.machinekey", made
//   once and kept;
// - the paired devices, the file devices.json in the "Lomaret" folder of the user's Application
//   Support folder (a JSON array of PairedDevice).
// Everything is read when the store is built. A damaged devices.json or keychain item is reported once
// and left as it is, never replaced, so that nothing the user had is lost; the store then starts
// without devices, or without a machine key.
//
// Main thread. Owned by the server.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "mac/server/PairedDevice.h"
#include "platform/Keychain.h"
#include "platform/UserDefaults.h"
#include "platform/UserFolders.h"
#include "protocol/Identifiers.h"
#include "runtime/SystemLog.h"

namespace tavelin {

class DeviceStore {
  public:
    struct Platform {
        UserDefaults& defaults;  // the program's own domain
        Keychain& keychain;
        const UserFolders& folders;
        SystemLog& log;
    };

    static constexpr std::string_view kMachineIDKey = "machineID";
    static constexpr std::string_view kMachineKeyService = "jp.fenwold.lomaret.machinekey";
    static constexpr std::size_t kMaxDevicesFileBytes = std::size_t{1} << 20;

    explicit DeviceStore(Platform platform);
    DeviceStore(const DeviceStore&) = delete;
    DeviceStore& operator=(const DeviceStore&) = delete;

    const MachineID& machineID() const { return machineID_; }
    // The raw 32-byte scalar; none when the keychain could neither give nor keep one.
    const std::optional<Bytes>& machineKey() const { return machineKey_; }
    const std::vector<PairedDevice>& devices() const { return devices_; }

    // "<home>/Library/Application Support/Lomaret/devices.json".
    static std::filesystem::path devicesFile(const UserFolders& folders);

  private:
    MachineID loadMachineID();
    std::optional<Bytes> loadMachineKey();
    std::vector<PairedDevice> loadDevices();

    Platform platform_;
    MachineID machineID_;
    std::optional<Bytes> machineKey_;
    std::vector<PairedDevice> devices_;
};

}  // namespace tavelin
