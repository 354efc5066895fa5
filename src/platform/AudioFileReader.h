#pragma once
// Reads a recording piece by piece as interleaved 16-bit frames at its own rate: anything
// libsndfile reads (WAV, FLAC, Ogg …). Integer formats come as libsndfile scales them to 16 bits.
// Floating-point formats (32- and 64-bit float WAV and the like) are scaled so that full scale is
// 32768, rounded halves to even and clipped, so a float copy of a 16-bit file reads as exactly its
// samples and values beyond full scale clip.
//
// Memory stays the same whatever the length of the file. One thread at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lctune {

class AudioFileReader {
public:
    AudioFileReader();
    ~AudioFileReader();
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    /// Opens `path` (closing any file open before). False when it is not a readable recording;
    /// error() then names the file and says why in one line.
    bool open(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }

    int32_t sampleRate() const { return sampleRate_; }
    int32_t channels() const { return channels_; }
    /// Frames as the header gives them (some formats do not know: then a guess or 0).
    int64_t frames() const { return frames_; }
    const std::string& path() const { return path_; }

    /// Reads up to `frames` frames into `out`, which holds frames · channels() samples. Returns the
    /// frames read, fewer only at the end (0 there), or -1 on a read error (error() says why).
    int64_t read(int16_t* out, int64_t frames);

    const std::string& error() const { return error_; }

private:
    struct FileCloser {
        void operator()(void* file) const;
    };

    bool fail(const std::string& why);

    std::unique_ptr<void, FileCloser> file_;
    std::string path_;
    std::string error_;
    int32_t sampleRate_ = 0;
    int32_t channels_ = 0;
    int64_t frames_ = 0;
    bool floatingPoint_ = false;
    std::vector<double> real_;
};

} // namespace lctune
