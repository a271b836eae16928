#include "server/turkish/units.h"

#include "foundation/code_page.h"
#include "server/turkish/letters.h"

namespace turkish {
namespace {

// Longer spellings before their prefixes ("km/sa" before "km", "m²" before "m").
const TUnit kUnits[] = {
    {"TL", "türk lirası"_cp, "kuruş"_cp, true, false, true},
    {"USD", "dolar", "sent", false, false, true},
    {"$", "dolar", "sent", false, false, false},
    {"EUR", "avro", "sent", false, false, true},
    {"\x80", "avro", "sent", false, false, false},  // €
    {"GBP", "sterlin", "peni", false, false, true},
    {"\xA3", "sterlin", "peni", false, false, false},  // £
    {"km/sa", "kilometre", nullptr, false, true, false},
    {"km/h", "kilometre", nullptr, false, true, false},
    {"km\xB2", "kilometrekare", nullptr, false, false, true},  // km²
    {"km2", "kilometrekare", nullptr, false, false, false},
    {"km", "kilometre", nullptr, false, false, true},
    {"m\xB2", "metrekare", nullptr, false, false, true},  // m²
    {"m2", "metrekare", nullptr, false, false, false},
    {"m\xB3", "metreküp"_cp, nullptr, false, false, true},  // m³
    {"m3", "metreküp"_cp, nullptr, false, false, false},
    {"cm\xB2", "santimetrekare", nullptr, false, false, true},
    {"cm\xB3", "santimetreküp"_cp, nullptr, false, false, true},
    {"cm", "santimetre", nullptr, false, false, true},
    {"mm", "milimetre", nullptr, false, false, true},
    {"mAh", "miliamper saat", nullptr, false, false, false},
    {"ms", "milisaniye", nullptr, false, false, false},
    {"mg", "miligram", nullptr, false, false, true},
    {"ml", "mililitre", nullptr, false, false, true},
    {"m", "metre", nullptr, false, false, false},
    {"kg", "kilogram", nullptr, false, false, true},
    {"gr", "gram", nullptr, false, false, false},
    {"g", "gram", nullptr, false, false, false},
    {"lt", "litre", nullptr, false, false, false},
    {"l", "litre", nullptr, false, false, false},
    {"\xB0" "C", "derece", nullptr, false, false, false},  // °C
    {"\xB0" "F", "fahrenhayt", nullptr, false, false, false},
    {"\xB0", "derece", nullptr, false, false, false},
    {"sn", "saniye", nullptr, false, false, false},
    {"dk", "dakika", nullptr, false, false, false},
    {"sa", "saat", nullptr, false, false, false},
    {"ha", "hektar", nullptr, false, false, false},
    {"kWh", "kilovatsaat", nullptr, false, false, true},
    {"kW", "kilovat", nullptr, false, false, true},
    {"MW", "megavat", nullptr, false, false, true},
    {"W", "vat", nullptr, false, false, false},
    {"V", "volt", nullptr, false, false, false},
    {"kHz", "kilohertz", nullptr, false, false, true},
    {"MHz", "megahertz", nullptr, false, false, true},
    {"GHz", "gigahertz", nullptr, false, false, true},
    {"Hz", "hertz", nullptr, false, false, true},
    {"KB", "kilobayt", nullptr, false, false, true},
    {"MB", "megabayt", nullptr, false, false, true},
    {"GB", "gigabayt", nullptr, false, false, true},
    {"TB", "terabayt", nullptr, false, false, true},
};

}  // namespace

const TUnit *UnitAt(std::string_view text) {
    for (const TUnit &u : kUnits) {
        std::string_view w = u.Written;
        if (text.substr(0, w.size()) != w) continue;
        if (w.size() < text.size() && IsAlnum((unsigned char)text[w.size()]) && IsAlnum((unsigned char)w.back()))
            continue;
        return &u;
    }
    return nullptr;
}

}  // namespace turkish
