#include "recording/EncoderWAV.h"

#include "platform/LinearPcmConverter.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lctune {
/// Grows the open file (sparsely) as hours of recording would, and carries on writing at its end.
struct EncoderWAVTestAccess {
    static void growFile(EncoderWAV& e, int64_t bytes) {
        const int fd = e.file_.get();
        if (fd >= 0 && ftruncate(fd, bytes) == 0 && lseek(fd, bytes, SEEK_SET) == bytes) e.fileEnd_ = bytes;
    }
};
} // namespace lctune

using namespace lctune;
using namespace lctune::test;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

/// A converter that can be told to fail at each step; it records whether it was closed.
class ScriptedConverter : public LinearPcmConverter {
public:
    bool failOpen = false, failSize = false, failPrepare = false, failConvert = false;
    bool* closed = nullptr;
    bool open(const WaveFormat& s, const WaveFormat& d) override {
        return !failOpen && LinearPcmConverter::open(s, d);
    }
    bool size(int32_t in, int32_t& out) override { return !failSize && LinearPcmConverter::size(in, out); }
    bool prepare() override { return !failPrepare && LinearPcmConverter::prepare(); }
    bool convert(const uint8_t* s, int32_t sl, uint8_t* d, int32_t dl, bool flush, int32_t& su,
                 int32_t& du) override {
        if (failConvert) {
            su = du = 0;
            return false;
        }
        return LinearPcmConverter::convert(s, sl, d, dl, flush, su, du);
    }
    void close() override {
        if (closed && isOpen()) *closed = true;
        LinearPcmConverter::close();
    }
};

// The expected header, written out field by field.
std::vector<uint8_t> header(uint32_t dataBytes, uint16_t channels, uint32_t rate, uint16_t bits) {
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    std::vector<uint8_t> h;
    auto text = [&](const char* t) { h.insert(h.end(), t, t + 4); };
    auto u16 = [&](uint32_t v) {
        h.push_back(v & 0xFF);
        h.push_back((v >> 8) & 0xFF);
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    text("RIFF");
    u32(dataBytes + 38);
    text("WAVE");
    text("fmt ");
    u32(18);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * align);
    u16(align);
    u16(bits);
    u16(0);
    text("data");
    u32(dataBytes);
    return h;
}

struct Case {
    uint16_t channels;
    uint16_t bits;
};

TEST(EncoderWAV, HeadersAreByteExactFor16And8BitsMonoAndStereo) {
    TempDir dir;
    const std::vector<int16_t> samples{0, 1, -1, 127, 128, 384, -129, 32767, -32768, 1000, -1000, 256};
    for (Case c : {Case{1, 16}, Case{2, 16}, Case{1, 8}, Case{2, 8}}) {
        const fs::path path =
            dir / ("take" + std::to_string(c.channels) + "_" + std::to_string(c.bits) + ".wav");
        AppFlags flags;
        EncoderWAV enc(WaveFormat::pcm(22050, c.channels, c.bits), flags);
        ASSERT_EQ(enc.Encoder_EncoderInit(22050, static_cast<int16_t>(c.channels), path), 0);
        int32_t used = -1;
        ASSERT_EQ(enc.Encoder_Encode(samples.data(), 24, used), 0);
        EXPECT_EQ(used, 24);
        ASSERT_EQ(enc.Encoder_Encode(samples.data(), 0, used), 0);
        ASSERT_EQ(enc.Encoder_EncoderClose(), 0);

        const std::vector<uint8_t> file = readBytes(path);
        const uint32_t dataBytes = c.bits == 16 ? 24 : 12;
        ASSERT_EQ(file.size(), 46 + dataBytes);
        const std::vector<uint8_t> expected = header(dataBytes, c.channels, 22050, c.bits);
        EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 46), expected);
        if (c.bits == 16) {
            EXPECT_EQ(0, std::memcmp(file.data() + 46, samples.data(), 24));
        } else {
            // Unsigned, silence at 128, rounded halves to even, held at 255.
            const std::vector<uint8_t> audio{128, 128, 128, 128, 128, 130, 127, 255, 0, 132, 124, 129};
            EXPECT_EQ(std::vector<uint8_t>(file.begin() + 46, file.end()), audio);
        }
    }
}

