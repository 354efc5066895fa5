#pragma once
// Helpers the test programs share: a scratch folder, test signals, WAV files in and out, the
// numbered errors, and environment variables set for one test.

#include "core/Error.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <numbers>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace lctune::test {

/// A fresh folder under /tmp, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/lctune-test-XXXXXX";
        if (mkdtemp(name)) path_ = name;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    /// A path inside the folder; the name may hold any UTF-8 characters.
    std::filesystem::path operator/(const std::string& name) const {
        return path_ / std::filesystem::u8path(name);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

/// A sine of `hz` at `rate` samples per second, peak `amplitude`, starting at phase 0.
inline std::vector<int16_t> sine(double hz, double rate, double amplitude, size_t count) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate)));
    return s;
}

/// Samples that never repeat within a file, so any lost or doubled sample shows.
inline std::vector<int16_t> pattern(size_t n, uint32_t seed) {
    std::vector<int16_t> v(n);
    for (auto& s : v) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<int16_t>(seed >> 16);
    }
    return v;
}

/// Expects `call` to raise the numbered error with exactly that message.
template <typename F> void expectError(F&& call, int32_t number, const char* message) {
    try {
        call();
        ADD_FAILURE() << "no error raised, expected " << number << " " << message;
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), number);
        EXPECT_STREQ(e.what(), message);
    }
}

/// Writes 16-bit PCM (interleaved when channels > 1) as a WAV file; false when it cannot.
inline bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int rate, int channels,
                     int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    const bool ok = sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size())) ==
                    static_cast<sf_count_t>(samples.size());
    return sf_close(f) == 0 && ok;
}

struct WavContents {
    SF_INFO info{};
    std::vector<int16_t> samples;
    bool ok = false;
};

/// Everything a sound file holds, as 16-bit samples; ok is false when libsndfile refuses it.
inline WavContents readWav(const std::string& path) {
    WavContents c;
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &c.info);
    if (!f) return c;
    c.samples.resize(static_cast<size_t>(c.info.frames * c.info.channels));
    c.ok = sf_read_short(f, c.samples.data(), static_cast<sf_count_t>(c.samples.size())) ==
           static_cast<sf_count_t>(c.samples.size());
    sf_close(f);
    return c;
}

/// Writes that would take any file past `bytes` fail (EFBIG), as on a disk that fills up, for the
/// lifetime of the object; the signal such a write raises is ignored meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = SIG_DFL;
};

/// A 64 KiB file system (tmpfs) of its own, unmounted at the end. Mounting needs privileges:
/// mounted() is false (and why() says so) where it is refused.
class SmallDisk {
public:
    SmallDisk() {
        if (::mount("tmpfs", dir_.path().c_str(), "tmpfs", 0, "size=64k") == 0)
            mounted_ = true;
        else
            why_ = std::string("cannot mount a small tmpfs here: ") + std::strerror(errno);
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    std::filesystem::path operator/(const std::string& name) const { return dir_ / name; }
    /// Fills the disk to the last byte with a file of its own.
    void fill() const {
        const int fd = ::open((dir_ / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const std::vector<char> chunk(512, 'x');
        for (size_t n = chunk.size(); fd >= 0 && n > 0; n /= 2)
            while (::write(fd, chunk.data(), n) == static_cast<ssize_t>(n)) {
            }
        if (fd >= 0) ::close(fd);
    }

private:
    TempDir dir_;
    bool mounted_ = false;
    std::string why_;
};

/// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) { setenv(name, value.c_str(), 1); }
    ~ScopedEnv() { unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
};

} // namespace lctune::test
