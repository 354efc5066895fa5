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
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(fourCC[i]));
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
    lastError_.clear();
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
    return createFile(path) ? kOk : kNoFile;
}

void EncoderWAV::fail(const std::string& what, int error) {
    lastError_ = what + ": " + std::strerror(error);
}

bool EncoderWAV::createFile(const std::string& path) {
    const std::string unseekable = "cannot record to " + path +
                                   ": it cannot seek (a pipe, a socket or a terminal), and a WAV file's "
                                   "sizes are written at its start";
    // Opening a pipe for writing would wait for a reader.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) {
        lastError_ = unseekable;
        return false;
    }
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666));
    if (!file) {
        fail("cannot create " + path, errno);
        return false;
    }
    const int fd = file.get();
    if (lseek(fd, 0, SEEK_CUR) < 0) {
        lastError_ = unseekable;
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file_ = std::move(file);
    path_ = path;
    fileEnd_ = 0;
    const std::vector<uint8_t> head = header(static_cast<uint32_t>(20 + formatRecord(output_).size()), 0);
    errno = ENOSPC; // what a write that stops short means
    if (writeAll(head.data(), static_cast<int64_t>(head.size())) != static_cast<int64_t>(head.size())) {
        fail("cannot write " + path, errno);
        // Nothing was recorded: a file of our making goes again (never a device such as /dev/full).
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
        file_.reset();
        path_.clear();
        return false;
    }
    fileEnd_ = static_cast<int64_t>(head.size());
    lastRefresh_ = std::chrono::steady_clock::now();
    return true;
}

// The 28 + L header bytes: RIFF with its size, WAVE, the fmt chunk, the data chunk's size.
std::vector<uint8_t> EncoderWAV::header(uint32_t riffSize, uint32_t dataSize) const {
    const std::vector<uint8_t> format = formatRecord(output_);
    std::vector<uint8_t> head;
    putText(head, "RIFF");
    put32(head, riffSize);
    putText(head, "WAVE");
    putText(head, "fmt ");
    put32(head, static_cast<uint32_t>(format.size()));
    head.insert(head.end(), format.begin(), format.end());
    putText(head, "data");
    put32(head, dataSize);
    return head;
}

// The sizes of what the file holds now, written in place; the write position stays at the end.
void EncoderWAV::refreshSizes() {
    const int64_t headerBytes = 28 + static_cast<int64_t>(formatRecord(output_).size());
    std::vector<uint8_t> riff, data;
    put32(riff, static_cast<uint32_t>(fileEnd_ - 8));
    put32(data, static_cast<uint32_t>(fileEnd_ - headerBytes));
    // A failure here changes nothing that close would not set right.
    const bool written = pwrite(file_.get(), riff.data(), 4, 4) == 4 &&
                         pwrite(file_.get(), data.data(), 4, headerBytes - 4) == 4;
    (void)written;
    lastRefresh_ = std::chrono::steady_clock::now();
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
    if (file_ && produced > 0) {
        // Audio is only ever appended, so the end is tracked here rather than asked of the file
        // system for every block; the header is rewritten at close from the real size.
        if (fileEnd_ + produced > kMaxFileBytes) {
            used = 0;
            return kWriteFailed;
        }
        errno = ENOSPC; // what a write that stops short means
        written = writeAll(destinationBuffer_.data(), produced);
        if (written == produced) {
            fileEnd_ += produced;
            if (std::chrono::steady_clock::now() - lastRefresh_ >= kSizeRefresh) refreshSizes();
        } else {
            fail("cannot write " + path_, errno);
            // A short write (a full disk) would leave part of a sample frame behind; cut it off
            // so the file ends on whole frames.
            if (ftruncate(file_.get(), fileEnd_) == 0) lseek(file_.get(), fileEnd_, SEEK_SET);
        }
    }
    used = sourceUsed;
    return written == produced ? kOk : kWriteFailed;
}

int32_t EncoderWAV::Encoder_EncoderClose() {
    if (!file_) {
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
    file_.reset();
    path_.clear();
    return kOk;
}

void EncoderWAV::releaseStream() {
    sourceCapacity_ = 0;
    if (!converter_->isOpen()) return;
    converter_->unprepare();
    converter_->close();
}

// The sizes from the real file size. A data chunk of odd length is followed by a pad byte, which
// the RIFF size counts and the data size does not.
void EncoderWAV::writeFinalHeader() {
    const int64_t headerBytes = 28 + static_cast<int64_t>(formatRecord(output_).size());
    int64_t size = fileSize(file_.get());
    if (size < 0) return;
    const int64_t dataBytes = std::max<int64_t>(0, size - headerBytes);
    if (dataBytes % 2 == 1 && lseek(file_.get(), size, SEEK_SET) == size) {
        const uint8_t pad = 0;
        if (writeAll(&pad, 1) == 1) ++size;
    }
    if (lseek(file_.get(), 0, SEEK_SET) != 0) return;
    const std::vector<uint8_t> head =
        header(static_cast<uint32_t>(size - 8), static_cast<uint32_t>(dataBytes));
    writeAll(head.data(), static_cast<int64_t>(head.size()));
}

int64_t EncoderWAV::writeAll(const uint8_t* data, int64_t length) {
    int64_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(file_.get(), data + done, static_cast<size_t>(length - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += n;
    }
    return done;
}

} // namespace lctune
