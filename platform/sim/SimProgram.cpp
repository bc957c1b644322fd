#include "platform/sim/SimProgram.h"

namespace tavelin::sim {

void SimProgram::setActivationPolicy(RawActivationPolicy policy) {
    mainThread_.check();
    trace_.record("Application.setActivationPolicy " + std::string(toString(policy)));
    policy_ = policy;
}

void SimProgram::activate(bool ignoringOtherApps) {
    mainThread_.check();
    trace_.record(ignoringOtherApps ? "Application.activate ignoringOtherApps" : "Application.activate");
    if (const auto process = workspace_.process(bundleIdentifier_))
        workspace_.activate(process->processIdentifier);
}

void SimProgram::terminate() {
    mainThread_.check();
    if (terminated_) return;
    trace_.record("Application.terminate");
    if (delegate_) delegate_->applicationWillTerminate();
    terminated_ = true;
    if (terminationHandler_) terminationHandler_();
}

void SimProgram::relaunch(const std::filesystem::path& bundlePath) {
    mainThread_.check();
    trace_.record("Application.relaunch " + bundlePath.string());
    relaunchedFrom_ = bundlePath;
    terminate();
}

void SimProgram::finishLaunching() {
    if (delegate_) delegate_->applicationDidFinishLaunching();
}

}  // namespace tavelin::sim
