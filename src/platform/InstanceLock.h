#pragma once
// "Another copy of the program is running": a lock the first copy holds until it ends.

namespace lctune {

class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    /// Takes the lock; false when another running copy holds it.
    virtual bool tryLock() = 0;
};

} // namespace lctune
