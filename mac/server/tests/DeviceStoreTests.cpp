#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "mac/server/DeviceStore.h"
#include "platform/FileContents.h"
#include "platform/P256PrivateKey.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/NamedPipe.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/JsonCoding.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class DeviceStoreTest : public ::testing::Test {
  protected:
    DeviceStore::Platform platform() {
        return {mac_.standardUserDefaults(), mac_.keychain(), mac_.folders(), log_};
    }
    std::filesystem::path devicesFile() { return DeviceStore::devicesFile(mac_.folders()); }
    void writeDevices(std::string_view text) { ASSERT_TRUE(writeFileAtomically(devicesFile(), text)); }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    sim::SimMac mac_{sim::Desktop{}, home_.path(), scheduler_, log_};
};

TEST_F(DeviceStoreTest, AFirstLaunchMakesTheMachineIDAndKeyOnceAndKeepsThem) {
    mac_.standardUserDefaults().set("machineID", PlistValue(std::string()));  // an empty ID counts as none
    std::optional<MachineID> firstID;
    std::optional<Bytes> firstKey;
    {
        DeviceStore store(platform());
        firstID = store.machineID();
        firstKey = store.machineKey();
        EXPECT_EQ(firstID->rawValue().size(), 36u);
        ASSERT_TRUE(firstKey);
        EXPECT_TRUE(isValidP256PrivateKey(*firstKey));
        EXPECT_THAT(store.devices(), IsEmpty());
    }
    EXPECT_EQ(mac_.standardUserDefaults().stringForKey("machineID"), firstID->rawValue());
    EXPECT_EQ(mac_.keychain().item("jp.fenwold.lomaret.machinekey"), firstKey);

    mac_.calls().clear();
    DeviceStore again(platform());
    EXPECT_EQ(again.machineID(), *firstID);
    EXPECT_EQ(again.machineKey(), firstKey);
    EXPECT_THAT(mac_.calls().calls(), ElementsAre("Keychain.copy jp.fenwold.lomaret.machinekey"));
    EXPECT_THAT(log_.lines(), IsEmpty());
}

TEST_F(DeviceStoreTest, ReadsThePairedDevices) {
    writeDevices(
        R"([{"deviceID":"D1","name":"Kei's iPhone","publicKey":"AQID","addedAt":"2025-01-02T03:04:05Z","paused":false},
                     {"deviceID":"D2","name":"iPad","publicKey":"BAU=","addedAt":"2025-02-01T00:00:00Z","paused":true}])");
    DeviceStore store(platform());
    ASSERT_EQ(store.devices().size(), 2u);
    EXPECT_EQ(store.devices()[0].deviceID, DeviceID("D1"));
    EXPECT_EQ(store.devices()[0].name, "Kei's iPhone");
    EXPECT_EQ(store.devices()[0].publicKey, (Bytes{{1, 2, 3}}));
    EXPECT_TRUE(store.devices()[1].paused);
    EXPECT_EQ(
        encodeJSON(store.devices()[0]).value(),
        R"({"deviceID":"D1","name":"Kei's iPhone","publicKey":"AQID","addedAt":"2025-01-02T03:04:05Z","paused":false})");
}

TEST_F(DeviceStoreTest, ManyPairedDevicesAreAllRead) {
    std::string text = "[";
    for (int i = 0; i < 40; ++i) {
        text += (i ? R"(,{"deviceID":"D)" : R"({"deviceID":"D)") + std::to_string(i) +
                R"(","name":"iPhone","publicKey":")" + std::string(88, 'A') +
                R"(","addedAt":"2025-01-02T03:04:05Z","paused":false})";
    }
    writeDevices(text + "]");
    EXPECT_EQ(DeviceStore(platform()).devices().size(), 40u);
}

TEST_F(DeviceStoreTest, ADamagedDevicesFileIsReportedAndLeftAsItIs) {
    const std::string damaged = R"([{"deviceID":"D1","name":"Kei's iPhone"}])";
    writeDevices(damaged);
    DeviceStore store(platform());
    EXPECT_THAT(store.devices(), IsEmpty());
    ASSERT_EQ(log_.lines().size(), 1u);
    EXPECT_THAT(log_.lines()[0], HasSubstr("devices.json"));
    EXPECT_THAT(log_.lines()[0], HasSubstr("publicKey"));
    EXPECT_EQ(readFileContents(devicesFile(), 1 << 20).value(), damaged);
}

TEST_F(DeviceStoreTest, ADevicesFileThatIsANamedPipeIsReportedAtOnce) {
    testing::makeNamedPipe(devicesFile());
    const auto devices =
        testing::readsWithoutWaiting(devicesFile(), [&] { return DeviceStore(platform()).devices(); });
    EXPECT_THAT(devices, IsEmpty());
    ASSERT_EQ(log_.lines().size(), 1u);
    EXPECT_THAT(log_.lines()[0], HasSubstr(devicesFile().string() + ": not a regular file"));
}

TEST_F(DeviceStoreTest, AKeychainItemThatIsNoKeyIsNotReplaced) {
    ASSERT_TRUE(mac_.keychain().addGenericPassword("jp.fenwold.lomaret.machinekey", Bytes{{1, 2, 3}}));
    DeviceStore store(platform());
    EXPECT_FALSE(store.machineKey());
    EXPECT_EQ(mac_.keychain().item("jp.fenwold.lomaret.machinekey"), (Bytes{{1, 2, 3}}));
    EXPECT_THAT(log_.lines(), ElementsAre(HasSubstr("not a P-256 key")));
}

TEST_F(DeviceStoreTest, AKeychainFailureLeavesNoKeyAndSaysWhy) {
    mac_.keychain().setFailure(KeychainError{-25308, "User interaction is not allowed."});
    DeviceStore store(platform());
    EXPECT_FALSE(store.machineKey());
    EXPECT_THAT(
        log_.lines(),
        ElementsAre("Tavelin DeviceStore: machine key unreadable (-25308 User interaction is not allowed.)"));
}

// A keychain that holds nothing and keeps nothing it is given.
struct RefusingKeychain final : Keychain {
    std::expected<std::optional<Bytes>, KeychainError> copyGenericPassword(std::string_view) override {
        return std::nullopt;
    }
    std::expected<void, KeychainError> addGenericPassword(std::string_view, Bytes) override {
        return std::unexpected(KeychainError{-34, "Disk full."});
    }
};

TEST_F(DeviceStoreTest, AKeyTheKeychainDoesNotKeepIsNotUsed) {
    RefusingKeychain keychain;
    DeviceStore store({mac_.standardUserDefaults(), keychain, mac_.folders(), log_});
    EXPECT_FALSE(store.machineKey());
    EXPECT_THAT(log_.lines(), ElementsAre("Tavelin DeviceStore: machine key not saved (-34 Disk full.)"));
}

}  // namespace
}  // namespace tavelin
