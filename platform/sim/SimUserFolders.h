#pragma once

// The simulated Mac's standard folders: its home folder, the Trash ".Trash" in it, and its Desktop,
// Documents, Downloads and Applications folders.

#include "platform/UserFolders.h"

namespace tavelin::sim {

class SimUserFolders final : public UserFolders {
  public:
    explicit SimUserFolders(std::filesystem::path homeFolder) : homeFolder_(std::move(homeFolder)) {}

    std::filesystem::path homeDirectory() const override { return homeFolder_; }
    std::optional<std::filesystem::path> trashDirectory() const override { return homeFolder_ / ".Trash"; }
    std::optional<std::filesystem::path> desktopDirectory() const override { return homeFolder_ / "Desktop"; }
    std::optional<std::filesystem::path> documentsDirectory() const override {
        return homeFolder_ / "Documents";
    }
    std::optional<std::filesystem::path> downloadsDirectory() const override {
        return homeFolder_ / "Downloads";
    }
    std::filesystem::path applicationsDirectory() const override { return homeFolder_ / "Applications"; }

  private:
    std::filesystem::path homeFolder_;
};

}  // namespace tavelin::sim
