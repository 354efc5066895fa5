#include "platform/AudioFile.h"

#include "core/Numbers.h"

#include <memory>
#include <samplerate.h>
#include <sndfile.h>

namespace lctune {

namespace {
struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;
} // namespace

bool readAudioFile(const std::string& path, AudioData& out, std::string& error) {
    SF_INFO info{};
    SndfilePtr file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels <= 0 || info.samplerate <= 0) {
        error = path + ": not a usable audio file";
        return false;
    }
    out.sampleRate = info.samplerate;
    out.channels = info.channels;
    out.samples.clear();
    // Read in pieces: some formats do not know their length in advance.
    std::vector<int16_t> chunk(static_cast<size_t>(65536) * static_cast<size_t>(info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_short(file.get(), chunk.data(), 65536);
        if (got <= 0) break;
        out.samples.insert(out.samples.end(), chunk.begin(), chunk.begin() + got * info.channels);
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        error = path + ": " + sf_strerror(file.get());
        return false;
    }
    return true;
}

std::vector<int16_t> mixToMono(const std::vector<int16_t>& interleaved, int32_t channels) {
    if (channels <= 1) return interleaved;
    const size_t frames = interleaved.size() / static_cast<size_t>(channels);
    std::vector<int16_t> mono(frames);
    for (size_t f = 0; f < frames; ++f) {
        int64_t sum = 0;
        for (int32_t c = 0; c < channels; ++c)
            sum += interleaved[f * static_cast<size_t>(channels) + c];
        mono[f] = clip16(static_cast<double>(sum) / channels);
    }
    return mono;
}

bool convertRate(const std::vector<int16_t>& in, int32_t fromRate, int32_t toRate, std::vector<int16_t>& out,
                 std::string& error) {
    if (fromRate == toRate || in.empty()) {
        out = in;
        return true;
    }
    if (fromRate <= 0 || toRate <= 0) {
        error = "bad sample rate";
        return false;
    }
    const double ratio = static_cast<double>(toRate) / fromRate;
    if (!src_is_valid_ratio(ratio)) {
        error = "cannot convert from " + std::to_string(fromRate) + " to " + std::to_string(toRate) +
                " samples per second";
        return false;
    }
    std::vector<float> input(in.size());
    src_short_to_float_array(in.data(), input.data(), static_cast<int>(in.size()));
    std::vector<float> output(static_cast<size_t>(static_cast<double>(in.size()) * ratio) + 16);
    SRC_DATA data{};
    data.data_in = input.data();
    data.input_frames = static_cast<long>(input.size());
    data.data_out = output.data();
    data.output_frames = static_cast<long>(output.size());
    data.src_ratio = ratio;
    data.end_of_input = 1;
    const int rc = src_simple(&data, SRC_SINC_BEST_QUALITY, 1);
    if (rc != 0) {
        error = std::string("sample-rate conversion failed: ") + src_strerror(rc);
        return false;
    }
    out.resize(static_cast<size_t>(data.output_frames_gen));
    src_float_to_short_array(output.data(), out.data(), static_cast<int>(out.size()));
    return true;
}

bool readMonoAt(const std::string& path, int32_t rate, std::vector<int16_t>& out, std::string& error) {
    AudioData data;
    if (!readAudioFile(path, data, error)) return false;
    return convertRate(mixToMono(data.samples, data.channels), data.sampleRate, rate, out, error);
}

} // namespace lctune
