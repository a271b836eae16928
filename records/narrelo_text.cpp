// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/narrelo_text.h"

void TNarreloText::ReadFromStream() {
    ReadString(Text);
    IsXml = ReadByte() != 0;
    Speaker = ReadInt32();
    ReadList(Sentences);
}

void TNarreloText::WriteToStream() {
    WriteString(Text);
    WriteByte(IsXml ? 1 : 0);
    WriteInt32(Speaker);
    WriteList(Sentences);
}
