// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The crossfade of speed_change.h for each vector level; all give the bits of the plain
// formula (separate products and sum in double, floor).

#include <cstdint>

void CrossfadePortable(const int16_t *from, const int16_t *to, int n, int16_t *y);
#if defined(__x86_64__) || defined(__i386__)
void CrossfadeSse2(const int16_t *from, const int16_t *to, int n, int16_t *y);
void CrossfadeAvx2(const int16_t *from, const int16_t *to, int n, int16_t *y);
#endif
