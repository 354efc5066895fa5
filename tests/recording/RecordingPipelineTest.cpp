// Whole recordings: a known input through the virtual device, the capture engine and the writer,
// and lctune-record as a user runs it.

#include "capture/WaveInRecorder.h"
#include "platform/MessageBoxService.h"
#include "platform/PlainMessageLoop.h"
#include "platform/SystemAudio.h"
#include "recording/EncoderWAV.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace lctune;
using namespace lctune::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Captures `seconds` of the virtual input into a 16-bit file; returns what the file holds.
WavContents recordThroughEngine(const std::string& input, const std::string& out, int16_t channels,
                                double seconds) {
    ScopedEnv env("LCTUNE_INPUT", input);
    SystemAudio audio = makeSystemAudio();
    PlainMessageLoop loop;
    ConsoleMessageBox boxes;
    WaveInRecorder recorder(*audio.waveIn, *audio.mixers, loop, boxes);
    AppFlags flags;
    EncoderWAV encoder(WaveFormat::pcm(88200, static_cast<uint16_t>(channels), 16), flags);
    int64_t bytes = 0;
    int32_t failures = 0;
    recorder.GotData.connect([&](std::span<int16_t> block, int32_t& length) {
        int32_t used = 0;
        failures += encoder.Encoder_Encode(block.data(), length, used) != 0;
        bytes += length;
    });
    EXPECT_TRUE(recorder.StartRecord(88200, channels)) << recorder.lastError();
    EXPECT_EQ(encoder.Encoder_EncoderInit(88200, channels, out), 0);
    const int64_t wanted = static_cast<int64_t>(seconds * 88200) * 2 * channels;
    EXPECT_TRUE(loop.runUntil([&] { return bytes >= wanted; }, 10s));
    recorder.StopRecord();
    EXPECT_EQ(encoder.Encoder_EncoderClose(), 0);
    EXPECT_EQ(failures, 0);
    return readWav(out);
}

// The recording equals the looped input, started wherever the device was when the first buffer
// was queued (a few samples in, or more on a loaded machine: the start is not the point, the
// order of every sample after it is).
void expectLoopedCopy(const std::vector<int16_t>& recorded, const std::vector<int16_t>& input,
                      size_t channels) {
    ASSERT_GT(recorded.size(), input.size()) << "the input should have looped";
    size_t offset = 0;
    while (offset + 64 <= input.size() &&
           !std::equal(recorded.begin(), recorded.begin() + 64, input.begin() + offset))
        offset += channels;
    ASSERT_LE(offset + 64, input.size()) << "the recording does not start inside the input";
    size_t mismatches = 0;
    for (size_t i = 0; i < recorded.size(); ++i)
        mismatches += recorded[i] != input[(i + offset) % input.size()];
    EXPECT_EQ(mismatches, 0u);
}

TEST(RecordingPipeline, AKnownRecordingComesOutSampleForSampleAcrossBufferBoundaries) {
    TempDir dir;
    const std::vector<int16_t> mono = pattern(30011, 1); // not a multiple of the buffer
    writeWav(dir / "in.wav", mono, 88200, 1);
    const WavContents got = recordThroughEngine(dir / "in.wav", dir / "out.wav", 1, 0.7);
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.info.samplerate, 88200);
    EXPECT_EQ(got.info.channels, 1);
    EXPECT_EQ(got.samples.size() % 5120, 0u); // whole buffers only
    expectLoopedCopy(got.samples, mono, 1);
}

