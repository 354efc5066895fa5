#pragma once
// Writes the processed capture stream to a RIFF/WAVE file: a 46-byte header (RIFF, an 18-byte
// `fmt ` record, data), then the audio converted from 16-bit PCM to the output format as the blocks
// arrive. No other chunk is written; an odd data chunk (8-bit mono, an odd number of frames) gets
// its pad byte at close, counted in the RIFF size and not in the data size.
//
// The file is a valid WAV from its creation on, whatever ends the program: the header is written
// at once with the sizes of no audio, the two sizes follow the audio at least once a second while
// blocks arrive, and close writes them from the real file size. Only a file that can seek takes a
// WAV, so a pipe, a socket or a terminal is refused; a file whose header cannot be written (a full
// disk) is removed again, so a failed start leaves no file behind.
//
// The RIFF sizes are 32-bit: a block that would take the file past 4 GiB - 1 byte is refused with
// result 10 (nothing of it is written), so an over-long recording stops with a valid file.
//
// User-interface thread only.

#include "core/AppFlags.h"
#include "platform/FileDescriptor.h"
#include "platform/PcmConverter.h"
#include "platform/WaveIn.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lctune {

class EncoderWAV {
public:
    static constexpr int32_t kOk = 0;
    static constexpr int32_t kNoFile = 2;
    static constexpr int32_t kBadFormat = 7;
    static constexpr int32_t kBlockTooLong = 8;
    static constexpr int32_t kConvertFailed = 9;
    static constexpr int32_t kWriteFailed = 10;
    /// The largest file the 32-bit RIFF sizes can describe.
    static constexpr int64_t kMaxFileBytes = 0xFFFFFFFFll;

    /// `output` is the file's format (rate and channels as capture uses them, 8 or 16 bits). A
    /// null converter means our own PCM converter.
    EncoderWAV(const WaveFormat& output, const AppFlags& flags,
               std::unique_ptr<PcmConverter> converter = nullptr);
    ~EncoderWAV();
    EncoderWAV(const EncoderWAV&) = delete;
    EncoderWAV& operator=(const EncoderWAV&) = delete;

    /// The output format as the recording window's settings give it: the leading number of the
    /// sample-rate text rounded (0 gives 48000), two channels when the stereo value is 1, and 16
    /// or 8 bits.
    static WaveFormat outputFormatFromSettings(const std::string& sampleRateText, int32_t stereoValue,
                                               bool bits16);

    std::string Encoder_Description() const { return "Wave ACM Encoder"; }
    std::string Encoder_Extension() const { return "wav"; }

    /// 0, 2 (the file cannot be created, cannot seek or cannot take its header; lastError() says
    /// which) or 7 (bad rate or channels, conversion refused). While the tuner is active no file is
    /// created.
    int32_t Encoder_EncoderInit(int32_t rate, int16_t channels, const std::string& path);
    /// 0, 8 (longer than one second of capture), 9 (conversion failed) or 10 (the write failed or
    /// would pass the 4 GiB limit).
    int32_t Encoder_Encode(const void* data, int32_t length, int32_t& used);
    /// 0, or 2 when no file was open.
    int32_t Encoder_EncoderClose();

    /// Why the last Encoder_EncoderInit returned 2 or the last write failed (result 10), one line
    /// naming the file; empty when neither happened.
    const std::string& lastError() const { return lastError_; }
    const WaveFormat& outputFormat() const { return output_; }
    bool isWriting() const { return static_cast<bool>(file_); }
    const std::string& path() const { return path_; }
    /// Brings the header's sizes up to what the file holds now, as is done every half second while
    /// blocks arrive: for a program that ends without closing the file. Harmless when none is open.
    void updateSizes() {
        if (file_) refreshSizes();
    }

    /// The 18-byte little-endian wave-format record.
    static std::vector<uint8_t> formatRecord(const WaveFormat& format);

private:
    friend struct EncoderWAVTestAccess;

    /// How often, at most, the header's sizes are brought up to date while blocks arrive.
    static constexpr std::chrono::milliseconds kSizeRefresh{500};

    bool createFile(const std::string& path);
    std::vector<uint8_t> header(uint32_t riffSize, uint32_t dataSize) const;
    void refreshSizes();
    void fail(const std::string& what, int error);
    int64_t writeAll(const uint8_t* data, int64_t length);
    void writeFinalHeader();
    void releaseStream();

    WaveFormat output_;
    const AppFlags& flags_;
    std::unique_ptr<PcmConverter> converter_;
    WaveFormat source_;
    /// One second of capture in bytes: the longest block Encoder_Encode takes.
    int32_t sourceCapacity_ = 0;
    std::vector<uint8_t> destinationBuffer_;
    FileDescriptor file_;
    /// Bytes in the file so far; audio is appended here.
    int64_t fileEnd_ = 0;
    std::chrono::steady_clock::time_point lastRefresh_;
    std::string path_;
    std::string lastError_;
};

} // namespace lctune
