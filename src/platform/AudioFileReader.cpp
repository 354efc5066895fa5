#include "platform/AudioFileReader.h"

#include "core/Numbers.h"

#include <cstring>
#include <fstream>
#include <sndfile.h>
#include <sys/stat.h>

namespace lctune {

namespace {

uint32_t le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// libsndfile refuses a WAV header whose rate or channel count is 0 with "Internal error"; this
// finds such a header so the message can say what is wrong. Empty for anything else.
std::string emptyWavFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[12] = {};
    if (!in.read(reinterpret_cast<char*>(head), 12)) return {};
    if ((std::memcmp(head, "RIFF", 4) != 0 && std::memcmp(head, "RF64", 4) != 0) ||
        std::memcmp(head + 8, "WAVE", 4) != 0)
        return {};
    unsigned char chunk[8] = {};
    for (int i = 0; i < 64 && in.read(reinterpret_cast<char*>(chunk), 8); ++i) {
        const uint32_t size = le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) != 0) {
            in.seekg(size + (size & 1), std::ios::cur);
            continue;
        }
        unsigned char fmt[8] = {};
        if (size < 8 || !in.read(reinterpret_cast<char*>(fmt), 8)) return {};
        if ((fmt[2] | fmt[3] << 8) == 0) return "the header gives no channels";
        if (le32(fmt + 4) == 0) return "the header gives a sample rate of 0";
        return {};
    }
    return {};
}

} // namespace

void AudioFileReader::FileCloser::operator()(void* file) const {
    sf_close(static_cast<SNDFILE*>(file));
}

AudioFileReader::AudioFileReader() = default;
AudioFileReader::~AudioFileReader() = default;

bool AudioFileReader::fail(const std::string& why) {
    file_.reset();
    error_ = path_ + ": " + why;
    return false;
}

bool AudioFileReader::open(const std::string& path) {
    file_.reset();
    path_ = path;
    error_.clear();
    sampleRate_ = channels_ = 0;
    frames_ = 0;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return fail("is a directory");
    SF_INFO info{};
    file_.reset(sf_open(path.c_str(), SFM_READ, &info));
    if (!file_) {
        const std::string empty = emptyWavFormat(path);
        return fail(empty.empty() ? sf_strerror(nullptr) : empty);
    }
    if (info.samplerate <= 0)
        return fail("the header gives a sample rate of " + std::to_string(info.samplerate));
    if (info.channels <= 0) return fail("the header gives no channels");
    sampleRate_ = info.samplerate;
    channels_ = info.channels;
    frames_ = info.frames;
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    floatingPoint_ = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
    return true;
}

int64_t AudioFileReader::read(int16_t* out, int64_t frames) {
    if (!file_) return -1;
    SNDFILE* file = static_cast<SNDFILE*>(file_.get());
    sf_count_t got = 0;
    if (floatingPoint_) {
        // libsndfile would round these to 16 bits unscaled (every sample of a normalised file to 0),
        // or scale them by the file's own peak; full scale is 32768, as 16-bit audio has it.
        real_.resize(static_cast<size_t>(frames * channels_));
        got = sf_readf_double(file, real_.data(), frames);
        for (size_t i = 0; i < static_cast<size_t>(got * channels_); ++i)
            out[i] = clip16(real_[i] * 32768.0);
    } else {
        got = sf_readf_short(file, out, frames);
    }
    if (got < frames && sf_error(file) != SF_ERR_NO_ERROR) {
        error_ = path_ + ": " + sf_strerror(file);
        return -1;
    }
    return got;
}

} // namespace lctune
