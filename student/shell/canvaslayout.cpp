#include "canvaslayout.h"

#include "common/basic.h"

#include <cmath>

namespace shell {

int toPixels(double twips) { return int(std::floor(twips / kTwipsPerPixel)); }

CanvasLayout arrangeCanvas(const CanvasInput& in) {
    CanvasLayout out;
    const double W = in.W, H = in.H;
    out.frameLeft = 0;
    out.frameTop = 0;
    out.frameWidth = W <= kCanvasMinWidth ? kCanvasMinWidth : W + kCanvasOverhang;
    out.frameHeight = H <= kCanvasMinHeight ? kCanvasMinHeight : H + kCanvasOverhang;

    out.vScrollLeft = W - in.vScrollWidth - 140;
    out.vScrollHeight = in.vScrollHeight;
    if (H - in.hScrollHeight - 2000 > 0) out.vScrollHeight = H - in.hScrollHeight - 1185;
    out.hScrollTop = H - in.hScrollHeight - 690;
    out.hScrollWidth = W - in.vScrollWidth - 1650;

    const double wideExtent = out.frameWidth + out.frameLeft;
    if (W - 140 < wideExtent && out.frameWidth <= kCanvasMinWidth) {
        out.hScrollVisible = true;
        out.hScrollMax = 100 - int(basic::Int(100.0 * (W - 140) / wideExtent));
    }
    const double tallExtent = out.frameHeight + out.frameTop;
    if (H - 1200 < tallExtent && out.frameHeight <= kCanvasMinHeight) {
        out.vScrollVisible = true;
        out.vScrollMax = 100 - int(basic::Int(100.0 * (H - 1200) / tallExtent));
    }

    const bool narrow = out.frameWidth <= kCanvasMinWidth;
    out.fraLessonWidth = narrow ? kNarrowFrameWidth : W - 200;
    out.fraLessonHeight = in.fraLessonHeight;
    if (H - 1160 - in.fraScoreHeight > 0) {
        if (in.currentLesson != 0)
            out.fraLessonHeight = out.frameHeight <= kCanvasMinHeight ? kCanvasMinHeight
                                                                      : H - 1160 - in.fraScoreHeight;
        else
            out.fraLessonHeight = H - 1400;
    }
    out.fraScoreWidth = narrow ? kNarrowFrameWidth : W - 200;
    out.lessonListHeight = out.fraLessonHeight - 900;
    out.lessonListWidth = W - 2000;
    out.rightColumnLeft = W - 1700;
    return out;
}

double scrollOffset(int value, double extent) { return -(value / 100.0) * extent; }

} // namespace shell
