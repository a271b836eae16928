// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Units and currencies written after a number ("5 km", "25 °C", "12,50 TL", "3 bar"), rates
// read with their time first ("120 km/sa" is "saatte yüz yirmi kilometre").

#include <string_view>

namespace turkish {

struct TUnit {
    const char *Written;    // Windows-1254, exact spelling
    const char *Reading;    // lower-case Windows-1254
    const char *Subunit;    // currencies: the hundredth ("kuruş"); else nullptr
    bool Possessive;        // "türk lirası": a case suffix takes the pronominal n
    const char *Per;        // a rate: the time said before the number ("saatte", "saniyede"); else nullptr
    bool Standalone;        // read so without a number before it too ("kg başına", "m² fiyatı")
};

// The longest unit written at the start of `text` and not followed by a letter or digit;
// nullptr when there is none.
const TUnit *UnitAt(std::string_view text);

}  // namespace turkish
