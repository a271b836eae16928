// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which vector code the speed change runs (pitch search and crossfade). The widest level the
// processor supports is chosen at first use, so one binary runs on every x86-64 machine and
// uses AVX2 or AVX-512 (F and BW) where they exist. Every level gives the same bits. The
// crossfade has no AVX-512 code of its own: at that level it runs the AVX2 one.

enum class TSimdLevel { Portable, Sse2, Avx2, Avx512 };

// Makes `level` the one used from now on (tests and benchmarks compare the levels); false,
// and no change, when the processor or the build lacks it. Any thread.
bool SelectSimdLevel(TSimdLevel level);
TSimdLevel ActiveSimdLevel();
