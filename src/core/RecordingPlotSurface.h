#pragma once
// A surface that records every primitive in order, with the scale in force when it was drawn.
// Tests compare the record with hand-computed primitives.

#include "core/PlotSurface.h"

#include <cstdint>
#include <vector>

namespace lctune {

struct PlotOp {
    enum class Kind { Clear, MoveTo, LineTo, Line, Rectangle, FillRect, Point };
    Kind kind;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t color = 0;
    double scaleWidth = 0, scaleHeight = 0;

    bool operator==(const PlotOp&) const = default;
};

class RecordingPlotSurface final : public PlotSurface {
public:
    RecordingPlotSurface(int32_t pixelWidth = 300, int32_t pixelHeight = 100)
        : PlotSurface(pixelWidth, pixelHeight) {}

    const std::vector<PlotOp>& ops() const { return ops_; }
    /// Forgets the record (keeps its storage, so a long run does not reallocate).
    void forget() { ops_.clear(); }

    void clear() override { add(PlotOp::Kind::Clear, 0, 0, 0, 0, backColor()); }
    void moveTo(double x, double y) override {
        add(PlotOp::Kind::MoveTo, x, y, x, y, drawColor());
        curX_ = x, curY_ = y;
    }
    void lineTo(double x, double y) override {
        add(PlotOp::Kind::LineTo, curX_, curY_, x, y, drawColor());
        curX_ = x, curY_ = y;
    }
    void line(double x1, double y1, double x2, double y2, uint32_t color) override {
        add(PlotOp::Kind::Line, x1, y1, x2, y2, color);
        curX_ = x2, curY_ = y2;
    }
    void rectangle(double x1, double y1, double x2, double y2, uint32_t color) override {
        add(PlotOp::Kind::Rectangle, x1, y1, x2, y2, color);
    }
    void fillRect(double x1, double y1, double x2, double y2, uint32_t color) override {
        add(PlotOp::Kind::FillRect, x1, y1, x2, y2, color);
    }
    void point(double x, double y, uint32_t color) override {
        add(PlotOp::Kind::Point, x, y, x, y, color);
        curX_ = x, curY_ = y;
    }

private:
    void add(PlotOp::Kind kind, double x1, double y1, double x2, double y2, uint32_t color) {
        ops_.push_back(PlotOp{kind, x1, y1, x2, y2, color, scaleWidth(), scaleHeight()});
    }

    std::vector<PlotOp> ops_;
    double curX_ = 0, curY_ = 0;
};

} // namespace lctune
