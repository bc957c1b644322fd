#include "mac/server/DeviceStore.h"

#include <system_error>

#include "platform/FileContents.h"
#include "platform/P256PrivateKey.h"
#include "protocol/JsonCoding.h"

namespace tavelin {

DeviceStore::DeviceStore(Platform platform)
    : platform_(platform),
      machineID_(loadMachineID()),
      machineKey_(loadMachineKey()),
      devices_(loadDevices()) {}

std::filesystem::path DeviceStore::devicesFile(const UserFolders& folders) {
    return folders.homeDirectory() / "Library/Application Support/Lomaret/devices.json";
}

MachineID DeviceStore::loadMachineID() {
    if (auto stored = platform_.defaults.stringForKey(kMachineIDKey); stored && !stored->empty()) {
        return MachineID(std::move(*stored));
    }
    auto fresh = randomUUIDString();
    platform_.defaults.set(kMachineIDKey, PlistValue(fresh));
    return MachineID(std::move(fresh));
}

std::optional<Bytes> DeviceStore::loadMachineKey() {
    auto stored = platform_.keychain.copyGenericPassword(kMachineKeyService);
    if (!stored) {
        platform_.log.logf("Tavelin DeviceStore: machine key unreadable (%d %s)", stored.error().status,
                           stored.error().message.c_str());
        return std::nullopt;
    }
    if (*stored) {
        if (isValidP256PrivateKey(**stored)) return std::move(**stored);
        // Replacing it would lose every pairing made with it.
        platform_.log.log(
            "Tavelin DeviceStore: machine key in the keychain is not a P-256 key; left as it is");
        return std::nullopt;
    }
    auto fresh = generateP256PrivateKey();
    if (!fresh) {
        platform_.log.log("Tavelin DeviceStore: " + fresh.error());
        return std::nullopt;
    }
    if (const auto added = platform_.keychain.addGenericPassword(kMachineKeyService, *fresh); !added) {
        // A key that is not kept would change at the next launch and void the pairings made with it.
        platform_.log.logf("Tavelin DeviceStore: machine key not saved (%d %s)", added.error().status,
                           added.error().message.c_str());
        return std::nullopt;
    }
    return std::move(*fresh);
}

std::vector<PairedDevice> DeviceStore::loadDevices() {
    const auto file = devicesFile(platform_.folders);
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return {};
    const auto text = readFileContents(file, kMaxDevicesFileBytes);
    if (!text) {
        platform_.log.log("Tavelin DeviceStore: devices unreadable: " + text.error().message);
        return {};
    }
    auto devices = decodeJSON<std::vector<PairedDevice>>(*text);
    if (!devices) {
        platform_.log.log("Tavelin DeviceStore: " + file.string() + ": " + devices.error().message +
                          "; left as it is");
        return {};
    }
    return std::move(*devices);
}

}  // namespace tavelin
