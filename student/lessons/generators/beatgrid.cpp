#include "beatgrid.h"

#include "common/basic.h"

#include <algorithm>

namespace lessons {

SurplusBand surplusBand(int noteCount, int barCount, int bpb) {
    SurplusBand band;
    band.least = std::max(0, noteCount - (barCount - 1) * bpb);
    const int inner = (barCount - 2) * bpb;
    const int b = (noteCount - 1) - inner;
    int l = 0;
    if (b < band.least)
        l = 0;
    else if (b <= inner)
        l = b;
    else
        l = int(basic::roundHalfEven((b - inner) / 2.0 + bpb));
    // Below A no melody or rhythm could both fill its bars and keep within L.
    band.greatest = std::max(l, band.least);
    return band;
}

} // namespace lessons
