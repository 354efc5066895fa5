#include "platform/qt/QtInstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace lctune {

namespace {

std::unique_ptr<QLockFile> lockIn(const QString& folder, const QString& name) {
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(name + QStringLiteral(".lock")));
    // Never stale by age: the program runs for hours. A crashed copy's lock is still taken over,
    // because QLockFile finds that the process named in it is gone (and cannot remove a running
    // copy's lock, on which that copy holds a file lock).
    lock->setStaleLockTime(0);
    return lock;
}

QString runtimeFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

QtInstanceLock::QtInstanceLock(QString name, QString folder)
    : name_(std::move(name)), lock_(lockIn(folder.isEmpty() ? runtimeFolder() : folder, name_)) {}

QtInstanceLock::~QtInstanceLock() = default;

QString QtInstanceLock::fileName() const {
    return lock_->fileName();
}

bool QtInstanceLock::tryLock() {
    if (held_) return true;
    if (lock_->tryLock(0)) return held_ = true;
    if (lock_->error() == QLockFile::LockFailedError) return false;
    // The folder cannot hold the lock (read-only, gone): try the temporary folder.
    if (QDir(QFileInfo(lock_->fileName()).absolutePath()) != QDir(QDir::tempPath())) {
        lock_ = lockIn(QDir::tempPath(), name_);
        if (lock_->tryLock(0)) return held_ = true;
        if (lock_->error() == QLockFile::LockFailedError) return false;
    }
    qWarning("lctune: cannot create the lock file %s; not checking for another running copy",
             qPrintable(lock_->fileName()));
    return true;
}

} // namespace lctune
