// The program itself, started as a user starts it and driven only from outside: its arguments,
// a desktop without a display, a second copy, and whole runs that tune a recording and the sound
// server and end through the tuner window's close.

#include "support/TestSupport.h"
#include "support/ToolRunner.h"

#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace lctune::test;

namespace {

/// A private settings and runtime folder for one run of the program.
struct Home {
    TempDir dir;
    Home() { std::filesystem::create_directories(dir / "runtime"), chmod((dir / "runtime").c_str(), 0700); }
    std::string environment(const std::string& more = "") const {
        return "QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=" + shellQuote(dir.path().string()) +
               " XDG_RUNTIME_DIR=" + shellQuote((dir / "runtime").string()) + " " + more;
    }
    QString ini(const char* application) const {
        return QString::fromStdString((dir / "岚川工作室").string()) + "/" + QString::fromUtf8(application) +
               ".ini";
    }
    QString value(const char* application, const char* key) const {
        QSettings settings(ini(application), QSettings::IniFormat);
        return settings.value(QString::fromUtf8(key)).toString();
    }
};

// The seconds after the first sound at which the note first showed `note` on the green ground.
double secondsToGreen(const std::string& out, const std::string& note) {
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("音符\t" + note + "\t#008000\t", 0) == 0)
            return std::stod(line.substr(line.rfind('\t') + 1));
    }
    return -1;
}

std::string pluck(const TempDir& dir) {
    const std::string path = (dir / "a2.wav").string();
    // Fresh plucks every second and a round tone: whenever the tuner starts listening, it soon hears
    // an attack, and little of the octave above.
    EXPECT_EQ(
        runTool("lctune-synth", "--freq 110 --seconds 1 --repeat 10 --softness 4 " + shellQuote(path)).status,
        0);
    return path;
}

