// SPDX-License-Identifier: GPL-3.0-or-later
// A library opened at run time: its functions found and callable, and each way it can fail
// named in the text the programs show (the library, then the loader's reason or the first
// function missing).
#include "platform/shared_library.h"

#include <gtest/gtest.h>

namespace {

using TCos = double(double);

TEST(SharedLibrary, FindsFunctionsThatWork) {
    TSharedLibrary library("libm.so.6");
    TCos *cosine = nullptr;
    library.Need("cos", cosine);
    ASSERT_TRUE(library.Ok()) << library.Why();
    EXPECT_TRUE(library.Opened());
    EXPECT_EQ(library.Why(), "");
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
}

TEST(SharedLibrary, NamesWhatIsMissing) {
    {
        TSharedLibrary library("libnarrelo-nothing.so.0");
        TCos *cosine = nullptr;
        library.Need("cos", cosine);
        EXPECT_FALSE(library.Opened());
        EXPECT_FALSE(library.Ok());
        EXPECT_EQ(cosine, nullptr);
        EXPECT_EQ(library.Why().rfind("libnarrelo-nothing.so.0 could not be loaded: ", 0), 0u) << library.Why();
        EXPECT_NE(library.Why().find("libnarrelo-nothing.so.0: cannot open"), std::string::npos)
            << "the loader's reason: " << library.Why();
    }
    {
        // The first function missing is named; nothing after it is looked up.
        TSharedLibrary library("libm.so.6");
        TCos *cosine = nullptr, *missing = nullptr, *sine = nullptr;
        library.Need("cos", cosine);
        library.Need("narrelo_no_such_function", missing);
        library.Need("sin", sine);
        EXPECT_TRUE(library.Opened());
        EXPECT_FALSE(library.Ok());
        EXPECT_EQ(library.Why(), "libm.so.6 has no narrelo_no_such_function");
        EXPECT_NE(cosine, nullptr);
        EXPECT_EQ(missing, nullptr);
        EXPECT_EQ(sine, nullptr) << "looked up after a function was missing";
    }
}

}  // namespace
