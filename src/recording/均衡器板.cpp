#include "recording/均衡器板.h"

#include "core/Colors.h"
#include "platform/ScreenMetrics.h"
#include "platform/qt/PictureBox.h"
#include "recording/EqualiserCurve.h"
#include "widgets/LCButton.h"
#include "widgets/直滑电位器.h"

#include <QLabel>

#include <cmath>

namespace lctune {

namespace {
constexpr int kFaderTop = 26;
constexpr double kFaderWidthTwips = 285;
constexpr int kLabelWidth = 38;
constexpr QRect kCurve{400, 26, 232, 128};
} // namespace

均衡器板::均衡器板(QWidget* parent, clsDSP& effects, AppFlags& flags)
    : QGroupBox(QString::fromUtf8("均衡器："), parent), effects_(effects), flags_(flags) {
    lbl12DB = new QLabel(QString::fromUtf8("[-12;12] dB"), this);
    picEQAmp = new PictureBox(kCurve.width(), kCurve.height(), rgb(24, 31, 44), this);
    picEQAmp->move(kCurve.topLeft());
    均衡器复位 = new LCButton(this);
    均衡器复位->Caption("复位");
    均衡器复位->Click.connect([this] { reset(); });
    addBand(0);
}

// Fader i and its label; the label sits under the fader.
void 均衡器板::addBand(int32_t index) {
    auto* fader = new 直滑电位器(this);
    fader->Min(-12);
    fader->max(12);
    fader->Value(0);
    fader->move(0, kFaderTop);
    fader->Change.connect([this, index] { sldEQ_Change(index); });
    auto* label = new QLabel(this);
    QFont small = label->font();
    small.setPixelSize(10);
    label->setFont(small);
    label->resize(kLabelWidth, 16);
    sldEQ.push_back(fader);
    lblEQID.push_back(label);
}

void 均衡器板::build() {
    const int32_t n = effects_.EqualizerBands();
    const double p = ScreenMetrics::current().twipsPerPixelX();
    const auto px = [p](double twips) { return static_cast<int>(std::lround(twips / p)); };
    const double panelWidth = width() * p;
    const int labelTop = kFaderTop + sldEQ[0]->height() + 4;

    // Fader 0 one fader's width plus a band's share of the panel from the left; each next one
    // a fader's width and 20 pixels on.
    double left = kFaderWidthTwips + panelWidth / n;
    sldEQ[0]->move(px(left), kFaderTop);
    lblEQID[0]->move(px(left + 5 * p), labelTop);
    if (sldEQ.size() == 1) {
        for (int32_t i = 1; i < n; ++i) {
            addBand(i);
            left += kFaderWidthTwips + 20 * p;
            sldEQ[static_cast<size_t>(i)]->move(px(left), kFaderTop);
            lblEQID[static_cast<size_t>(i)]->move(px(left + 8 * p), labelTop);
            sldEQ[static_cast<size_t>(i)]->show();
            lblEQID[static_cast<size_t>(i)]->show();
        }
    }
    for (int32_t i = 0; i < n && i < static_cast<int32_t>(sldEQ.size()); ++i) {
        sldEQ[static_cast<size_t>(i)]->Value(effects_.EqualizerBandGainDB(i));
        lblEQID[static_cast<size_t>(i)]->setText(
            QString::fromStdString(equaliserBandLabel(effects_.EqualizerBandFrequency(i))));
    }
    lbl12DB->setGeometry(kCurve.left(), 4, kCurve.width(), 18);
    lbl12DB->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    均衡器复位->setGeometry(kCurve.left() + kCurve.width() - 90, kCurve.bottom() + 10, 90, 28);
    redrawCurves();
}

void 均衡器板::sldEQ_Change(int32_t index) {
    flags_.eqFlat = true;
    for (直滑电位器* fader : sldEQ)
        if (fader->Value() != 0) flags_.eqFlat = false;
    effects_.EqualizerBandGainDB(index, sldEQ[static_cast<size_t>(index)]->Value());
    redrawCurves();
}

void 均衡器板::reset() {
    for (直滑电位器* fader : sldEQ)
        fader->Value(0);
}

void 均衡器板::绘均衡曲线(PictureBox& picture) const {
    std::array<float, kBands> values{};
    for (size_t i = 0; i < values.size() && i < sldEQ.size(); ++i)
        values[i] = sldEQ[i]->Value();
    lctune::绘均衡曲线(picture.surface(), values, sldEQ[0]->max());
    picture.refresh();
}

void 均衡器板::addCurve(PictureBox* picture) {
    otherCurves_.push_back(picture);
    绘均衡曲线(*picture);
}

void 均衡器板::redrawCurves() {
    绘均衡曲线(*picEQAmp);
    for (PictureBox* other : otherCurves_)
        绘均衡曲线(*other);
}

} // namespace lctune
