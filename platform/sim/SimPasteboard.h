#pragma once

// The simulated drag pasteboard: a test puts URL texts on it, or makes it unreadable. Main thread.

#include "platform/FileURL.h"
#include "platform/Pasteboard.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimPasteboard final : public Pasteboard {
  public:
    explicit SimPasteboard(SequenceChecker mainThread) : mainThread_(mainThread) {}

    std::optional<std::vector<std::string>> readURLs(PasteboardURLs which) const override {
        mainThread_.check();
        if (!readable_) return std::nullopt;
        if (which == PasteboardURLs::all) return urls_;
        std::vector<std::string> files;
        for (const auto& url : urls_) {
            if (filePathFromURL(url)) files.push_back(url);
        }
        return files;
    }

    void setURLs(std::vector<std::string> urls) { urls_ = std::move(urls); }
    void setReadable(bool readable) { readable_ = readable; }

  private:
    SequenceChecker mainThread_;
    std::vector<std::string> urls_;
    bool readable_ = true;
};

}  // namespace tavelin::sim
