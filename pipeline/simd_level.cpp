// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/simd_level.h"

#include <atomic>

namespace {

bool Supported(TSimdLevel level) {
    switch (level) {
    case TSimdLevel::Portable:
        return true;
#if defined(__x86_64__) || defined(__i386__)
    case TSimdLevel::Sse2:
        return __builtin_cpu_supports("sse2");
    case TSimdLevel::Avx2:
        return __builtin_cpu_supports("avx2");
    case TSimdLevel::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#endif
    default:
        return false;
    }
}

TSimdLevel Widest() {
    if (Supported(TSimdLevel::Avx512)) return TSimdLevel::Avx512;
    if (Supported(TSimdLevel::Avx2)) return TSimdLevel::Avx2;
    if (Supported(TSimdLevel::Sse2)) return TSimdLevel::Sse2;
    return TSimdLevel::Portable;
}

// Written by SelectSimdLevel, read by every search and crossfade; any thread.
std::atomic<TSimdLevel> &Active() {
    static std::atomic<TSimdLevel> active{Widest()};
    return active;
}

}  // namespace

bool SelectSimdLevel(TSimdLevel level) {
    if (!Supported(level)) return false;
    Active().store(level, std::memory_order_relaxed);
    return true;
}

TSimdLevel ActiveSimdLevel() { return Active().load(std::memory_order_relaxed); }