TEST(EncoderWAV, ResultCodesForBadFormatsLongBlocksAndFailedConversions) {
    TempDir dir;
    AppFlags flags;
    const WaveFormat out = WaveFormat::pcm(8000, 1, 16);
    {
        EncoderWAV enc(out, flags);
        EXPECT_EQ(enc.Encoder_EncoderInit(0, 1, dir / "a.wav"), 7);
        EXPECT_EQ(enc.Encoder_EncoderInit(8000, 0, dir / "a.wav"), 7);
        EXPECT_FALSE(fs::exists(dir / "a.wav"));
        // A rate that differs from the output format's: the conversion is refused.
        EXPECT_EQ(enc.Encoder_EncoderInit(44100, 1, dir / "a.wav"), 7);
        EXPECT_EQ(enc.Encoder_EncoderClose(), 2);
    }
    for (int step = 0; step < 3; ++step) {
        auto conv = std::make_unique<ScriptedConverter>();
        conv->failOpen = step == 0;
        conv->failSize = step == 1;
        conv->failPrepare = step == 2;
        EncoderWAV enc(out, flags, std::move(conv));
        EXPECT_EQ(enc.Encoder_EncoderInit(8000, 1, dir / "b.wav"), 7) << "step " << step;
        EXPECT_FALSE(fs::exists(dir / "b.wav"));
    }
    {
        EncoderWAV enc(out, flags);
        ASSERT_EQ(enc.Encoder_EncoderInit(8000, 1, dir / "c.wav"), 0);
        std::vector<uint8_t> second(16001, 0);
        int32_t used = 12345;
        EXPECT_EQ(enc.Encoder_Encode(second.data(), 16001, used), 8);
        EXPECT_EQ(used, 12345);
        EXPECT_EQ(enc.Encoder_Encode(second.data(), 16000, used), 0);
        EXPECT_EQ(used, 16000);
        EXPECT_EQ(enc.Encoder_EncoderClose(), 0);
        EXPECT_EQ(fs::file_size(dir / "c.wav"), 46u + 16000u);
        EXPECT_EQ(enc.Encoder_EncoderClose(), 2);
    }
    {
        auto conv = std::make_unique<ScriptedConverter>();
        ScriptedConverter* c = conv.get();
        EncoderWAV enc(out, flags, std::move(conv));
        ASSERT_EQ(enc.Encoder_EncoderInit(8000, 1, dir / "d.wav"), 0);
        c->failConvert = true;
        int16_t s[4] = {1, 2, 3, 4};
        int32_t used = -1;
        EXPECT_EQ(enc.Encoder_Encode(s, 8, used), 9);
        EXPECT_EQ(used, 0);
        c->failConvert = false;
        EXPECT_EQ(enc.Encoder_EncoderClose(), 0);
        EXPECT_EQ(fs::file_size(dir / "d.wav"), 46u);
    }
}

TEST(EncoderWAV, FileFailuresGive2And10) {
    TempDir dir;
    AppFlags flags;
    EncoderWAV enc(WaveFormat::pcm(8000, 1, 16), flags);
    EXPECT_EQ(enc.Encoder_EncoderInit(8000, 1, dir / "missing-folder/x.wav"), 2);
    EXPECT_NE(enc.lastError().find("cannot create"), std::string::npos) << enc.lastError();
    EXPECT_EQ(enc.Encoder_EncoderClose(), 2);

    // The disk fills up during the recording: the block is refused whole and the file stays a
    // valid WAV of everything written before.
    const std::vector<int16_t> block = pattern(1000, 5);
    int32_t used = 0;
    {
        FileSizeLimit limit(46 + 2000 + 1000);
        ASSERT_EQ(enc.Encoder_EncoderInit(8000, 1, dir / "full.wav"), 0);
        EXPECT_EQ(enc.Encoder_Encode(block.data(), 2000, used), 0);
        EXPECT_EQ(enc.Encoder_Encode(block.data(), 2000, used), 10);
        EXPECT_NE(enc.lastError().find("full.wav"), std::string::npos) << enc.lastError();
        EXPECT_EQ(enc.Encoder_EncoderClose(), 0);
    }
    const WavContents got = readWav(dir / "full.wav");
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.samples, block);
}

