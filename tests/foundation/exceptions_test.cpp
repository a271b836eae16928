// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/exceptions.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "foundation/file_stream.h"
#include "foundation/list.h"
#include "foundation/message_box.h"
#include "foundation/system_error_text.h"
#include "tests/support/fake_host.h"
#include "tests/support/raised_message.h"

namespace {

TEST(RaiseError, LongFormatsAreFormattedUpToTheLimitAndTakenLiterallyBeyondIt) {
    // A format of exactly the limit is still formatted: "%%" becomes "%".
    std::string atLimit(MaxMessageLength - 2, 'a');
    atLimit += "%%";
    EXPECT_EQ(MessageOf([&] { RaiseError(atLimit.c_str(), 0); }), std::string(MaxMessageLength - 2, 'a') + "%");

    // One character more and nothing is interpreted: the first 32767 characters stand.
    std::string beyond = "%d" + std::string(MaxMessageLength - 1, 'b');
    EXPECT_EQ(MessageOf([&] { RaiseError(beyond.c_str(), 42); }), beyond.substr(0, MaxMessageLength));
}

TEST(RaiseError, FormattedResultIsCutToTheLimit) {
    std::string huge(MaxMessageLength + 100, 'x');
    EXPECT_EQ(MessageOf([&] { RaiseError("%s", huge.c_str()); }).size(), std::size_t(MaxMessageLength));
}

TEST(RaiseError, TextWithoutArgumentsIsTakenLiterally) {
    EXPECT_EQ(MessageOf([] { RaiseError("100% done %s %d"); }), "100% done %s %d");
    EXPECT_EQ(MessageOf([] { RaiseError("Invalid Index Of List %d", -3); }), "Invalid Index Of List -3");
}

TEST(RaiseError, ThrowsTExceptionThatCopiesItsText) {
    std::string text = "temporary";
    try {
        RaiseError(text.c_str());
    } catch (const TException &e) {
        text.assign("changed!!");
        EXPECT_STREQ(e.Message(), "temporary");
        TException copy = e;
        EXPECT_STREQ(copy.Message(), "temporary");
        return;
    }
    FAIL();
}

TEST(SystemErrorText, SystemTextThenCodeInParentheses) {
    EXPECT_EQ(std::string(SystemErrorText(true, ENOENT).Text()), std::string(strerrordesc_np(ENOENT)) + " (2)");
}

TEST(SystemErrorText, CodeWithoutSystemTextGivesTheSuffixAlone) {
    EXPECT_STREQ(SystemErrorText(true, 123456).Text(), " (123456)");
    EXPECT_STREQ(SystemErrorText(true, -7).Text(), " (-7)");
}

TEST(SystemErrorText, UsesTheThreadsErrnoWhenNotGivenACode) {
    errno = EACCES;
    EXPECT_EQ(std::string(SystemErrorText(false, 0).Text()), std::string(strerrordesc_np(EACCES)) + " (13)");
}

TEST(RaiseOSError, CarriesTheCodeAndNamesTheFailingOperation) {
    try {
        RaiseOSError("Registry.GetData", EIO);
    } catch (const TOSException &e) {
        EXPECT_EQ(e.ErrorCode(), EIO);
        EXPECT_EQ(std::string(e.Message()), std::string("Error On Registry.GetData. ") + strerrordesc_np(EIO) + " (5)");
    }
    try {
        RaiseOSError(nullptr, EIO);
    } catch (const TOSException &e) {
        EXPECT_EQ(std::string(e.Message()), std::string(strerrordesc_np(EIO)) + " (5)");
    }
}

TEST(RaiseOSError, PercentSignsInTheOperationNameAreNotReinterpreted) {
    EXPECT_EQ(MessageOf([] { RaiseOSError("a%sb", 123456); }), "Error On a%sb.  (123456)");
}

TEST(WinInetException, IsCaughtAsTOSException) {
    try {
        throw TWinInetException(12007, "Host not found");
    } catch (const TOSException &e) {
        EXPECT_EQ(e.ErrorCode(), 12007);
        EXPECT_STREQ(e.Message(), "Host not found");
    }
}

// Every exception of the family is a std::exception whose what() is its message, and says
// what kind of failure it is; the category is what handlers branch on.
TEST(ErrorCategory, EachRaiseCarriesItsCategory) {
    const struct {
        const char *Label;
        std::function<void()> Raise;
        const char *Expected;
    } cases[] = {
        {"a literal text", [] { RaiseError("plain"); }, "internal: plain"},
        {"a formatted text", [] { RaiseError("Invalid Index Of List %d", 3); }, "internal: Invalid Index Of List 3"},
        {"given, literal", [] { RaiseError(TErrorCategory::Format, "100% bad"); }, "format: 100% bad"},
        {"given, formatted", [] { RaiseError(TErrorCategory::Refused, "too long: %d", 5); }, "refused: too long: 5"},
        {"a system error", [] { RaiseOSError(nullptr, 123456); }, "input/output:  (123456)"},
        {"a download", [] { throw TWinInetException(12007, "Host not found"); }, "service: Host not found"},
        {"a file that is not there", [] { TFileStream("/nonexistent/x", "rb").SetActive(true); },
         "input/output: File Not Opened /nonexistent/x"},
        {"a list index", [] { TList().Get(0); }, "internal: Invalid Index Of List 0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        EXPECT_EQ(CategoryOf(c.Raise), c.Expected);
        try {
            c.Raise();
        } catch (const std::exception &e) {
            EXPECT_STREQ(e.what(), dynamic_cast<const TCustomException &>(e).Message());
        }
    }
    EXPECT_STREQ(CategoryName(TErrorCategory::NoDevice), "no device");
    EXPECT_STREQ(CategoryName(TErrorCategory::Service), "service");
}

TEST(MessageBox, ShowGoesThroughTheInstalledHandler) {
    TFakeHost boxes({IDYES, IDNO});
    EXPECT_EQ(ShowMessageBox("Soru?", MB_YESNO), IDYES);
    EXPECT_EQ(ShowMessageBox(nullptr, MB_YESNO), IDNO);
    TException("Hata").Show();
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Soru?", "", "Hata"}));
    EXPECT_EQ(boxes.Styles(), (std::vector<int>{MB_YESNO, MB_YESNO, MB_OK}));
}

TEST(MessageBox, DefaultHandlerWritesUtf8ToStandardErrorAndSaysNo) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowMessageBox("\xDE" "ifre yanl\xFD\xFE", MB_YESNO), IDNO);
    EXPECT_EQ(ShowMessageBox("ok", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Şifre yanlış\nok\n");
}

}  // namespace