// A float recording (as editors export by default) plays exactly the samples of its 16-bit source.
TEST(RecordingPipeline, AFloatInputPlaysTheSamplesOfIts16BitSource) {
    TempDir dir;
    const std::vector<int16_t> mono = pattern(30011, 7);
    std::vector<float> scaled(mono.size());
    for (size_t i = 0; i < mono.size(); ++i)
        scaled[i] = static_cast<float>(mono[i]) / 32768.0f;
    SF_INFO info{};
    info.samplerate = 88200;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open((dir / "float.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    sf_write_float(f, scaled.data(), static_cast<sf_count_t>(scaled.size()));
    sf_close(f);
    const WavContents got = recordThroughEngine(dir / "float.wav", dir / "out.wav", 1, 0.7);
    ASSERT_TRUE(got.ok);
    expectLoopedCopy(got.samples, mono, 1);
}

TEST(RecordingPipeline, StereoInputKeepsItsChannels) {
    TempDir dir;
    const std::vector<int16_t> stereo = pattern(2 * 20011, 2);
    writeWav(dir / "in2.wav", stereo, 88200, 2);
    const WavContents got = recordThroughEngine(dir / "in2.wav", dir / "out2.wav", 2, 0.5);
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.info.channels, 2);
    expectLoopedCopy(got.samples, stereo, 2);
}

// lctune-record as a user runs it.

struct ToolRun {
    int status = -1;
    std::string err;
};

/// Starts lctune-record; `fileLimit`, when given, is the largest file it may write (as on a disk
/// about to fill up).
pid_t spawnRecord(const std::vector<std::string>& args, const std::string& input, const std::string& errFile,
                  rlim_t fileLimit = RLIM_INFINITY) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!input.empty()) setenv("LCTUNE_INPUT", input.c_str(), 1);
        FILE* err = std::freopen(errFile.c_str(), "w", stderr);
        (void)err;
        if (fileLimit != RLIM_INFINITY) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileLimit, fileLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv;
        const std::string exe = std::string(LCTUNE_TOOLS_DIR) + "/lctune-record";
        argv.push_back(const_cast<char*>(exe.c_str()));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

/// Waits for the program to end; one that is still running after 30 s is killed (status -1).
ToolRun finish(pid_t pid, const std::string& errFile) {
    ToolRun r;
    int status = 0;
    for (int i = 0; i < 3000 && waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(10ms);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        r.status = -1;
        return r;
    }
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::ifstream in(errFile);
    std::stringstream s;
    s << in.rdbuf();
    r.err = s.str();
    return r;
}

ToolRun runRecord(const std::vector<std::string>& args, const std::string& input, const TempDir& dir) {
    const std::string errFile = dir / "stderr.txt";
    return finish(spawnRecord(args, input, errFile), errFile);
}

int peak(const std::vector<int16_t>& s) {
    int p = 0;
    for (int16_t v : s)
        p = std::max(p, std::abs(static_cast<int>(v)));
    return p;
}

TEST(LctuneRecord, InterruptedBySigintLeavesAValidFile) {
    TempDir dir;
    const std::string out = dir / "take.wav";
    const std::string errFile = dir / "stderr.txt";
    const pid_t pid = spawnRecord({out}, "tone:440", errFile);
    // The file appears once capture runs; by then the signal handlers are in place.
    for (int i = 0; i < 500 && !fs::exists(out); ++i)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(600ms);
    kill(pid, SIGINT);
    const ToolRun r = finish(pid, errFile);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, ""); // stderr is not a terminal: no meter
    const WavContents got = readWav(out);
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.info.samplerate, 88200);
    EXPECT_EQ(got.info.channels, 1);
    EXPECT_EQ(got.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_GE(got.samples.size(), 5120u * 3);
    EXPECT_NEAR(peak(got.samples), 16423, 2); // -6 dBFS
    EXPECT_EQ(fs::file_size(out), 46 + 2 * got.samples.size());
}

// The terminal closing (SIGHUP) ends a recording like Ctrl-C. A recording that is killed outright
// (SIGKILL: the OOM killer, a shutdown) is still a valid WAV of what was written up to the last
// refresh of its header.
TEST(LctuneRecord, HangUpEndsLikeCtrlCAndAKilledRecordingStaysValid) {
    TempDir dir;
    const std::vector<int16_t> input = pattern(20011, 8);
    writeWav(dir / "in.wav", input, 88200, 1);
    for (const int sig : {SIGHUP, SIGKILL}) {
        const std::string out = dir / ("take" + std::to_string(sig) + ".wav");
        const std::string errFile = dir / "stderr.txt";
        const pid_t pid = spawnRecord({out}, dir / "in.wav", errFile);
        for (int i = 0; i < 500 && !fs::exists(out); ++i)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(1s);
        kill(pid, sig);
        const ToolRun r = finish(pid, errFile);
        const WavContents got = readWav(out);
        ASSERT_TRUE(got.ok) << "signal " << sig;
        EXPECT_GE(got.samples.size(), 5120u * 4) << "signal " << sig;
        expectLoopedCopy(got.samples, input, 1);
        if (sig == SIGHUP) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(fs::file_size(out), 46 + 2 * got.samples.size());
        }
    }
}

