// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TCmdParameters: the program's command-line arguments (without the program path), one
// item each, in order. Lookups ignore case and, with AcceptSwitchPrefixes (the default),
// also accept the name written as a switch: 'x', '-x' and '/x' on the command line are all
// found by any of those three forms of the name.
//
// The process-wide instance is filled by InitCmdParameters, which main() calls first thing;
// the free functions at the end read it. Tests may fill CmdParameters() directly.

#include <cstdint>

#include "foundation/my_string.h"
#include "foundation/string_list.h"

class TCmdParameters : public TStringList {
public:
    TCmdParameters() = default;

    bool AcceptSwitchPrefixes() const { return acceptSwitchPrefixes_; }
    void SetAcceptSwitchPrefixes(bool accept) { acceptSwitchPrefixes_ = accept; }

    // The first item equal to one of the switch forms of `text` (tried in order: the name
    // itself, then with AcceptSwitchPrefixes "-name" (or the name as given when it already
    // starts with '-' or '/'), "/name", and the bare name), or -1.
    int32_t IndexOf(const char *text, int32_t length) const override;
    using TStringList::IndexOf;
    // True when one of the switch forms of `a` equals `b` (same length, SameText).
    bool SameString(const char *a, int32_t lenA, const char *b, int32_t lenB) const override;

    // The first item holding '=' whose part before the first '=' matches `name` (with its
    // switch forms), or -1.
    int32_t IndexOfName(const char *name, int32_t length) const;
    int32_t IndexOfName(const char *name) const;
    // A bare item (IndexOf) or a name=value item (IndexOfName) of that name.
    bool HasParameter(const char *name) const;
    // The text after the first '=' of the item IndexOfName finds, or "" when there is none.
    MyString ParameterValue(const char *name) const;

private:
    // Calls `match(form, formLength)` for each switch form of `text` until it returns true.
    template <class Match>
    bool AnySwitchForm(const char *text, int32_t length, Match match) const;

    bool acceptSwitchPrefixes_ = true;
};

// The process-wide parameters; empty until InitCmdParameters.
TCmdParameters &CmdParameters();

// Replaces the process-wide parameters with argv[1..argc-1]. Arguments arrive as UTF-8 and
// are kept as Windows-1254 (characters without a byte become '?'). Call before anything
// reads the parameters.
void InitCmdParameters(int argc, const char *const *argv);

// The lookups above, on the process-wide instance.
bool HasParameter(const char *name);
MyString ParameterValue(const char *name);
// The endpoint given as "DemoServer=<endpoint>" (any case, with or without '-' or '/'),
// or "" when the argument is absent or has no '='.
MyString DemoServerParameter();
