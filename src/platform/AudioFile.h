#pragma once
// Whole recordings in memory: any file libsndfile reads (WAV, FLAC, Ogg …), as 16-bit samples
// (floating-point files scaled as AudioFileReader scales them), mixed to one channel and converted
// to the rate the caller needs with libsamplerate's best sinc. MonoStream does the same piece by
// piece, for recordings of any length.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lctune {

struct AudioData {
    int32_t sampleRate = 0;
    int32_t channels = 0;
    /// Interleaved 16-bit frames.
    std::vector<int16_t> samples;

    int64_t frames() const { return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

/// Reads a whole file. On failure returns false and sets error to one line saying why.
bool readAudioFile(const std::string& path, AudioData& out, std::string& error);

/// One channel: the mean of the channels of each frame, rounded halves to even.
std::vector<int16_t> mixToMono(const std::vector<int16_t>& interleaved, int32_t channels);
/// The same into `mono`, which holds one sample per frame of `interleaved`.
void mixToMono(std::span<const int16_t> interleaved, int32_t channels, std::span<int16_t> mono);

/// Converts one channel from one rate to another with libsamplerate's best sinc converter. The
/// samples pass through untouched when the rates are equal. Returns false (with error set) if
/// the converter fails.
bool convertRate(const std::vector<int16_t>& in, int32_t fromRate, int32_t toRate, std::vector<int16_t>& out,
                 std::string& error);

/// readAudioFile + mixToMono + convertRate, read through MonoStream.
bool readMonoAt(const std::string& path, int32_t rate, std::vector<int16_t>& out, std::string& error);

} // namespace lctune
