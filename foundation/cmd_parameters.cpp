// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/cmd_parameters.h"

#include <cstring>
#include <string>

#include "foundation/code_page.h"

// Longest bare name (the form without prefix) that a lookup tries.
static constexpr std::size_t MaxBareName = 255;

template <class Match>
bool TCmdParameters::AnySwitchForm(const char *text, int32_t length, Match match) const {
    if (match(text, length)) return true;
    if (!acceptSwitchPrefixes_ || text == nullptr || length <= 0) return false;

    std::string s;
    if (text[0] == '-' || text[0] == '/')
        s.assign(text, std::size_t(length));
    else
        s.append("-").append(text, std::size_t(length));
    if (match(s.data(), int32_t(s.size()))) return true;
    s[0] = '-';
    if (match(s.data(), int32_t(s.size()))) return true;
    s[0] = '/';
    if (match(s.data(), int32_t(s.size()))) return true;
    const std::string bare = s.substr(1, MaxBareName);
    return match(bare.data(), int32_t(bare.size()));
}

int32_t TCmdParameters::IndexOf(const char *text, int32_t length) const {
    int32_t found = -1;
    AnySwitchForm(text, length, [&](const char *form, int32_t formLength) {
        found = TStringList::IndexOf(form, formLength);
        return found >= 0;
    });
    return found;
}

bool TCmdParameters::SameString(const char *a, int32_t lenA, const char *b,
                                int32_t lenB) const {
    return AnySwitchForm(a, lenA, [&](const char *form, int32_t formLength) {
        return TStringList::SameString(form, formLength, b, lenB);
    });
}

int32_t TCmdParameters::IndexOfName(const char *name, int32_t length) const {
    for (int32_t i = 0; i < Count(); ++i) {
        const MyString &item = Strings(i);
        if (!item.HasBuffer()) continue;
        const void *equals = std::memchr(item.Text(), '=', std::size_t(item.Length()));
        if (equals == nullptr) continue;
        const int32_t nameLength = int32_t(static_cast<const char *>(equals) - item.Text());
        if (SameString(name, length, item.Text(), nameLength)) return i;
    }
    return -1;
}

int32_t TCmdParameters::IndexOfName(const char *name) const {
    return IndexOfName(name, name ? int32_t(std::strlen(name)) : 0);
}

bool TCmdParameters::HasParameter(const char *name) const {
    if (name == nullptr) name = "";
    if (IndexOf(name) >= 0 || IndexOfName(name) >= 0) return true;
    const std::string dashed = std::string("-") + name;
    return IndexOfName(dashed.c_str()) >= 0;
}

MyString TCmdParameters::ParameterValue(const char *name) const {
    MyString value("");
    const int32_t i = IndexOfName(name);
    if (i < 0) return value;
    const MyString &item = Strings(i);
    const char *equals =
        static_cast<const char *>(std::memchr(item.Text(), '=', std::size_t(item.Length())));
    const char *start = equals + 1;
    value.Assign(start, int32_t(item.Text() + item.Length() - start));
    return value;
}

TCmdParameters &CmdParameters() {
    // Never destroyed: threads still running at exit may read it.
    static TCmdParameters *parameters = new TCmdParameters;
    return *parameters;
}

void InitCmdParameters(int argc, const char *const *argv) {
    TCmdParameters &parameters = CmdParameters();
    parameters.Clear();
    for (int i = 1; i < argc; ++i) {
        const std::string text = cp1254::FromUtf8(argv[i] ? argv[i] : "");
        parameters.InsertItem(parameters.Count(), text.data(), int32_t(text.size()), 0);
    }
}

bool HasParameter(const char *name) {
    return CmdParameters().HasParameter(name);
}

MyString ParameterValue(const char *name) {
    return CmdParameters().ParameterValue(name);
}

MyString DemoServerParameter() {
    if (!HasParameter("DemoServer")) return MyString("");
    return ParameterValue("DemoServer");
}
