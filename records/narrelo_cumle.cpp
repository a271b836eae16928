// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/narrelo_cumle.h"

void TNarreloCumle::ReadFromStream() {
    Start = ReadInt32();
    Length = ReadInt32();
    ReadString(Text);
    IsXml = ReadByte() != 0;
    Speaker = ReadInt32();
    SkipBytes(CumleReservedBytes);
    ReadList(Audios);
}

void TNarreloCumle::WriteToStream() {
    static const uint8_t reserved[CumleReservedBytes] = {};
    WriteInt32(Start);
    WriteInt32(Length);
    WriteString(Text);
    WriteByte(IsXml ? 1 : 0);
    WriteInt32(Speaker);
    WriteBytes(reserved, CumleReservedBytes);
    WriteList(Audios);
}
