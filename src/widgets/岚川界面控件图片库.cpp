#include "widgets/岚川界面控件图片库.h"

#include "widgets/WidgetArtwork.h"

namespace lctune {

岚川界面控件图片库& 岚川界面控件图片库::instance() {
    static 岚川界面控件图片库 library;
    return library;
}

const QImage& 岚川界面控件图片库::向下调节块图(int scale) const {
    return artwork::knobDown(scale);
}
const QImage& 岚川界面控件图片库::左方向白色图片(int scale) const {
    return artwork::arrow(artwork::Arrow::LeftWhite, scale);
}
const QImage& 岚川界面控件图片库::左方向黑色图片(int scale) const {
    return artwork::arrow(artwork::Arrow::LeftGrey, scale);
}
const QImage& 岚川界面控件图片库::右方向白色图片(int scale) const {
    return artwork::arrow(artwork::Arrow::RightWhite, scale);
}
const QImage& 岚川界面控件图片库::右方向黑色图片(int scale) const {
    return artwork::arrow(artwork::Arrow::RightGrey, scale);
}

} // namespace lctune
