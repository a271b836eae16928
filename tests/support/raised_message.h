// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The message of the program's exception that `raise` throws, or "(nothing raised)", so
// that a test compares raised texts as exact bytes in one expectation; CategoryOf gives the
// category with the message, "(nothing raised)" when nothing was.

#include <string>

#include "foundation/exceptions.h"

template <typename F>
std::string MessageOf(F &&raise) {
    try {
        raise();
    } catch (const TCustomException &e) {
        return e.Message();
    }
    return "(nothing raised)";
}

// "<category>: <message>" of the program's exception `raise` throws.
template <typename F>
std::string CategoryOf(F &&raise) {
    try {
        raise();
    } catch (const TCustomException &e) {
        return std::string(CategoryName(e.Category())) + ": " + e.Message();
    }
    return "(nothing raised)";
}
