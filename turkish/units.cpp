// SPDX-License-Identifier: GPL-3.0-or-later
#include "turkish/units.h"

#include "foundation/code_page.h"
#include "turkish/letters.h"

#include <utility>
#include <vector>

namespace turkish {
namespace {

const char *const kPerHour = "saatte";
const char *const kPerMinute = "dakikada";
const char *const kPerSecond = "saniyede";

// Longer spellings before their prefixes ("km/sa" before "km", "m²" before "m").
const TUnit kUnits[] = {
    {"TL", "türk lirası"_cp, "kuruş"_cp, true, nullptr, true},
    {"USD", "dolar", "sent", false, nullptr, true},
    {"$", "dolar", "sent", false, nullptr, false},
    {"EUR", "avro", "sent", false, nullptr, true},
    {"\x80", "avro", "sent", false, nullptr, false},  // €
    {"GBP", "sterlin", "peni", false, nullptr, true},
    {"\xA3", "sterlin", "peni", false, nullptr, false},  // £
    // Rates: per hour, minute, second.
    {"km/sa", "kilometre", nullptr, false, kPerHour, false},
    {"km/saat", "kilometre", nullptr, false, kPerHour, false},
    {"km/h", "kilometre", nullptr, false, kPerHour, false},
    {"km/s", "kilometre", nullptr, false, kPerSecond, false},
    {"km/sn", "kilometre", nullptr, false, kPerSecond, false},
    {"m/s", "metre", nullptr, false, kPerSecond, false},
    {"m/sn", "metre", nullptr, false, kPerSecond, false},
    {"m/dk", "metre", nullptr, false, kPerMinute, false},
    {"lt/dk", "litre", nullptr, false, kPerMinute, false},
    {"l/dk", "litre", nullptr, false, kPerMinute, false},
    {"dev/dk", "devir", nullptr, false, kPerMinute, false},
    {"rpm", "devir", nullptr, false, kPerMinute, false},
    {"bpm", "atım"_cp, nullptr, false, kPerMinute, false},
    {"Mbps", "megabit", nullptr, false, kPerSecond, false},
    {"Gbps", "gigabit", nullptr, false, kPerSecond, false},
    {"kbps", "kilobit", nullptr, false, kPerSecond, false},
    {"MB/s", "megabayt", nullptr, false, kPerSecond, false},
    {"GB/s", "gigabayt", nullptr, false, kPerSecond, false},
    // Areas and volumes, read so without a number too ("m² fiyatı").
    {"km\xB2", "kilometrekare", nullptr, false, nullptr, true},  // km²
    {"km2", "kilometrekare", nullptr, false, nullptr, false},
    {"km", "kilometre", nullptr, false, nullptr, true},
    {"m\xB2", "metrekare", nullptr, false, nullptr, true},  // m²
    {"m2", "metrekare", nullptr, false, nullptr, false},
    {"m\xB3", "metreküp"_cp, nullptr, false, nullptr, true},  // m³
    {"m3", "metreküp"_cp, nullptr, false, nullptr, false},
    {"cm\xB2", "santimetrekare", nullptr, false, nullptr, true},
    {"cm\xB3", "santimetreküp"_cp, nullptr, false, nullptr, true},
    {"mm\xB2", "milimetrekare", nullptr, false, nullptr, true},
    {"cm", "santimetre", nullptr, false, nullptr, true},
    {"mmHg", "milimetre cıva"_cp, nullptr, false, nullptr, true},
    {"mm", "milimetre", nullptr, false, nullptr, true},
    {"mAh", "miliamper saat", nullptr, false, nullptr, false},
    {"mbar", "milibar", nullptr, false, nullptr, true},
    {"ms", "milisaniye", nullptr, false, nullptr, false},
    {"mg/dl", "miligram desilitre", nullptr, false, nullptr, false},
    {"mg/dL", "miligram desilitre", nullptr, false, nullptr, false},
    {"mg", "miligram", nullptr, false, nullptr, true},
    {"mcg", "mikrogram", nullptr, false, nullptr, false},
    {"\xB5g", "mikrogram", nullptr, false, nullptr, false},  // µg
    {"mmol/L", "milimol litre", nullptr, false, nullptr, false},
    {"mmol/l", "milimol litre", nullptr, false, nullptr, false},
    {"mmol", "milimol", nullptr, false, nullptr, false},
    {"ml", "mililitre", nullptr, false, nullptr, true},
    {"mL", "mililitre", nullptr, false, nullptr, true},
    {"m", "metre", nullptr, false, nullptr, false},
    {"kg", "kilogram", nullptr, false, nullptr, true},
    {"kcal", "kilokalori", nullptr, false, nullptr, true},
    {"kkal", "kilokalori", nullptr, false, nullptr, true},
    {"kPa", "kilopaskal", nullptr, false, nullptr, true},
    {"hPa", "hektopaskal", nullptr, false, nullptr, true},
    {"MPa", "megapaskal", nullptr, false, nullptr, true},
    {"Pa", "paskal", nullptr, false, nullptr, false},
    {"cal", "kalori", nullptr, false, nullptr, false},
    {"kal", "kalori", nullptr, false, nullptr, false},
    {"bar", "bar", nullptr, false, nullptr, false},
    {"atm", "atmosfer", nullptr, false, nullptr, false},
    {"dB", "desibel", nullptr, false, nullptr, true},
    {"gr", "gram", nullptr, false, nullptr, false},
    {"g", "gram", nullptr, false, nullptr, false},
    {"lt", "litre", nullptr, false, nullptr, false},
    {"dl", "desilitre", nullptr, false, nullptr, false},
    {"cl", "santilitre", nullptr, false, nullptr, false},
    {"l", "litre", nullptr, false, nullptr, false},
    {"L", "litre", nullptr, false, nullptr, false},
    {"\xB0" "C", "derece", nullptr, false, nullptr, false},  // °C
    {"\xB0" "F", "fahrenhayt", nullptr, false, nullptr, false},
    {"\xB0", "derece", nullptr, false, nullptr, false},
    {"sn", "saniye", nullptr, false, nullptr, false},
    {"dk", "dakika", nullptr, false, nullptr, false},
    {"sa", "saat", nullptr, false, nullptr, false},
    {"ha", "hektar", nullptr, false, nullptr, false},
    {"kWh", "kilovatsaat", nullptr, false, nullptr, true},
    {"kW", "kilovat", nullptr, false, nullptr, true},
    {"MW", "megavat", nullptr, false, nullptr, true},
    {"W", "vat", nullptr, false, nullptr, false},
    {"V", "volt", nullptr, false, nullptr, false},
    {"kHz", "kilohertz", nullptr, false, nullptr, true},
    {"MHz", "megahertz", nullptr, false, nullptr, true},
    {"GHz", "gigahertz", nullptr, false, nullptr, true},
    {"Hz", "hertz", nullptr, false, nullptr, true},
    {"KB", "kilobayt", nullptr, false, nullptr, true},
    {"MB", "megabayt", nullptr, false, nullptr, true},
    {"GB", "gigabayt", nullptr, false, nullptr, true},
    {"TB", "terabayt", nullptr, false, nullptr, true},
};

}  // namespace

const TUnit *UnitAt(std::string_view text) {
    // The units by their first byte, in table order: a word costs the few units that start
    // like it.
    struct TByFirst {
        std::vector<std::pair<std::string_view, const TUnit *>> Units[256];
        TByFirst() {
            for (const TUnit &u : kUnits) Units[(unsigned char)u.Written[0]].emplace_back(u.Written, &u);
        }
    };
    static const TByFirst byFirst;
    if (text.empty()) return nullptr;
    for (const auto &[w, u] : byFirst.Units[(unsigned char)text[0]]) {
        if (text.substr(0, w.size()) != w) continue;
        if (w.size() < text.size() && IsAlnum((unsigned char)text[w.size()]) && IsAlnum((unsigned char)w.back()))
            continue;
        return u;
    }
    return nullptr;
}

}  // namespace turkish
