#pragma once
// The tuner window's detector controls as the analysis reads them. The window supplies a view
// onto its sliders and check boxes; tools and tests use the plain values.

#include <cstdint>

namespace lctune {

class TunerSettingsView {
public:
    virtual ~TunerSettingsView() = default;
    /// Tick divider N: analyse once every N display ticks (slider 1–25).
    virtual int32_t 多少帧显示一次() const = 0;
    /// Lock threshold p in percent (slider 1–100).
    virtual int32_t 锁定音量百分值() const = 0;
    /// Schmitt-trigger threshold q in percent of the peaks (slider 0–100).
    virtual int32_t 施密特百分比() const = 0;
    /// Low-pass coefficient in hundredths (slider 1–100).
    virtual int32_t 滤波系数调节() const = 0;
    /// Check boxes, true when checked (value 1).
    virtual bool 滤波() const = 0;
    virtual bool 放大() const = 0;
    virtual bool 连续() const = 0;
};

/// The controls as plain values, with the window's values at start.
struct TunerSettings final : TunerSettingsView {
    int32_t divider = 1;
    int32_t lockPercent = 20;
    int32_t schmittPercent = 66;
    int32_t filterCoefficient = 50;
    bool filter = true;
    bool amplify = true;
    bool continuous = false;

    int32_t 多少帧显示一次() const override { return divider; }
    int32_t 锁定音量百分值() const override { return lockPercent; }
    int32_t 施密特百分比() const override { return schmittPercent; }
    int32_t 滤波系数调节() const override { return filterCoefficient; }
    bool 滤波() const override { return filter; }
    bool 放大() const override { return amplify; }
    bool 连续() const override { return continuous; }
};

} // namespace lctune
