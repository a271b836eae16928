#pragma once
// The message of the program's exception that `raise` throws, or "(nothing raised)", so
// that a test compares raised texts as exact bytes in one expectation.

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
