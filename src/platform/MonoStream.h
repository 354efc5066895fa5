#pragma once
// A recording as one channel at a chosen rate, piece by piece, in memory that does not grow with
// its length: decoded by AudioFileReader, each frame the mean of its channels (halves to even, as
// mixToMono), then converted with libsamplerate's best sinc converter through its streaming
// interface. The samples are exactly those of mixToMono + convertRate over the whole file.
//
// One thread at a time.

#include "platform/AudioFileReader.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lctune {

class MonoStream {
public:
    /// Frames decoded at a time.
    static constexpr int64_t kReadFrames = 65536;

    MonoStream();
    ~MonoStream();
    MonoStream(const MonoStream&) = delete;
    MonoStream& operator=(const MonoStream&) = delete;

    /// Opens `path` for reading at `rate` samples per second. False when the file cannot be read or
    /// its rate cannot be converted to `rate`; error() then names the file and says why.
    bool open(const std::string& path, int32_t rate);

    /// The next samples (valid until the next call); empty at the end of the recording and after a
    /// failure, which failed() tells apart.
    std::span<const int16_t> next();

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    /// Samples handed out so far.
    int64_t samples() const { return samples_; }
    const AudioFileReader& file() const { return reader_; }

private:
    struct ConverterDeleter {
        void operator()(void* state) const;
    };

    /// Decodes and mixes the next frames into mono_; the count, 0 at the end, -1 on a failure.
    int64_t readMono();
    std::span<const int16_t> hand(size_t count);
    std::span<const int16_t> convertNext();

    AudioFileReader reader_;
    std::unique_ptr<void, ConverterDeleter> converter_;
    double ratio_ = 1;
    std::vector<int16_t> frames_;
    std::vector<int16_t> mono_;
    std::vector<float> in_;
    std::vector<float> out_;
    size_t inUsed_ = 0;
    size_t inCount_ = 0;
    bool inputEnded_ = false;
    bool done_ = true;
    int64_t samples_ = 0;
    std::string error_;
};

} // namespace lctune
