#pragma once
// "Another copy is running" on QLockFile: the first copy creates <folder>/<name>.lock and holds it
// until it ends. The folder is the user's runtime folder ($XDG_RUNTIME_DIR), else the temporary
// folder. A lock left by a copy that crashed (its process is gone, or the number now belongs to
// another program) is taken over; a lock is never taken from a running copy however old it is.

#include "platform/InstanceLock.h"

#include <QString>

#include <memory>

class QLockFile;

namespace lctune {

class QtInstanceLock : public InstanceLock {
public:
    /// `folder` empty: the runtime folder, else the temporary folder.
    explicit QtInstanceLock(QString name = QStringLiteral("lctune"), QString folder = {});
    /// Lets go of the lock.
    ~QtInstanceLock() override;
    QtInstanceLock(const QtInstanceLock&) = delete;
    QtInstanceLock& operator=(const QtInstanceLock&) = delete;

    /// True when this object holds the lock (again true on later calls); false when another
    /// running copy holds it. When the lock file cannot be made at all (no writable folder) no
    /// copy can hold it either, so the program is let run: true, with a warning on stderr.
    bool tryLock() override;
    /// The lock file in use (the temporary folder's after a fall-back).
    QString fileName() const;

private:
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
};

} // namespace lctune
