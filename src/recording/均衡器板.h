#pragma once
// The equaliser panel of the recording window: one vertical fader per band of the effects
// processor, the band's centre frequency under each, a reset button and the response curve.
// Moving a fader sets that band's gain at once and redraws the curve here and in every other
// picture given (the tuner window's). User-interface thread only.

#include "core/AppFlags.h"
#include "dsp/clsDSP.h"

#include <QGroupBox>

#include <array>
#include <functional>
#include <vector>

class QLabel;

namespace lctune {

class LCButton;
class PictureBox;
class 直滑电位器;

class 均衡器板 : public QGroupBox {
public:
    static constexpr int32_t kBands = 7;

    均衡器板(QWidget* parent, clsDSP& effects, AppFlags& flags);

    /// Lays out the faders and labels (the first build creates faders 1 … 6), loads the
    /// processor's gains into the faders, labels the frequencies and redraws the curves. Runs at
    /// load and after every sample-rate choice, since the band frequencies follow the rate.
    void build();
    /// A fader moved: eqFlat follows all bands, the band's gain is set, the curves are redrawn.
    void sldEQ_Change(int32_t index);
    /// Sets every band to 0, band 0 first.
    void reset();
    /// Draws the curve into `picture`.
    void 绘均衡曲线(PictureBox& picture) const;
    /// Draws both curves: this panel's, then the others (the tuner window's).
    void redrawCurves();
    /// Another picture that shows the same curve, drawn at once.
    void addCurve(PictureBox* picture);

    std::vector<直滑电位器*> sldEQ;
    std::vector<QLabel*> lblEQID;
    PictureBox* picEQAmp = nullptr;
    LCButton* 均衡器复位 = nullptr;
    QLabel* lbl12DB = nullptr;

private:
    void addBand(int32_t index);

    clsDSP& effects_;
    AppFlags& flags_;
    std::vector<PictureBox*> otherCurves_;
};

} // namespace lctune
