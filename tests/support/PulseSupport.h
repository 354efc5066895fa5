#pragma once
// Private PulseAudio servers for the tests that capture through ALSA: a feeder that writes a
// counting pattern into a server's pipe source in real time, one more server of a test's own (to
// freeze, kill or restart), and PULSE_SERVER pointed at it for the test. Needs LCTUNE_SCRIPTS_DIR
// (the folder of scripts/pulse-test-server).

#include "support/ToolRunner.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace lctune::test {

/// Feeds the pipe source in real time, 20 ms at a time, with a count rising from `base` through
/// base + 19999 and round again. Each test picks its own base, so sound left in the pipe by an
/// earlier run cannot pass for its own.
class Feeder {
public:
    static constexpr int kSpan = 20000;

    Feeder(const std::string& fifo, int16_t base) {
        thread_ = std::thread([this, fifo, base] {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0) return;
            // A frozen server stops reading: the writes must not block the feeder's end.
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            int16_t next = base;
            std::vector<int16_t> chunk(1764);
            auto due = std::chrono::steady_clock::now();
            while (running_) {
                for (auto& s : chunk) {
                    s = next;
                    next = next == base + kSpan - 1 ? base : static_cast<int16_t>(next + 1);
                }
                if (!writeWhileRunning(fd, chunk)) break;
                due += std::chrono::milliseconds(20);
                std::this_thread::sleep_until(due);
            }
            ::close(fd);
        });
    }
    ~Feeder() {
        running_ = false;
        thread_.join();
    }

private:
    // The whole chunk (it is shorter than PIPE_BUF, so it goes in at once or not at all), waiting
    // for room while the feeder runs.
    bool writeWhileRunning(int fd, const std::vector<int16_t>& chunk) const {
        while (running_) {
            if (write(fd, chunk.data(), chunk.size() * 2) >= 0) return true;
            if (errno != EAGAIN) return false;
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 50);
        }
        return false;
    }

    std::atomic<bool> running_{true};
    std::thread thread_;
};

/// One more private server, for a test that freezes or kills it. Whatever the test did to it, it is
/// resumed and shut down at the end.
class PrivateServer {
public:
    PrivateServer() {
        char name[] = "/tmp/lctune-pulse-own-XXXXXX";
        if (!mkdtemp(name)) return;
        dir_ = name;
        if (std::system((script() + " start " + dir_ + " >/dev/null 2>&1").c_str()) != 0) return;
        pid_ = std::atoi(slurp(dir_ + "/server.pid").c_str());
    }
    ~PrivateServer() {
        if (pid_ > 0) ::kill(pid_, SIGCONT);
        if (!dir_.empty()) {
            const int rc = std::system((script() + " stop " + dir_ + " >/dev/null 2>&1").c_str());
            (void)rc;
        }
    }
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    bool running() const { return pid_ > 0; }
    std::string address() const { return "unix:" + dir_ + "/native"; }
    std::string fifo() const { return dir_ + "/source.fifo"; }
    void signal(int sig) const { ::kill(pid_, sig); }
    /// A new server at the same address, after this one was killed (or to replace it).
    bool restart() {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
        std::error_code ec;
        for (const char* name : {"/source.fifo", "/native", "/pid", "/server.pid"})
            std::filesystem::remove(dir_ + name, ec);
        pid_ = -1;
        if (std::system((script() + " start " + dir_ + " >/dev/null 2>&1").c_str()) != 0) return false;
        pid_ = std::atoi(slurp(dir_ + "/server.pid").c_str());
        return pid_ > 0;
    }

private:
    static std::string script() { return std::string(LCTUNE_SCRIPTS_DIR) + "/pulse-test-server"; }
    std::string dir_;
    pid_t pid_ = -1;
};

/// Points PULSE_SERVER elsewhere for one test and puts the shared server back afterwards.
class ServerOverride {
public:
    explicit ServerOverride(const std::string& address) {
        if (const char* saved = std::getenv("PULSE_SERVER")) saved_ = saved, had_ = true;
        setenv("PULSE_SERVER", address.c_str(), 1);
    }
    ~ServerOverride() {
        if (had_)
            setenv("PULSE_SERVER", saved_.c_str(), 1);
        else
            unsetenv("PULSE_SERVER");
    }
    ServerOverride(const ServerOverride&) = delete;
    ServerOverride& operator=(const ServerOverride&) = delete;

private:
    std::string saved_;
    bool had_ = false;
};

} // namespace lctune::test
