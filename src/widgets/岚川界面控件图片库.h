#pragma once
// The shared pictures of the adjustable bar: its downward knob and the white arrows with their
// grey shadows, all on black, which is their transparent colour. One instance is created the first
// time a widget draws from it and lives until the program ends.

#include <QImage>

namespace lctune {

class 岚川界面控件图片库 {
public:
    static 岚川界面控件图片库& instance();

    /// Each picture at the given device scale; its logical size is as named in pixels.
    const QImage& 向下调节块图(int scale) const;   // 9 x 18
    const QImage& 左方向白色图片(int scale) const; // 10 x 11
    const QImage& 左方向黑色图片(int scale) const;
    const QImage& 右方向白色图片(int scale) const;
    const QImage& 右方向黑色图片(int scale) const;

    岚川界面控件图片库(const 岚川界面控件图片库&) = delete;
    岚川界面控件图片库& operator=(const 岚川界面控件图片库&) = delete;

private:
    岚川界面控件图片库() = default;
};

} // namespace lctune
