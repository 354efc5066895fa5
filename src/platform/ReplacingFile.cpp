#include "platform/ReplacingFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lctune {

ReplacingFile::~ReplacingFile() {
    discard();
}

bool ReplacingFile::fail(const std::string& why) {
    if (error_.empty()) error_ = path_ + ": " + why;
    discard();
    return false;
}

void ReplacingFile::discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool ReplacingFile::open(const std::string& path) {
    discard();
    path_ = path;
    error_.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return fail("is a folder");
    // A name of this process's own, created afresh (never an existing file), with the permissions
    // any new file gets.
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary_ = path + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".part";
        fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        const int why = errno;
        temporary_.clear();
        return fail(std::string("cannot create the file: ") + std::strerror(why));
    }
    file_ = ::fdopen(fd, "w");
    if (!file_) {
        ::close(fd);
        return fail(std::string("cannot write the file: ") + std::strerror(errno));
    }
    return true;
}

bool ReplacingFile::write(std::string_view text) {
    if (!file_) return false;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        return fail(std::string("cannot write the file: ") + std::strerror(errno != 0 ? errno : EIO));
    return true;
}

bool ReplacingFile::commit() {
    if (!file_) return false;
    errno = 0;
    const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    const int why = errno != 0 ? errno : EIO;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) return fail(std::string("cannot write the file: ") + std::strerror(why));
    if (::rename(temporary_.c_str(), path_.c_str()) != 0)
        return fail(std::string("cannot put the file in place: ") + std::strerror(errno));
    temporary_.clear();
    return true;
}

} // namespace lctune
