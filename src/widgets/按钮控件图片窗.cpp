#include "widgets/按钮控件图片窗.h"

#include <algorithm>

namespace lctune {

按钮控件图片窗& 按钮控件图片窗::instance() {
    static 按钮控件图片窗 store;
    return store;
}

void 按钮控件图片窗::按钮控件编号_写(int n) {
    for (auto [group, working] : {std::pair{&静态图备份, &静态图}, std::pair{&按下图备份, &按下图},
                                  std::pair{&失效图备份, &失效图}}) {
        Picture& slot = (*group)[n];
        slot.height = working->height;
        slot.image = working->image;
    }
}

void 按钮控件图片窗::按钮控件编号_读(int n) {
    // Heights first, then pictures, normal - disabled - pressed; a missing slot ends the copy at
    // that step, as a failed step would.
    const std::pair<std::map<int, Picture>*, Picture*> order[] = {
        {&静态图备份, &静态图}, {&失效图备份, &失效图}, {&按下图备份, &按下图}};
    for (const auto& [group, working] : order) {
        const auto found = group->find(n);
        if (found == group->end()) return;
        working->height = found->second.height;
    }
    for (const auto& [group, working] : order) {
        working->image = group->at(n).image;
    }
}

int 按钮控件图片窗::find(const std::string& key) const {
    const auto found = std::find(控件特征list.begin(), 控件特征list.end(), key);
    return found == 控件特征list.end() ? -1 : static_cast<int>(found - 控件特征list.begin());
}

void 按钮控件图片窗::clear() {
    控件特征list.clear();
    静态图备份.clear();
    按下图备份.clear();
    失效图备份.clear();
}

} // namespace lctune
