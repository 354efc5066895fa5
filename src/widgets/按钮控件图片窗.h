#pragma once
// The shared cache of rendered push-button faces. Three working pictures receive a fresh render;
// numbered slots keep every rendered set, and 控件特征list holds the appearance key of slot n at
// position n. Created on first use, lives until the program ends, never saved.

#include <QImage>

#include <map>
#include <string>
#include <vector>

namespace lctune {

class 按钮控件图片窗 {
public:
    /// A picture holder: its height in pixels and its picture.
    struct Picture {
        int height = 0;
        QImage image;
    };

    static 按钮控件图片窗& instance();

    Picture 静态图;
    Picture 按下图;
    Picture 失效图;
    std::vector<std::string> 控件特征list;

    /// Stores the three working pictures as slot n, creating the slot when it does not exist.
    void 按钮控件编号_写(int n);
    /// Copies slot n back into the working pictures; a slot that was never written leaves them as
    /// they are and reports nothing.
    void 按钮控件编号_读(int n);

    /// Position of `key` in 控件特征list, or -1.
    int find(const std::string& key) const;
    /// Empties the list and the slots (the program never does; tests start from a clean store).
    void clear();

    按钮控件图片窗(const 按钮控件图片窗&) = delete;
    按钮控件图片窗& operator=(const 按钮控件图片窗&) = delete;

private:
    按钮控件图片窗() = default;

    std::map<int, Picture> 静态图备份;
    std::map<int, Picture> 按下图备份;
    std::map<int, Picture> 失效图备份;
};

} // namespace lctune
