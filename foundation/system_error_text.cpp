// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/system_error_text.h"

#include <cerrno>
#include <string>

#include "foundation/exceptions.h"

MyString SystemErrorText(bool useGivenCode, int32_t code) {
    if (!useGivenCode) code = errno;
    const std::string text = SystemErrorString(code);
    MyString result;
    result.Assign(text.data(), int32_t(text.size()));
    return result;
}