// A disk full before the first byte: nothing is recorded and no empty, invalid file is left.
TEST(EncoderWAV, AFullDiskAtTheStartLeavesNoFile) {
    AppFlags flags;
    EncoderWAV enc(WaveFormat::pcm(8000, 1, 16), flags);
    EXPECT_EQ(enc.Encoder_EncoderInit(8000, 1, "/dev/full"), 2);
    EXPECT_NE(enc.lastError().find("No space left"), std::string::npos) << enc.lastError();
    EXPECT_TRUE(fs::exists("/dev/full")) << "a device is never removed";

    SmallDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    disk.fill();
    EXPECT_EQ(enc.Encoder_EncoderInit(8000, 1, disk / "take.wav"), 2);
    EXPECT_NE(enc.lastError().find("No space left"), std::string::npos) << enc.lastError();
    EXPECT_FALSE(fs::exists(disk / "take.wav"));
}

// Only a file that can seek takes a WAV: its sizes are rewritten at the start.
TEST(EncoderWAV, AnOutputThatCannotSeekIsRefused) {
    TempDir dir;
    AppFlags flags;
    const fs::path fifo = dir / "pipe.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EncoderWAV enc(WaveFormat::pcm(8000, 1, 16), flags);
    EXPECT_EQ(enc.Encoder_EncoderInit(8000, 1, fifo), 2);
    EXPECT_NE(enc.lastError().find("cannot seek"), std::string::npos) << enc.lastError();
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "nothing was written into the pipe";
    ::close(reader);
    // Without a reader, opening a pipe would wait for one; the refusal comes at once.
    EXPECT_EQ(enc.Encoder_EncoderInit(8000, 1, fifo), 2);
    EXPECT_TRUE(fs::exists(fifo));
}

// A recording that is never closed (the program killed, the machine off) is still a valid WAV:
// the header is valid from the start and its sizes follow the audio at least once a second.
TEST(EncoderWAV, AFileThatIsNeverClosedIsValidUpToTheLastRefresh) {
    TempDir dir;
    AppFlags flags;
    const fs::path path = dir / "unclosed.wav";
    EncoderWAV enc(WaveFormat::pcm(8000, 1, 16), flags);
    ASSERT_EQ(enc.Encoder_EncoderInit(8000, 1, path), 0);
    WavContents got = readWav(path);
    ASSERT_TRUE(got.ok) << "valid as soon as it is created";
    EXPECT_EQ(got.info.frames, 0);

    const std::vector<int16_t> fed = pattern(800 * 13, 6);
    int32_t used = 0;
    for (size_t i = 0; i < 13; ++i) { // 1.3 s of blocks, one every 100 ms
        ASSERT_EQ(enc.Encoder_Encode(fed.data() + i * 800, 1600, used), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    got = readWav(path);
    ASSERT_TRUE(got.ok);
    EXPECT_GE(got.info.frames, 800 * 3) << "refreshed within the first second";
    EXPECT_TRUE(std::equal(got.samples.begin(), got.samples.end(), fed.begin()));
    EXPECT_EQ(enc.Encoder_EncoderClose(), 0);
    EXPECT_EQ(readWav(path).samples, fed);
}

// RIFF chunks are padded to even lengths: an 8-bit mono file with an odd number of frames ends in
// a pad byte that the RIFF size counts and the data size does not.
TEST(EncoderWAV, AnOddDataChunkGetsItsPadByte) {
    TempDir dir;
    AppFlags flags;
    EncoderWAV enc(WaveFormat::pcm(8000, 1, 8), flags);
    ASSERT_EQ(enc.Encoder_EncoderInit(8000, 1, dir / "odd.wav"), 0);
    const std::vector<int16_t> samples{256, -256, 512};
    int32_t used = 0;
    ASSERT_EQ(enc.Encoder_Encode(samples.data(), 6, used), 0);
    ASSERT_EQ(enc.Encoder_EncoderClose(), 0);
    const std::vector<uint8_t> file = readBytes(dir / "odd.wav");
    ASSERT_EQ(file.size(), 46u + 3u + 1u);
    EXPECT_EQ(le32(file, 4), 42u);
    EXPECT_EQ(le32(file, 42), 3u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 46, file.end()), (std::vector<uint8_t>{129, 127, 130, 0}));
    const WavContents got = readWav(dir / "odd.wav");
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.info.frames, 3);
}

