#include "core/crew.h"

#include <algorithm>

namespace vbmp3 {

Crew::~Crew() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return allEnded(); });
    joinEnded();
}

bool Crew::waitFor(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    const bool ended = ended_.wait_for(lock, bound, [this] { return allEnded(); });
    joinEnded();
    for (Member& member : members_)
        member.thread.detach();
    return ended;
}

// An ended thread has only its return left to run once it lets go of the lock.
void Crew::joinEnded() {
    members_.remove_if([](Member& member) {
        if (member.ended && member.thread.joinable())
            member.thread.join();
        return member.ended;
    });
}

bool Crew::allEnded() const {
    return std::all_of(members_.begin(), members_.end(),
                       [](const Member& member) { return member.ended; });
}

} // namespace vbmp3
