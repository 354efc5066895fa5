#include "recording/EncoderWAV.h"

#include "core/Numbers.h"
#include "platform/LinearPcmConverter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lctune {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putText(std::vector<uint8_t>& out, const char* fourCC) {
    out.insert(out.end(), fourCC, fourCC + 4);
}

int64_t fileSize(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

} // namespace

EncoderWAV::EncoderWAV(const WaveFormat& output, const AppFlags& flags,
                       std::unique_ptr<PcmConverter> converter)
    : output_(output), flags_(flags),
      converter_(converter ? std::move(converter) : std::make_unique<LinearPcmConverter>()) {}

EncoderWAV::~EncoderWAV() {
    Encoder_EncoderClose();
}

WaveFormat EncoderWAV::outputFormatFromSettings(const std::string& sampleRateText, int32_t stereoValue,
                                                bool bits16) {
    int32_t rate = roundToInt32(leadingNumber(sampleRateText));
    if (rate == 0) rate = 48000;
    const uint16_t channels = stereoValue == 1 ? 2 : 1;
    return WaveFormat::pcm(static_cast<uint32_t>(rate), channels, bits16 ? 16 : 8);
}

std::vector<uint8_t> EncoderWAV::formatRecord(const WaveFormat& f) {
    std::vector<uint8_t> out;
    put16(out, f.formatTag);
    put16(out, f.channels);
    put32(out, f.samplesPerSec);
    put32(out, f.avgBytesPerSec);
    put16(out, f.blockAlign);
    put16(out, f.bitsPerSample);
    put16(out, f.extraSize);
    return out;
}

int32_t EncoderWAV::Encoder_EncoderInit(int32_t rate, int16_t channels, const std::string& path) {
    Encoder_EncoderClose();
    if (rate < 1 || channels < 1) return kBadFormat;
    source_ = WaveFormat::pcm(static_cast<uint32_t>(rate), static_cast<uint16_t>(channels), 16);
    if (!converter_->open(source_, output_)) return kBadFormat;
    // One second of capture; a rate so high that this overflows is no rate a device offers.
    const int64_t sourceBytes = static_cast<int64_t>(source_.blockAlign) * rate;
    int32_t destinationBytes = 0;
    if (sourceBytes > INT32_MAX || !converter_->size(static_cast<int32_t>(sourceBytes), destinationBytes)) {
        converter_->close();
        return kBadFormat;
    }
    sourceCapacity_ = static_cast<int32_t>(sourceBytes);
    destinationBuffer_.assign(static_cast<size_t>(destinationBytes), 0);
    if (!converter_->prepare()) {
        converter_->close();
        return kBadFormat;
    }
    if (flags_.tunerActive) return kOk;

    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return kNoFile;
    fd_ = fd;
    path_ = path;
    const std::vector<uint8_t> placeholder(28 + formatRecord(output_).size(), 0);
    fileEnd_ = std::max<int64_t>(0, writeAll(placeholder.data(), static_cast<int64_t>(placeholder.size())));
    return kOk;
}

int32_t EncoderWAV::Encoder_Encode(const void* data, int32_t length, int32_t& used) {
    if (length > sourceCapacity_) return kBlockTooLong;
    if (length < 0 || !converter_->isOpen()) {
        used = 0;
        return kConvertFailed;
    }
    // The converter reads the caller's block in place: the conversion is synchronous, so the
    // block cannot change under it, and one copy less keeps the writer close to a plain write.
    int32_t sourceUsed = 0, produced = 0;
    if (!converter_->convert(static_cast<const uint8_t*>(data), length, destinationBuffer_.data(),
                             static_cast<int32_t>(destinationBuffer_.size()), false, sourceUsed, produced)) {
        used = sourceUsed;
        return sourceUsed == 0 ? kConvertFailed : kOk;
    }
    int64_t written = 0;
    if (fd_ >= 0 && produced > 0) {
        // Audio is only ever appended, so the end is tracked here rather than asked of the file
        // system for every block; the header is rewritten at close from the real size.
        if (fileEnd_ + produced > kMaxFileBytes) {
            used = 0;
            return kWriteFailed;
        }
        written = writeAll(destinationBuffer_.data(), produced);
        if (written == produced) {
            fileEnd_ += produced;
        } else if (ftruncate(fd_, fileEnd_) == 0) {
            // A short write (a full disk) would leave part of a sample frame behind; cut it off
            // so the file ends on whole frames.
            lseek(fd_, fileEnd_, SEEK_SET);
        }
    }
    used = sourceUsed;
    return written == produced ? kOk : kWriteFailed;
}

int32_t EncoderWAV::Encoder_EncoderClose() {
    if (fd_ < 0) {
        releaseStream();
        return kNoFile;
    }
    int32_t sourceUsed = 0, produced = 0;
    if (converter_->isOpen() &&
        converter_->convert(nullptr, 0, destinationBuffer_.data(),
                            static_cast<int32_t>(destinationBuffer_.size()), true, sourceUsed, produced) &&
        produced > 0) {
        if (fileEnd_ + produced <= kMaxFileBytes) writeAll(destinationBuffer_.data(), produced);
    }
    writeFinalHeader();
    releaseStream();
    ::close(fd_);
    fd_ = -1;
    path_.clear();
    return kOk;
}

void EncoderWAV::releaseStream() {
    sourceCapacity_ = 0;
    if (!converter_->isOpen()) return;
    converter_->unprepare();
    converter_->close();
}

void EncoderWAV::writeFinalHeader() {
    const std::vector<uint8_t> format = formatRecord(output_);
    const int64_t size = fileSize(fd_);
    if (size < 0 || lseek(fd_, 0, SEEK_SET) != 0) return;
    std::vector<uint8_t> head;
    putText(head, "RIFF");
    put32(head, static_cast<uint32_t>(size - 8));
    putText(head, "WAVE");
    putText(head, "fmt ");
    put32(head, static_cast<uint32_t>(format.size()));
    head.insert(head.end(), format.begin(), format.end());
    putText(head, "data");
    writeAll(head.data(), static_cast<int64_t>(head.size()));
    const int64_t sizeNow = fileSize(fd_);
    const int64_t position = lseek(fd_, 0, SEEK_CUR);
    std::vector<uint8_t> dataLength;
    put32(dataLength, static_cast<uint32_t>(std::max<int64_t>(0, sizeNow - position - 4)));
    writeAll(dataLength.data(), 4);
}

int64_t EncoderWAV::writeAll(const uint8_t* data, int64_t length) {
    int64_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd_, data + done, static_cast<size_t>(length - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += n;
    }
    return done;
}

} // namespace lctune