TEST(EncoderWAV, WhileTheTunerRunsNoFileIsCreatedAndCloseReleasesTheStream) {
    TempDir dir;
    AppFlags flags;
    flags.tunerActive = true;
    bool closed = false;
    auto conv = std::make_unique<ScriptedConverter>();
    conv->closed = &closed;
    EncoderWAV enc(WaveFormat::pcm(8000, 1, 16), flags, std::move(conv));
    EXPECT_EQ(enc.Encoder_EncoderInit(8000, 1, dir / "tuner.wav"), 0);
    EXPECT_FALSE(fs::exists(dir / "tuner.wav"));
    EXPECT_FALSE(enc.isWriting());
    int16_t s[4] = {1, 2, 3, 4};
    int32_t used = 0;
    EXPECT_EQ(enc.Encoder_Encode(s, 8, used), 10); // converted, but nowhere to write it
    EXPECT_EQ(enc.Encoder_EncoderClose(), 2);
    EXPECT_TRUE(closed);
}

TEST(EncoderWAV, AChineseNameWorksAndAnExistingFileIsTruncated) {
    TempDir dir;
    AppFlags flags;
    const fs::path path = dir / "临时录音文件 重庆.wav";
    {
        std::ofstream old(path, std::ios::binary);
        old << std::string(100000, 'x');
    }
    EncoderWAV enc(WaveFormat::pcm(44100, 2, 16), flags);
    ASSERT_EQ(enc.Encoder_EncoderInit(44100, 2, path.string()), 0);
    EXPECT_EQ(enc.path(), path.string());
    const std::vector<int16_t> frames{100, -100, 200, -200};
    int32_t used = 0;
    ASSERT_EQ(enc.Encoder_Encode(frames.data(), 8, used), 0);
    ASSERT_EQ(enc.Encoder_EncoderClose(), 0);
    const std::vector<uint8_t> file = readBytes(path);
    ASSERT_EQ(file.size(), 54u);
    EXPECT_EQ(le32(file, 4), 46u);
    EXPECT_EQ(le32(file, 42), 8u);
}

TEST(EncoderWAV, ABlockThatWouldPassFourGibibytesIsRefusedAndTheFileStaysValid) {
    TempDir dir;
    AppFlags flags;
    const fs::path path = dir / "long.wav";
    EncoderWAV enc(WaveFormat::pcm(8000, 1, 16), flags);
    ASSERT_EQ(enc.Encoder_EncoderInit(8000, 1, path), 0);
    // 16-bit audio comes in whole samples, so the largest file ends one byte short of the limit.
    const uintmax_t nearLimit = EncoderWAV::kMaxFileBytes - 101;
    EncoderWAVTestAccess::growFile(enc, static_cast<int64_t>(nearLimit));
    ASSERT_EQ(fs::file_size(path), nearLimit);

    std::vector<int16_t> block(100, 7);
    int32_t used = -1;
    EXPECT_EQ(enc.Encoder_Encode(block.data(), 200, used), 10);
    EXPECT_EQ(fs::file_size(path), nearLimit);
    EXPECT_EQ(enc.Encoder_Encode(block.data(), 100, used), 0); // up to the last whole sample
    EXPECT_EQ(used, 100);
    EXPECT_EQ(enc.Encoder_Encode(block.data(), 2, used), 10);
    ASSERT_EQ(enc.Encoder_EncoderClose(), 0);

    EXPECT_EQ(fs::file_size(path), static_cast<uintmax_t>(EncoderWAV::kMaxFileBytes - 1));
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> head(46);
    in.read(reinterpret_cast<char*>(head.data()), 46);
    EXPECT_EQ(le32(head, 4), EncoderWAV::kMaxFileBytes - 9);
    EXPECT_EQ(le32(head, 42), EncoderWAV::kMaxFileBytes - 47);
}

TEST(EncoderWAV, OutputFormatFromTheRecordingSettings) {
    EXPECT_EQ(EncoderWAV::outputFormatFromSettings("44100Hz", 1, true), WaveFormat::pcm(44100, 2, 16));
    EXPECT_EQ(EncoderWAV::outputFormatFromSettings("22050.5", 0, false), WaveFormat::pcm(22050, 1, 8));
    EXPECT_EQ(EncoderWAV::outputFormatFromSettings("高品质", 2, true), WaveFormat::pcm(48000, 1, 16));
    AppFlags flags;
    EncoderWAV enc(WaveFormat::pcm(8000, 1, 8), flags);
    EXPECT_EQ(enc.Encoder_Description(), "Wave ACM Encoder");
    EXPECT_EQ(enc.Encoder_Extension(), "wav");
}

} // namespace
