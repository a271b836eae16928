// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/pointer_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/exceptions.h"

namespace {

std::string MessageOf(void (*raise)(TPointerStream &), TPointerStream &s) {
    try {
        raise(s);
    } catch (const TException &e) {
        return e.Message();
    }
    return "(nothing raised)";
}

TEST(PointerStream, InitRejectsNullAndEmptyViews) {
    TPointerStream s;
    EXPECT_EQ(MessageOf([](TPointerStream &p) { p.Init(nullptr, 5); }, s), "PointerStream invalid parameter");
    EXPECT_EQ(MessageOf([](TPointerStream &p) {
                  static uint8_t byte;
                  p.Init(&byte, 0);
              }, s),
              "PointerStream invalid parameter");
    uint8_t data[3] = {1, 2, 3};
    s.Init(data, 3);
    EXPECT_EQ(s.Memory(), data);
    EXPECT_EQ(s.Current(), data);
    EXPECT_EQ(s.Size(), 3);
    EXPECT_EQ(s.Position(), 0);
}

TEST(PointerStream, PrivateCopiesAndTheirGuard) {
    TPointerStream s;
    const uint8_t data[4] = {9, 8, 7, 6};
    s.LoadCopy(data, 4);
    EXPECT_NE(s.Memory(), data);
    EXPECT_EQ(s.Memory()[3], 6);
    EXPECT_EQ(s.MemorySize(), int32_t(sizeof(TPointerStream)) + 4);
    EXPECT_EQ(MessageOf([](TPointerStream &p) { p.Allocate(8, true); }, s), "FStream Already Created");
    EXPECT_EQ(MessageOf([](TPointerStream &p) { p.LoadCopy("x", 1); }, s), "FStream Already Created");
    s.Reset();
    EXPECT_EQ(s.Memory(), nullptr);
    EXPECT_EQ(s.MemorySize(), int32_t(sizeof(TPointerStream)));
    s.Allocate(8, true);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(s.Memory()[i], 0);
}

}  // namespace
