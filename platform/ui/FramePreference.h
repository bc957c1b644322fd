#pragma once

// A preference of frames by key: views below report their frame in a named space under a key of their
// own (a cell's path), and the reports of one pass merge into one map, a later report of a key
// replacing an earlier one. The key type is the user's; `Less` orders it. A preference's name must be
// used with one key type only.

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/ui/LayoutResult.h"
#include "platform/ui/Node.h"

namespace tavelin::ui {

template <class Key, class Less = std::less<Key>>
class FramePreference {
  public:
    using Frames = std::map<Key, Rect, Less>;

    explicit FramePreference(std::string name) : name_(std::move(name)) {}
    const std::string& name() const { return name_; }

    // `view`, reporting its frame in `space` under `key`.
    View report(const View& view, Key key, std::string space) const {
        return view.reportingFrame(FrameReport{name_, std::make_shared<const Key>(std::move(key)), std::move(space)});
    }

    Frames frames(const LayoutResult& result) const {
        Frames merged;
        for (const ReportedFrame& reported : result.reportedFrames) {
            if (reported.preference == name_) {
                merged.insert_or_assign(*static_cast<const Key*>(reported.key.get()), reported.frame);
            }
        }
        return merged;
    }

  private:
    std::string name_;
};

}  // namespace tavelin::ui