TEST(LctuneRecord, SecondsBitsChannelsAndEffectsAreHonoured) {
    TempDir dir;
    ToolRun r =
        runRecord({"--seconds", "0.25", "--bits", "8", "--channels", "2", "--rate", "44100", dir / "a.wav"},
                  "tone:1000", dir);
    ASSERT_EQ(r.status, 0) << r.err;
    WavContents got = readWav(dir / "a.wav");
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    EXPECT_EQ(got.info.channels, 2);
    EXPECT_EQ(got.info.samplerate, 44100);
    EXPECT_EQ(got.info.frames, 11025);

    r = runRecord({"--seconds", "0.2", "--amplify", "12", dir / "b.wav"}, "tone:440", dir);
    ASSERT_EQ(r.status, 0) << r.err;
    got = readWav(dir / "b.wav");
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.info.frames, 17640);
    EXPECT_GE(peak(got.samples), 32767); // -6 dBFS + 12 dB clips
}

TEST(LctuneRecord, FailuresPrintOneLineAndExitWith2) {
    TempDir dir;
    ToolRun r = runRecord({"--seconds", "1", "/dev/full"}, "tone:440", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot write /dev/full"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was recorded"), std::string::npos) << r.err;
    for (const char* tone : {"tone:440abc", "tone:1e-300"}) {
        r = runRecord({"--seconds", "0.1", dir / "x.wav"}, tone, dir);
        EXPECT_EQ(r.status, 2) << tone;
        EXPECT_NE(r.err.find(tone), std::string::npos) << r.err;
    }

    r = runRecord({dir / "no/such/folder/x.wav"}, "tone:440", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot create"), std::string::npos) << r.err;

    r = runRecord({"--channels", "3", dir / "x.wav"}, "tone:440", dir);
    EXPECT_EQ(r.status, 2);
    r = runRecord({"--device", "4", dir / "x.wav"}, "tone:440", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no input device 4"), std::string::npos) << r.err;
    r = runRecord({dir / "x.wav"}, dir / "missing.flac", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot open input device 0"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x.wav"));
}

// A WAV file's sizes are written at its start, so a pipe cannot take one: such an output is refused
// before anything is recorded, and so is "-".
TEST(LctuneRecord, OutputsThatCannotSeekAreRefused) {
    TempDir dir;
    const std::string fifo = dir / "pipe.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& out : {std::string("-"), fifo}) {
        const ToolRun r = runRecord({"--seconds", "0.2", out}, "tone:440", dir);
        EXPECT_EQ(r.status, 2) << out;
        EXPECT_NE(r.err.find("seek"), std::string::npos) << out << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    const std::string script = "LCTUNE_INPUT=tone:440 " + std::string(LCTUNE_TOOLS_DIR) +
                               "/lctune-record --seconds 0.2 /dev/stdout 2>" + (dir / "err.txt").string() +
                               " | cat >/dev/null; exit ${PIPESTATUS[0]}";
    const int rc = std::system(("bash -c '" + script + "'").c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 2);
    std::ifstream err(dir / "err.txt");
    std::stringstream text;
    text << err.rdbuf();
    EXPECT_NE(text.str().find("seek"), std::string::npos) << text.str();
}

// A disk that fills up during a recording keeps what was recorded, in a valid file; a disk full
// from the start records nothing and leaves no file.
TEST(LctuneRecord, AFullDiskSaysWhatWasKept) {
    TempDir dir;
    const std::string errFile = dir / "stderr.txt";
    ToolRun r =
        finish(spawnRecord({"--seconds", "1", dir / "some.wav"}, "tone:440", errFile, 46 + 30000), errFile);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("stay in the file"), std::string::npos) << r.err;
    WavContents got = readWav(dir / "some.wav");
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.samples.size(), 5120u * 2) << "the whole buffers that fitted";

    SmallDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    r = runRecord({"--seconds", "10", disk / "take.wav"}, "tone:440", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("stay in the file"), std::string::npos) << r.err;
    got = readWav(disk / "take.wav");
    ASSERT_TRUE(got.ok);
    EXPECT_GT(got.samples.size(), 5120u);
    EXPECT_EQ(fs::file_size(disk / "take.wav"), 46 + 2 * got.samples.size());

    disk.fill();
    r = runRecord({"--seconds", "1", disk / "nothing.wav"}, "tone:440", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("nothing was recorded"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(disk / "nothing.wav"));
}

} // namespace
