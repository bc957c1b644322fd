#pragma once

// The window test world (two displays side by side, the built-in one with two Spaces) with a window-action
// service over it: its own settings, list service, display resolver and pointer animator. The
// window-actions log is stamped with the virtual clock, so that tests can tell when a step ran; Space
// switches and window-state changes take the world 100 ms.

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mac/settings/AppSettings.h"
#include "mac/windows/AppCommandPlatform.h"
#include "mac/windows/PointerAnimator.h"
#include "mac/windows/WindowActionDisplayResolver.h"
#include "mac/windows/WindowActionService.h"
#include "mac/windows/WindowListService.h"
#include "mac/windows/tests/WindowTestWorld.h"

namespace tavelin {

using namespace std::chrono_literals;

// The messages with the uptime at which each was appended.
class StampedWindowActionLog final : public WindowActionLog {
  public:
    explicit StampedWindowActionLog(const Clock& clock) : clock_(clock) {}
    void append(std::string_view message) override { entries.emplace_back(clock_.uptime(), std::string(message)); }

    std::vector<std::string> lines() const {
        std::vector<std::string> messages;
        for (const auto& [at, message] : entries) messages.push_back(message);
        return messages;
    }
    // Those that begin with one of the prefixes, in order.
    std::vector<std::string> lines(std::initializer_list<std::string_view> prefixes) const {
        std::vector<std::string> messages;
        for (const auto& [at, message] : entries) {
            for (const auto prefix : prefixes) {
                if (message.starts_with(prefix)) {
                    messages.push_back(message);
                    break;
                }
            }
        }
        return messages;
    }
    // When the first message that begins with the prefix was appended.
    std::optional<Duration> stamp(std::string_view prefix) const {
        for (const auto& [at, message] : entries) {
            if (message.starts_with(prefix)) return at;
        }
        return std::nullopt;
    }
    // Without the lines of the Spaces queries (the catalog, Spaces of windows, display identifiers).
    std::vector<std::string> steps() const {
        std::vector<std::string> messages;
        for (const auto& [at, message] : entries) {
            if (message.starts_with("space SLSCopy") || message.starts_with("space catalog") ||
                message.starts_with("space display") || message.starts_with("space SLSManagedDisplayGet")) {
                continue;
            }
            messages.push_back(message);
        }
        return messages;
    }
    bool contains(std::string_view message) const {
        return std::ranges::any_of(entries, [&](const auto& entry) { return entry.second == message; });
    }

    std::vector<std::pair<Duration, std::string>> entries;

  private:
    const Clock& clock_;
};

class WindowActionWorld : public WindowTestWorld {
  public:
    explicit WindowActionWorld(const std::function<void(sim::Desktop&)>& edit = {})
        : WindowTestWorld([&](sim::Desktop& desktop) {
              desktop.screens[0].visibleFrame = Rect{0, 25, 1440, 875};
              if (edit) edit(desktop);
          }) {
        // Space switches and window-state changes take time, so that the service's waits are seen.
        mac->windowWorld().setSwitchDelay(100ms);
        mac->windowWorld().setStateDelay(100ms);
    }

    WindowPlatform stampedPlatform() {
        auto base = platform();
        return WindowPlatform{base.accessibility, base.windowServer, base.screens,   base.applications,
                              base.mouseCursor,   base.scheduler,    base.log,       stamped,
                              base.privateWindowServer, base.connection, base.host, base.workspace,
                              base.files,         base.appleScripts};
    }
    AppCommandPlatform commandPlatform() {
        return AppCommandPlatform{stampedPlatform(), mac->workspaceActions(), mac->folders(), mac->appleEvents(),
                                  mac->processes()};
    }

    // Fetches the item's list; its generation.
    std::int64_t fetch(const DockItem& item) {
        std::optional<WindowListSnapshot> answer;
        startTask(scheduler.main(), into(listService->fetch(item, true), answer));
        scheduler.runUntilIdle();
        if (answer) lastList = *answer;
        return answer ? answer->listGeneration : -1;
    }
    // A command for the window with that title, against the list just fetched for the item.
    Command command(CommandKind kind, std::string_view title, const DockItem& item,
                    std::optional<ScreenID> target = std::nullopt) {
        Command command;
        command.kind = kind;
        command.expectedWindowListGeneration = fetch(item);
        command.windowID = WindowID(std::to_string(number(title)));
        command.targetScreenID = std::move(target);
        return command;
    }
    // Runs perform to its end on the virtual clock.
    CommandResultPayload perform(Command command, const DockItem& item, bool fromRemote = false,
                                 std::optional<bool> moveToReference = std::nullopt) {
        std::optional<CommandResultPayload> answer;
        startTask(scheduler.main(),
                  into(service.perform(std::move(command), item, fromRemote, moveToReference), answer));
        for (int second = 0; second < 30 && !answer; ++second) scheduler.advance(1s);
        return answer.value_or(CommandResultPayload::failure(ProtocolError::internal("did not finish")));
    }

    StampedWindowActionLog stamped{scheduler.clock()};
    WindowListSnapshot lastList;  // the last one fetched
    AppSettings settings{mac->standardUserDefaults(), mac->host(), scheduler.main()};
    std::shared_ptr<WindowListService> listService = std::make_shared<WindowListService>(stampedPlatform());
    std::shared_ptr<WindowActionDisplayResolver> resolver =
        std::make_shared<WindowActionDisplayResolver>(mac->displays());
    std::shared_ptr<PointerAnimator> pointer =
        PointerAnimator::create(mac->mouseCursor(), mac->displays(), scheduler);
    WindowActionService service{listService, settings, resolver, commandPlatform(), pointer};
    DockItem safari = appItem("com.apple.Safari");
    DockItem notes = appItem("com.apple.Notes");
};

inline CommandResultPayload unavailableResult(std::string reason) {
    return CommandResultPayload::failure(ProtocolError::unavailable(std::move(reason)));
}

}  // namespace tavelin
