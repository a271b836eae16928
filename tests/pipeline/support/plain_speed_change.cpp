// SPDX-License-Identifier: GPL-3.0-or-later
#include "plain_speed_change.h"

#include <cmath>

namespace plain {

namespace {

constexpr int MinLag = 16000 / 250;
constexpr int MaxLag = 16000 / 60;

int Round(double c) {
    int r = static_cast<int>(std::floor(c));
    if ((c - std::floor(c)) * 10 >= 5) r += 1;
    return r < 1 ? 1 : r;
}

}  // namespace

TRatio RatioOf(int a) {
    TRatio t{};
    const double r = 1 - a / 10.0;
    if (r == 0) {
        t.P = 1;
        t.Q = 10;
    } else if (r < 1) {
        t.P = Round(10 * r);
        t.Q = 10;
    } else {
        t.P = 10;
        t.Q = Round(10 * std::fabs(2 - r));
    }
    t.L = t.P <= t.Q ? MaxLag * t.Q : MaxLag * (2 * t.P - t.Q);
    t.LeadIn = t.P <= t.Q ? 0 : MaxLag * (t.P - t.Q);
    t.Window = t.L - MaxLag - t.LeadIn;
    return t;
}

int Amdf(int minLag, int maxLag, int n, const int16_t *base) {
    int best = minLag;
    int32_t bestSum = 0;
    for (int lag = minLag; lag <= maxLag; ++lag) {
        int32_t sum = 0;
        for (int j = 0; j < n; ++j) sum += std::abs(base[lag + j] - base[j]);
        if (lag == minLag || sum < bestSum) {
            bestSum = sum;
            best = lag;
        }
    }
    return best;
}

std::vector<int16_t> ChangeSpeed(const std::vector<int16_t> &input, int a) {
    const TRatio t = RatioOf(a);
    std::vector<int16_t> work(static_cast<size_t>(t.LeadIn), 0);
    work.insert(work.end(), input.begin(), input.end());
    const long remainingStart = static_cast<long>(work.size());
    work.resize(work.size() + static_cast<size_t>(t.L), 0);  // silence past the end

    std::vector<int16_t> out;
    long x = 0;
    long remaining = remainingStart;
    while (remaining > 0) {
        const int tau = Amdf(MinLag, MaxLag, t.Window, &work[static_cast<size_t>(x + t.LeadIn)]);
        if (remaining < static_cast<long>(t.Q) * tau + t.LeadIn) break;
        const int n = t.P * tau;
        const long i0 = x + t.LeadIn;
        const long d = static_cast<long>(t.Q - t.P) * tau;
        for (int k = 0; k < n; ++k) {
            const double w = k * (1.0 / n);
            out.push_back(static_cast<int16_t>(
                std::floor(work[static_cast<size_t>(i0 + k)] * (1 - w) + work[static_cast<size_t>(i0 + d + k)] * w)));
        }
        remaining -= static_cast<long>(t.Q) * tau;
        x += static_cast<long>(t.Q) * tau;
    }
    return out;
}

}  // namespace plain
