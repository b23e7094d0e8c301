// Marks a run as active for its lifetime, so that no second run starts inside it.
#pragma once

namespace quarnel {

class RunGuard {
public:
    explicit RunGuard(bool& active) : active_(active) { active_ = true; }
    ~RunGuard() { active_ = false; }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    bool& active_;
};

}  // namespace quarnel
