// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/demo_audio.h"

void TDemoAudio::ReadFromStream() {
    FileType = ReadInt32();
    ReadString(Text);
    ReadString(SpokenText);
    Volume = ReadInt32();
    Speed = ReadInt32();
    IsXml = ReadBool32();
    Speaker = ReadInt32();
    ReadString(FileId);
    ReadBlob(Data);
}

void TDemoAudio::WriteToStream() {
    WriteInt32(FileType);
    WriteString(Text);
    WriteString(SpokenText);
    WriteInt32(Volume);
    WriteInt32(Speed);
    WriteBool32(IsXml);
    WriteInt32(Speaker);
    WriteString(FileId);
    WriteBlob(Data);
}