TEST(Program, AnswersHelpAndVersionAndRefusesArguments) {
    const auto help = runTool("lctune", "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: lctune"), std::string::npos);
    const auto version = runTool("lctune", "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("lctune ", 0), 0u);
    const auto bad = runTool("lctune", "--fullscreen");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
    const auto noDisplay = runTool("lctune", "", "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    EXPECT_EQ(noDisplay.status, 1);
    EXPECT_NE(noDisplay.err.find("lctune-analyse --input default"), std::string::npos) << noDisplay.err;
}

TEST(Program, TunesAGeneratedPluckAndEndsWithEverythingWritten) {
    Home home;
    const auto run =
        runTool("lctune", "",
                home.environment("LCTUNE_TEST_RUN_SECONDS=6 LCTUNE_INPUT=" + shellQuote(pluck(home.dir))));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GE(secondsToGreen(run.out, "A2  (6)"), 0) << run.out;
    EXPECT_EQ(home.value("岚川调音器", "录音棚衔接参数/已经关闭"), QStringLiteral("True"));
    EXPECT_EQ(home.value("岚川调音器", "参数/运行次数"), QStringLiteral("1"));
    EXPECT_EQ(home.value("lctune", "录音窗/均衡器_0"), QStringLiteral("0"));
    EXPECT_EQ(home.value("lctune", "录音窗/设备"), QStringLiteral("a2.wav"));
}

TEST(Program, SettingsThatAreGarbageOrCannotBeSavedAreNoReasonToStop) {
    Home garbage;
    std::filesystem::create_directories(garbage.dir / "岚川工作室");
    std::ofstream(garbage.dir / "岚川工作室" / "lctune.ini")
        << "[%U5F55%U97F3%U7A97]\nLeft=-9e999\n%U5747%U8861%U5668_3=loud\n%U8BBE%U5907=no such "
           "device\n\x01\xff";
    std::ofstream(garbage.dir / "岚川工作室" / "岚川调音器.ini")
        << "[%U53C2%U6570]\n%U8FD0%U884C%U6B21%U6570=many\n";
    const std::string input = "LCTUNE_TEST_RUN_SECONDS=5 LCTUNE_INPUT=" + shellQuote(pluck(garbage.dir));
    const auto run = runTool("lctune", "", garbage.environment(input));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GE(secondsToGreen(run.out, "A2  (6)"), 0) << run.out;
    EXPECT_EQ(garbage.value("岚川调音器", "参数/运行次数"), QStringLiteral("1"))
        << "a count that is no number";
    EXPECT_EQ(garbage.value("lctune", "录音窗/均衡器_3"), QStringLiteral("0"));

    Home readOnly; // its configuration folder is a plain file: nothing can be saved under it
    const std::string notAFolder = (readOnly.dir / "config").string();
    std::ofstream(notAFolder) << "";
    const auto unsaved =
        runTool("lctune", "",
                "QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=" + shellQuote(notAFolder) +
                    " XDG_RUNTIME_DIR=" + shellQuote((readOnly.dir / "runtime").string()) + " " + input);
    EXPECT_EQ(unsaved.status, 0) << unsaved.err;
    EXPECT_GE(secondsToGreen(unsaved.out, "A2  (6)"), 0) << unsaved.out;
    EXPECT_NE(unsaved.err.find("设置无法保存"), std::string::npos) << unsaved.err;
}

TEST(Program, ASecondCopyIsRefusedAndLeavesTheSettingsAlone) {
    Home home;
    const std::string input = "LCTUNE_INPUT=" + shellQuote(pluck(home.dir));
    ToolResult first;
    std::thread running(
        [&] { first = runTool("lctune", "", home.environment("LCTUNE_TEST_RUN_SECONDS=4 " + input)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto second = runTool("lctune", "", home.environment("LCTUNE_TEST_RUN_SECONDS=1 " + input));
    running.join();
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.err.find("《岚川调音器》已经打开！"), std::string::npos) << second.err;
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(home.value("岚川调音器", "参数/运行次数"), QStringLiteral("1"));
}

using Environment = std::vector<std::pair<std::string, std::string>>;

// Starts lctune with `environment` added, its output to `out` and `out`.err, and no input.
pid_t startLctune(const Environment& environment, const std::string& out) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (const auto& [name, value] : environment)
        setenv(name.c_str(), value.c_str(), 1);
    if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen((out + ".err").c_str(), "w", stderr))
        _exit(126);
    const std::string exe = std::string(LCTUNE_TOOLS_DIR) + "/lctune";
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

// The program's exit status, -1 when it ended by a signal, -2 when it was still running after 10 s.
int statusOf(pid_t pid) {
    int status = 0;
    for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 200) {
            kill(pid, SIGKILL), waitpid(pid, &status, 0);
            return -2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// lctune recording a sine to take.wav from its start, reporting to out.txt, until it is ended.
pid_t startRecording(const Home& home, Environment environment) {
    environment.insert(environment.end(),
                       {{"XDG_CONFIG_HOME", home.dir.path().string()},
                        {"XDG_RUNTIME_DIR", (home.dir / "runtime").string()},
                        {"LCTUNE_INPUT", "tone:440"},
                        {"LCTUNE_TEST_RUN_SECONDS", "60"},
                        {"LCTUNE_TEST_RECORD", (home.dir / "take.wav").string() + ":0:50"}});
    const pid_t pid = startLctune(environment, (home.dir / "out.txt").string());
    const auto recording = [&] {
        return slurp((home.dir / "out.txt").string()).find("录音\t开始\t停止录音") != std::string::npos;
    };
    // Until it records, or ends (a zombie: waitid without reaping it).
    siginfo_t ended{};
    for (int i = 0; i < 200 && !recording(); ++i) {
        if (waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            ended.si_pid == pid)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(recording()) << "ended: " << (ended.si_pid == pid ? ended.si_status : 0) << "\n"
                             << slurp((home.dir / "out.txt").string())
                             << slurp((home.dir / "out.txt.err").string());
    std::this_thread::sleep_for(std::chrono::milliseconds(1200)); // past a refresh of the file's sizes
    return pid;
}

// The recording holds more than a second, and its header says all that the file holds.
void expectCompleteTake(const Home& home) {
    const std::string take = (home.dir / "take.wav").string();
    const WavContents got = readWav(take);
    ASSERT_TRUE(got.ok);
    EXPECT_GE(got.samples.size(), 88200u);
    EXPECT_EQ(std::filesystem::file_size(take), 46 + 2 * got.samples.size());
}

// Asked to end while it records (a logout's SIGTERM), the program ends as its window's close ends
// it: the recording stopped and its file complete, the settings saved, status 0.
TEST(Program, EndsAsItsWindowDoesWhenAskedToByASignal) {
    Home home;
    const pid_t pid = startRecording(home, {{"QT_QPA_PLATFORM", "offscreen"}});
    kill(pid, SIGTERM);
    EXPECT_EQ(statusOf(pid), 0);
    expectCompleteTake(home);
    EXPECT_EQ(home.value("岚川调音器", "录音棚衔接参数/已经关闭"), QStringLiteral("True"));
    EXPECT_EQ(home.value("lctune", "录音窗/均衡器_0"), QStringLiteral("0"));
}

// ":N"; built by hand, as GCC 12 warns falsely about ":" + std::to_string(n).
std::string displayName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, ":%d", number);
    return name;
}

// An X server of the test's own on display `number`, ready when made; pid -1 when it could not
// start there (the number is taken, or there is no Xvfb).
struct VirtualDisplay {
    pid_t pid = -1;
    explicit VirtualDisplay(int number, const std::string& log) {
        int ready[2];
        if (pipe(ready) != 0) return;
        pid = fork();
        if (pid == 0) {
            close(ready[0]);
            if (!std::freopen(log.c_str(), "w", stderr)) _exit(126);
            execlp("Xvfb", "Xvfb", displayName(number).c_str(), "-displayfd",
                   std::to_string(ready[1]).c_str(), "-nolisten", "tcp", "-screen", "0", "1024x768x24",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        // The number, then a line end in a write of its own: closing the pipe before that one
        // would be a fatal error to the server.
        std::string text;
        char c = 0;
        while (read(ready[0], &c, 1) == 1 && c != '\n')
            text += c;
        const bool up = c == '\n';
        close(ready[0]);
        if (!up) waitpid(pid, nullptr, 0), pid = -1;
    }
    void end() {
        if (pid > 0) kill(pid, SIGTERM), waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~VirtualDisplay() { end(); }
};

// The X server going away ends the program at once (the platform's own exit); the recording's
// header still says all that its file holds.
TEST(Program, ARecordingStaysCompleteWhenTheDisplayGoesAway) {
    Home home;
    const std::string log = (home.dir / "xvfb.txt").string();
    // A display number of its own, clear of the usual ones; the next when one is taken.
    int number = 400 + static_cast<int>(getpid() % 400);
    std::optional<VirtualDisplay> display;
    for (int tries = 0; tries < 20 && (!display || display->pid < 0); ++tries, ++number)
        display.emplace(number, log);
    if (display->pid < 0) GTEST_SKIP() << "no Xvfb to run the program on: " << slurp(log);
    --number;
    // The platform's exit leaves everything where it is: under the address sanitizer, no leak.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const pid_t pid =
        startRecording(home, {{"DISPLAY", displayName(number)},
                              {"QT_QPA_PLATFORM", "xcb"},
                              {"ASAN_OPTIONS", std::string(sanitizer ? sanitizer : "") + ":detect_leaks=0"}});
    display->end();
    EXPECT_EQ(statusOf(pid), 1) << displayName(number) << "\n" << slurp(log);
    expectCompleteTake(home);
}

// Through ALSA and the private PulseAudio server of scripts/test, whose default source is a pipe:
// a plucked A2 written into it in real time shows green within two seconds of the first sound.
TEST(Program, TunesThePulseSourceWithinTwoSeconds) {
    const char* fifo = std::getenv("LCTUNE_PULSE_FIFO");
    struct stat st {};
    if (!fifo || !std::getenv("PULSE_SERVER") || stat(fifo, &st) != 0 || !S_ISFIFO(st.st_mode))
        GTEST_SKIP() << "no private PulseAudio server (scripts/test starts one)";
    Home home;
    const WavContents a2 = readWav(pluck(home.dir));
    ASSERT_TRUE(a2.ok);
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        const int fd = ::open(fifo, O_WRONLY | O_CLOEXEC);
        if (fd < 0) return;
        auto due = std::chrono::steady_clock::now();
        for (size_t at = 0; feeding; at = (at + 1764) % (a2.samples.size() - 1764)) {
            if (write(fd, a2.samples.data() + at, 1764 * 2) < 0) break;
            due += std::chrono::milliseconds(20);
            std::this_thread::sleep_until(due);
        }
        ::close(fd);
    });
    const auto run = runTool("lctune", "", home.environment("LCTUNE_TEST_RUN_SECONDS=8"));
    feeding = false;
    feeder.join();
    EXPECT_EQ(run.status, 0) << run.err;
    const double seconds = secondsToGreen(run.out, "A2  (6)");
    EXPECT_GE(seconds, 0) << run.out;
    EXPECT_LE(seconds, 2.0) << run.out;
}

} // namespace
