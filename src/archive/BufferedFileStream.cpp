#include "archive/BufferedFileStream.h"

#include <cassert>
#include <cstring>
#include <limits>

#include "archive/ArchiveErrors.h"

namespace vz::archive {

namespace {

int WhenceOf(SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::FromStart: return SEEK_SET;
    case SeekOrigin::FromCurrent: return SEEK_CUR;
    case SeekOrigin::FromEnd: return SEEK_END;
  }
  return SEEK_SET;
}

}  // namespace

BufferedFileStream::BufferedFileStream(const std::string& fileName, unsigned mode, std::int32_t capacity)
    : capacity_(capacity), fileName_(fileName), writeMode_(mode == kCreate || (mode & 3u) != 0) {
  const char* fopenMode = mode == kCreate ? "w+b" : (writeMode_ ? "r+b" : "rb");
  file_ = std::fopen(fileName.c_str(), fopenMode);
  if (!file_) throw InOutError("Cannot open file " + fileName);
  // The stream has its own buffer; the C library's would only copy twice.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  // Positions are signed 32-bit: a larger file cannot be addressed.
  if (Size() > std::numeric_limits<std::int32_t>::max()) {
    std::fclose(file_);
    throw InOutError("File too large: " + fileName);
  }
  buffer_.resize(static_cast<size_t>(capacity));
  FlushBuffer();
}

BufferedFileStream::~BufferedFileStream() {
  if (bufferingOn_ || dirty_) FlushBuffer();
  std::fclose(file_);
}

void BufferedFileStream::RequireBuffering() const {
  // A byte operation with buffering off is a programming error of smart_buf_filestream_unit.
  assert(bufferingOn_ && "smart_buf_filestream_unit: byte access with buffering off");
}

bool BufferedFileStream::ReadByte(std::uint8_t& b) {
  RequireBuffering();
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (index_ < validCount_ && !refillNeeded_) {
      b = buffer_[static_cast<size_t>(index_++)];
      return true;
    }
    if (validCount_ != capacity_ && !refillNeeded_) break;  // the last fill was short: end of file
    refillNeeded_ = false;
    bufferOrigin_ = static_cast<std::int32_t>(Position());
    validCount_ = Read(buffer_.data(), capacity_);
    index_ = 0;
  }
  b = 0;
  return false;
}

void BufferedFileStream::WriteByte(std::uint8_t b) {
  RequireBuffering();
  if (index_ >= capacity_) FlushBuffer();
  buffer_[static_cast<size_t>(index_++)] = b;
  dirty_ = true;
}

void BufferedFileStream::FlushBuffer() {
  if (dirty_) {
    if (Write(buffer_.data(), index_) != index_) writeFailed_ = true;
    dirty_ = false;
    bufferOrigin_ = static_cast<std::int32_t>(Position());
  }
  index_ = 0;
  validCount_ = 0;
  refillNeeded_ = true;
}

std::int32_t BufferedFileStream::GetBufferedPosition() {
  if (index_ == 0 && validCount_ == 0) return static_cast<std::int32_t>(Position());
  return bufferOrigin_ + index_;
}

std::int32_t BufferedFileStream::SmartSeek(std::int32_t offset, SeekOrigin origin) {
  std::int64_t result;
  if (writeMode_) {
    FlushBuffer();
    result = Seek(offset, origin);
    bufferOrigin_ = static_cast<std::int32_t>(Position());
  } else if (bufferingOn_) {
    std::int64_t target = offset;
    if (origin == SeekOrigin::FromCurrent) target = std::int64_t{GetBufferedPosition()} + offset;
    if (origin == SeekOrigin::FromEnd) target = Size() + offset;
    std::int64_t rel = target - bufferOrigin_;
    if (!refillNeeded_ && rel > 0 && rel < validCount_ - 1) {
      index_ = static_cast<std::int32_t>(rel);
      return GetBufferedPosition();
    }
    result = Seek(offset, origin);
    FlushBuffer();
  } else {
    result = Seek(offset, origin);
  }
  if (result < 0 || result > std::numeric_limits<std::int32_t>::max()) throw SeekError();
  return static_cast<std::int32_t>(result);
}

void BufferedFileStream::EnableBuffer() {
  bufferingOn_ = true;
  FlushBuffer();
}

void BufferedFileStream::DisableBuffer() {
  bufferingOn_ = false;
  FlushBuffer();
}

std::int32_t BufferedFileStream::ReadBytes(void* destination, std::int32_t n) {
  auto* out = static_cast<std::uint8_t*>(destination);
  std::int32_t done = 0;
  while (done < n) {
    // Whole runs straight from the buffer; ReadByte refills and detects the end.
    if (!refillNeeded_ && index_ < validCount_) {
      std::int32_t take = std::min(n - done, validCount_ - index_);
      std::memcpy(out + done, buffer_.data() + index_, static_cast<size_t>(take));
      index_ += take;
      done += take;
      continue;
    }
    std::uint8_t b;
    if (!ReadByte(b)) {
      std::memset(out + done, 0, static_cast<size_t>(n - done));
      break;
    }
    out[done++] = b;
  }
  return n;
}

std::int32_t BufferedFileStream::WriteBytes(const void* source, std::int32_t n) {
  const auto* in = static_cast<const std::uint8_t*>(source);
  for (std::int32_t i = 0; i < n; ++i) WriteByte(in[i]);
  return n;
}

std::int32_t BufferedFileStream::Read(void* destination, std::int32_t n) {
  if (n <= 0) return 0;
  return static_cast<std::int32_t>(std::fread(destination, 1, static_cast<size_t>(n), file_));
}

std::int32_t BufferedFileStream::Write(const void* source, std::int32_t n) {
  if (n <= 0) return 0;
  return static_cast<std::int32_t>(std::fwrite(source, 1, static_cast<size_t>(n), file_));
}

std::int64_t BufferedFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
  if (std::fseek(file_, static_cast<long>(offset), WhenceOf(origin)) != 0) return -1;
  return Position();
}

std::int64_t BufferedFileStream::Position() { return std::ftell(file_); }

std::int64_t BufferedFileStream::Size() {
  long here = std::ftell(file_);
  std::fseek(file_, 0, SEEK_END);
  long size = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  return size;
}

bool BufferedFileStream::TakeWriteFailure() {
  bool failed = writeFailed_;
  writeFailed_ = false;
  return failed;
}

}  // namespace vz::archive
