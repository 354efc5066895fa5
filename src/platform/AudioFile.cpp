#include "platform/AudioFile.h"

#include "core/Numbers.h"
#include "platform/AudioFileReader.h"
#include "platform/MonoStream.h"

#include <algorithm>
#include <samplerate.h>

namespace lctune {

bool readAudioFile(const std::string& path, AudioData& out, std::string& error) {
    AudioFileReader reader;
    if (!reader.open(path)) {
        error = reader.error();
        return false;
    }
    out.sampleRate = reader.sampleRate();
    out.channels = reader.channels();
    out.samples.clear();
    // Read in pieces: some formats do not know their length in advance.
    const int64_t piece = 65536;
    std::vector<int16_t> chunk(static_cast<size_t>(piece * reader.channels()));
    for (;;) {
        const int64_t got = reader.read(chunk.data(), piece);
        if (got < 0) {
            error = reader.error();
            return false;
        }
        if (got == 0) return true;
        out.samples.insert(out.samples.end(), chunk.begin(), chunk.begin() + got * reader.channels());
    }
}

std::vector<int16_t> mixToMono(const std::vector<int16_t>& interleaved, int32_t channels) {
    if (channels <= 1) return interleaved;
    std::vector<int16_t> mono(interleaved.size() / static_cast<size_t>(channels));
    mixToMono(interleaved, channels, mono);
    return mono;
}

void mixToMono(std::span<const int16_t> interleaved, int32_t channels, std::span<int16_t> mono) {
    if (channels <= 1) {
        std::copy_n(interleaved.begin(), std::min(interleaved.size(), mono.size()), mono.begin());
        return;
    }
    const size_t frames = std::min(mono.size(), interleaved.size() / static_cast<size_t>(channels));
    for (size_t f = 0; f < frames; ++f) {
        int64_t sum = 0;
        for (int32_t c = 0; c < channels; ++c)
            sum += interleaved[f * static_cast<size_t>(channels) + static_cast<size_t>(c)];
        mono[f] = clip16(static_cast<double>(sum) / channels);
    }
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
    MonoStream stream;
    out.clear();
    if (!stream.open(path, rate)) {
        error = stream.error();
        return false;
    }
    for (auto piece = stream.next(); !piece.empty(); piece = stream.next())
        out.insert(out.end(), piece.begin(), piece.end());
    if (stream.failed()) error = stream.error();
    return !stream.failed();
}

} // namespace lctune
