#pragma once
// Runs the effects processor's equaliser over the shared sample buffer at most once per captured
// block.
//
// The display tick analyses the buffer as it stands, and a new block arrives only every few ticks,
// so the same block is analysed two or three times. Equalising it in place on every one of those
// ticks would stack the band gains (+12 dB becoming +24 or +36 dB) and run the band filters,
// whose memory expects one continuous signal, over the block's start again. So the block is
// equalised once, on the first tick that analyses it; later ticks see the already equalised block.
//
// Whoever replaces the buffer calls newBlock(); the analysis's equaliser step calls equalise().
// User-interface thread only.

#include "dsp/clsDSP.h"

#include <cstdint>
#include <span>

namespace lctune {

class BlockEqualiser {
public:
    explicit BlockEqualiser(clsDSP& dsp) : dsp_(dsp) {}

    /// A new block (or the initial silence) has replaced the buffer.
    void newBlock() { fresh_ = true; }
    /// Equalises the buffer in place unless its block has been equalised already.
    void equalise(std::span<int16_t> buffer);

    /// True while the buffer holds a block not yet equalised.
    bool fresh() const { return fresh_; }
    /// How many blocks have been equalised.
    int64_t blocksEqualised() const { return blocksEqualised_; }

private:
    clsDSP& dsp_;
    bool fresh_ = false;
    int64_t blocksEqualised_ = 0;
};

} // namespace lctune
