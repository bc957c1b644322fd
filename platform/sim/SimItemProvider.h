#pragma once

// A dragged item as a test scripts it: the type it offers, and what its load gives and when. The load
// answers on the main queue after its delay, with the URL, or with none for a provider that fails.

#include <optional>
#include <string>

#include "platform/ItemProvider.h"
#include "runtime/Queue.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimItemProvider final : public ItemProvider {
  public:
    // `url` none: the load fails.
    SimItemProvider(Queue& main, std::string typeIdentifier, std::optional<std::string> url,
                    Duration delay = {})
        : main_(main),
          mainThread_(main),
          typeIdentifier_(std::move(typeIdentifier)),
          url_(std::move(url)),
          delay_(delay) {}

    bool hasItemConformingToTypeIdentifier(std::string_view typeIdentifier) const override {
        mainThread_.check();
        return typeIdentifier == typeIdentifier_;
    }
    void loadURL(std::function<void(std::optional<std::string>)> completion) const override {
        mainThread_.check();
        ++loads_;
        main_.asyncAfter(delay_, [completion = std::move(completion), url = url_] { completion(url); });
    }

    // How often it was asked to load.
    int loads() const { return loads_; }

  private:
    Queue& main_;
    SequenceChecker mainThread_;
    std::string typeIdentifier_;
    std::optional<std::string> url_;
    Duration delay_;
    mutable int loads_ = 0;
};

}  // namespace tavelin::sim
