#include "pipeline/amdf.h"

#include <atomic>
#include <vector>

#include "foundation/exceptions.h"
#include "pipeline/amdf_kernels.h"

namespace {

// One int16 "lane": the shared body as plain scalar code, for processors without a vector
// kernel.
struct TScalar {
    static constexpr int Width = 1;
    using Reg = int32_t;
    static Reg Zero() { return 0; }
    static Reg Load(const int16_t *p) { return *p; }
    static Reg MaxAdd(Reg acc, Reg a, Reg b) { return acc + (a > b ? a : b); }
    static void Sum4(Reg a0, Reg a1, Reg a2, Reg a3, int32_t out[4]) {
        out[0] = a0;
        out[1] = a1;
        out[2] = a2;
        out[3] = a3;
    }
};

}  // namespace

#include "pipeline/amdf_kernel_body.h"

int AmdfSearchPortable(const int16_t *base, int minLag, int maxLag, int n, int hint, const int32_t *prefix) {
    return SearchBestLag<TScalar>(base, minLag, maxLag, n, hint, prefix);
}

namespace {

constexpr int MaxWindow = 32768;

bool Supported(TAmdfKernel kernel) {
    switch (kernel) {
    case TAmdfKernel::Portable:
        return true;
#if defined(__x86_64__) || defined(__i386__)
    case TAmdfKernel::Sse2:
        return __builtin_cpu_supports("sse2");
    case TAmdfKernel::Avx2:
        return __builtin_cpu_supports("avx2");
#endif
    default:
        return false;
    }
}

TAmdfSearch SearchOf(TAmdfKernel kernel) {
    switch (kernel) {
#if defined(__x86_64__) || defined(__i386__)
    case TAmdfKernel::Sse2:
        return AmdfSearchSse2;
    case TAmdfKernel::Avx2:
        return AmdfSearchAvx2;
#endif
    default:
        return AmdfSearchPortable;
    }
}

TAmdfKernel Fastest() {
    if (Supported(TAmdfKernel::Avx2)) return TAmdfKernel::Avx2;
    if (Supported(TAmdfKernel::Sse2)) return TAmdfKernel::Sse2;
    return TAmdfKernel::Portable;
}

// Written by SelectAmdfKernel (tests, benchmarks), read by every search; any thread.
std::atomic<TAmdfKernel> &Active() {
    static std::atomic<TAmdfKernel> active{Fastest()};
    return active;
}

}  // namespace

bool SelectAmdfKernel(TAmdfKernel kernel) {
    if (!Supported(kernel)) return false;
    Active().store(kernel, std::memory_order_relaxed);
    return true;
}

TAmdfKernel ActiveAmdfKernel() { return Active().load(std::memory_order_relaxed); }

int BestPitchLag(int minLag, int maxLag, int n, const int16_t *base, int hint) {
    // Prefix sums of base[0 .. maxLag + n): at most 65,536 samples of at most 32,768 each,
    // so every prefix fits 32 bits.
    const int entries = maxLag + n + 1;
    int32_t small[4096];
    std::vector<int32_t> large;
    int32_t *prefix = small;
    if (entries > 4096) {
        large.resize(static_cast<size_t>(entries));
        prefix = large.data();
    }
    prefix[0] = 0;
    for (int i = 1; i < entries; ++i) prefix[i] = prefix[i - 1] + base[i - 1];
    return SearchOf(ActiveAmdfKernel())(base, minLag, maxLag, n, hint, prefix);
}

int amdfp2(int minLag, int maxLag, int n, const int16_t *base, int count) {
    if (minLag > maxLag) return minLag;
    if (static_cast<int64_t>(n) + maxLag - 1 >= count || minLag < 0 || n > MaxWindow || maxLag > MaxWindow)
        RaiseError("invalid arguments for amdfp2");
    if (n <= 0) return minLag;  // every sum is empty: all lags tie
    return BestPitchLag(minLag, maxLag, n, base, minLag);
}
