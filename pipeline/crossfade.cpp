// Compiled with -ffp-contract=off: the two products and the sum must each be rounded to
// double, as written, or the floor can land one lower or higher than it does everywhere else.
#include <cmath>

#include "pipeline/speed_change.h"

void Crossfade(const int16_t *x, int i0, int d, int n, int16_t *y) {
    const double step = 1.0 / n;
    const int16_t *from = x + i0;
    const int16_t *to = x + i0 + d;
    for (int k = 0; k < n; ++k) {
        const double w = k * step;
        y[k] = static_cast<int16_t>(std::floor(from[k] * (1.0 - w) + to[k] * w));
    }
}
