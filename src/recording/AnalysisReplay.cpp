#include "recording/AnalysisReplay.h"

namespace lctune {

AnalysisReplay::AnalysisReplay(const TunerSettingsView& settings, std::optional<EqualiserGains> equaliser,
                               RowSink rows)
    : noDevices_(makeNoAudio()), hub_(*noDevices_.waveIn, *noDevices_.mixers, loop_, boxes_, flags_),
      analysis_(settings, picture2_, flags_), rows_(std::move(rows)),
      replay_(
          [this](std::span<const int16_t> block) {
              hub_.onBlock(block, static_cast<int32_t>(block.size() * 2));
          },
          [this](int64_t tick) {
              hub_.tick();
              if (rows_) rows_(snapshot(analysis_, tick));
          }) {
    flags_.tunerActive = true;
    hub_.setTuner(&analysis_);
    if (equaliser) {
        flags_.eqEnabled = true;
        flags_.eqFlat = true;
        for (int32_t i = 0; i < 7; ++i) {
            const float gain = (*equaliser)[static_cast<size_t>(i)];
            hub_.effects().EqualizerBandGainDB(i, gain);
            if (gain != 0) flags_.eqFlat = false;
        }
    }
    pending_.reserve(TunerReplay::kBlockSamples);
}

void AnalysisReplay::feed(std::span<const int16_t> samples) {
    while (!samples.empty()) {
        const size_t take = std::min(samples.size(), TunerReplay::kBlockSamples - pending_.size());
        pending_.insert(pending_.end(), samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(take));
        samples = samples.subspan(take);
        if (pending_.size() == TunerReplay::kBlockSamples) {
            replay_.feed(pending_);
            pending_.clear();
        }
    }
}

void AnalysisReplay::finish() {
    replay_.finish();
    pending_.clear();
}

void AnalysisReplay::run(std::span<const int16_t> samples) {
    feed(samples);
    finish();
}

} // namespace lctune
