#include "platform/MonoStream.h"

#include "platform/AudioFile.h"

#include <samplerate.h>

namespace lctune {

void MonoStream::ConverterDeleter::operator()(void* state) const {
    src_delete(static_cast<SRC_STATE*>(state));
}

MonoStream::MonoStream() = default;
MonoStream::~MonoStream() = default;

bool MonoStream::open(const std::string& path, int32_t rate) {
    converter_.reset();
    error_.clear();
    samples_ = 0;
    inUsed_ = inCount_ = 0;
    inputEnded_ = false;
    done_ = true;
    if (!reader_.open(path)) {
        error_ = reader_.error();
        return false;
    }
    const int32_t fileRate = reader_.sampleRate();
    frames_.resize(static_cast<size_t>(kReadFrames * reader_.channels()));
    mono_.resize(static_cast<size_t>(kReadFrames));
    if (rate != fileRate) {
        ratio_ = static_cast<double>(rate) / fileRate;
        if (rate <= 0 || !src_is_valid_ratio(ratio_)) {
            error_ = path + ": cannot convert from " + std::to_string(fileRate) + " to " +
                     std::to_string(rate) + " samples per second";
            return false;
        }
        int rc = 0;
        converter_.reset(src_new(SRC_SINC_BEST_QUALITY, 1, &rc));
        if (!converter_) {
            error_ = path + ": sample-rate conversion failed: " + src_strerror(rc);
            return false;
        }
        in_.resize(static_cast<size_t>(kReadFrames));
        out_.resize(static_cast<size_t>(kReadFrames));
    }
    done_ = false;
    return true;
}

int64_t MonoStream::readMono() {
    const int64_t got = reader_.read(frames_.data(), kReadFrames);
    if (got < 0) {
        error_ = reader_.error();
        return -1;
    }
    const size_t n = static_cast<size_t>(got);
    mixToMono(std::span<const int16_t>(frames_.data(), n * static_cast<size_t>(reader_.channels())),
              reader_.channels(), std::span<int16_t>(mono_.data(), n));
    return got;
}

std::span<const int16_t> MonoStream::hand(size_t count) {
    samples_ += static_cast<int64_t>(count);
    return std::span<const int16_t>(mono_.data(), count);
}

std::span<const int16_t> MonoStream::next() {
    if (done_) return {};
    if (converter_) return convertNext();
    const int64_t got = readMono();
    if (got <= 0) {
        done_ = true;
        return {};
    }
    return hand(static_cast<size_t>(got));
}

// The converter keeps what it needs between calls; the input is handed over as it is decoded and
// the end of the recording is said once all of it has gone in, so the samples come out exactly as
// one call over the whole recording gives them.
std::span<const int16_t> MonoStream::convertNext() {
    for (;;) {
        if (inUsed_ == inCount_ && !inputEnded_) {
            const int64_t got = readMono();
            if (got < 0) {
                done_ = true;
                return {};
            }
            inputEnded_ = got == 0;
            inCount_ = static_cast<size_t>(got);
            inUsed_ = 0;
            src_short_to_float_array(mono_.data(), in_.data(), static_cast<int>(got));
        }
        SRC_DATA data{};
        data.data_in = in_.data() + inUsed_; // never null: the converter ends only on real input
        data.input_frames = static_cast<long>(inCount_ - inUsed_);
        data.data_out = out_.data();
        data.output_frames = static_cast<long>(out_.size());
        data.src_ratio = ratio_;
        data.end_of_input = inputEnded_ ? 1 : 0;
        const int rc = src_process(static_cast<SRC_STATE*>(converter_.get()), &data);
        if (rc != 0) {
            error_ = reader_.path() + ": sample-rate conversion failed: " + src_strerror(rc);
            done_ = true;
            return {};
        }
        inUsed_ += static_cast<size_t>(data.input_frames_used);
        if (data.output_frames_gen > 0) {
            src_float_to_short_array(out_.data(), mono_.data(), static_cast<int>(data.output_frames_gen));
            return hand(static_cast<size_t>(data.output_frames_gen));
        }
        if (inputEnded_) {
            done_ = true;
            return {};
        }
    }
}

} // namespace lctune
