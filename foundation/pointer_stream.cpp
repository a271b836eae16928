// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/pointer_stream.h"

#include <cstring>

#include "foundation/exceptions.h"

void TPointerStream::Init(uint8_t *memory, int32_t size) {
    if (!memory || size <= 0) RaiseError("PointerStream invalid parameter");
    memory_ = memory;
    current_ = memory;
    size_ = size;
    position_ = 0;
}

void TPointerStream::Reset() {
    stream_.reset();
    memory_ = nullptr;
    size_ = 0;
    current_ = nullptr;
    position_ = 0;
}

void TPointerStream::CheckNoPrivateCopy() const {
    if (stream_ && stream_->DataSize() > 0) RaiseError("FStream Already Created");
}

void TPointerStream::Allocate(int32_t size, bool zeroFill) {
    CheckNoPrivateCopy();
    auto stream = std::make_unique<TMemoryStream>();
    stream->SetSize(size);
    if (zeroFill && stream->Memory()) std::memset(stream->Memory(), 0, std::size_t(stream->DataSize()));
    stream_ = std::move(stream);
    Init(stream_->Memory(), stream_->DataSize());
}

void TPointerStream::LoadCopy(const void *memory, int32_t size) {
    CheckNoPrivateCopy();
    auto stream = std::make_unique<TMemoryStream>();
    if (memory && size > 0) stream->Write(memory, size);
    stream->Seek(0, soFromBeginning);
    stream_ = std::move(stream);
    Init(stream_->Memory(), stream_->DataSize());
}

int32_t TPointerStream::MemorySize() const {
    return int32_t(sizeof(*this)) + (stream_ ? stream_->DataSize() : 0);
}
