#include "dsp/BlockEqualiser.h"

namespace lctune {

void BlockEqualiser::equalise(std::span<int16_t> buffer) {
    if (!fresh_) return;
    fresh_ = false;
    dsp_.均衡处理子程序(buffer);
    ++blocksEqualised_;
}

} // namespace lctune
