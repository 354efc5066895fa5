#pragma once
// The audio-mixer service as capture uses it: a device's mixer has destinations, the recording
// destination (component type 7) has source lines, a single-select control whose items run in
// the opposite order to the sources, and per-line volumes with one value per channel in the
// range 0..65535. User-interface thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lctune {

namespace mixer {
inline constexpr int32_t kDstWaveIn = 7;
inline constexpr int32_t kSrcUndefined = 0x1000;
inline constexpr int32_t kSrcDigital = 0x1001;
inline constexpr int32_t kSrcLine = 0x1002;
inline constexpr int32_t kSrcMicrophone = 0x1003;
inline constexpr int32_t kSrcSynthesizer = 0x1004;
inline constexpr int32_t kSrcCompactDisc = 0x1005;
inline constexpr int32_t kSrcTelephone = 0x1006;
inline constexpr int32_t kSrcPcSpeaker = 0x1007;
inline constexpr int32_t kSrcWaveOut = 0x1008;
inline constexpr int32_t kSrcAuxiliary = 0x1009;
inline constexpr int32_t kSrcAnalog = 0x100A;
inline constexpr int32_t kVolumeMax = 65535;
} // namespace mixer

struct MixerLineInfo {
    int32_t destination = 0;   ///< index of the destination the line belongs to
    int32_t componentType = 0; ///< mixer::kDst… or mixer::kSrc…
    int32_t connections = 0;   ///< number of source lines (destinations only)
    int32_t channels = 0;
    std::string name;
};

/// One open mixer. Every call reports failure by returning false.
class AudioMixer {
public:
    virtual ~AudioMixer() = default;
    virtual int32_t destinationCount() = 0;
    virtual bool destination(int32_t index, MixerLineInfo& info) = 0;
    virtual bool source(int32_t destination, int32_t index, MixerLineInfo& info) = 0;
    /// The destination's single-select control: its number of items.
    virtual bool muxItems(int32_t destination, int32_t& items) = 0;
    /// One value per item, 1 = selected.
    virtual bool readMux(int32_t destination, std::vector<int32_t>& values) = 0;
    virtual bool writeMux(int32_t destination, const std::vector<int32_t>& values) = 0;
    /// The line's volume, one value per channel (two at most); false when it has no volume control.
    virtual bool readVolume(int32_t destination, int32_t source, std::vector<int32_t>& values) = 0;
    virtual bool writeVolume(int32_t destination, int32_t source, const std::vector<int32_t>& values) = 0;
};

class MixerService {
public:
    virtual ~MixerService() = default;
    /// The mixer of wave-input device `device`; null when it has none that opens.
    virtual std::unique_ptr<AudioMixer> openForWaveIn(int32_t device) = 0;
};

} // namespace lctune
