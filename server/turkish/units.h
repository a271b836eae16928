#pragma once
// Units and currencies written after a number ("5 km", "25 °C", "12,50 TL").

#include <string_view>

namespace turkish {

struct TUnit {
    const char *Written;    // Windows-1254, exact spelling
    const char *Reading;    // lower-case Windows-1254
    const char *Subunit;    // currencies: the hundredth ("kuruş"); else nullptr
    bool Possessive;        // "türk lirası": a case suffix takes the pronominal n
    bool PerHour;           // "km/sa": read "saatte <number> kilometre"
    bool Standalone;        // read so without a number before it too ("kg başına")
};

// The longest unit written at the start of `text` and not followed by a letter or digit;
// nullptr when there is none.
const TUnit *UnitAt(std::string_view text);

}  // namespace turkish
