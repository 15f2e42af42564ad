#include "archive/BufferedFileStream.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>

#include "archive/ArchiveErrors.h"

namespace vz::archive {

namespace {

platform::SeekFrom FromOf(SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::FromStart: return platform::SeekFrom::Start;
    case SeekOrigin::FromCurrent: return platform::SeekFrom::Current;
    case SeekOrigin::FromEnd: return platform::SeekFrom::End;
  }
  return platform::SeekFrom::Start;
}

std::unique_ptr<platform::OpenedFile> OpenStreamFile(const std::string& fileName, unsigned mode, bool writeMode) {
  platform::FileStatus status;
  std::unique_ptr<platform::OpenedFile> file =
      mode == kCreate ? platform::CreateNewFile(fileName, status)
                      : platform::OpenExistingFile(fileName, writeMode ? platform::FileAccess::ReadWrite : platform::FileAccess::Read,
                                                   platform::LinkPolicy::Follow, status);
  if (!file) throw InOutError("Cannot open file " + status.text);
  return file;
}

}  // namespace

BufferedFileStream::BufferedFileStream(const std::string& fileName, unsigned mode, std::int32_t capacity)
    : capacity_(capacity), fileName_(fileName), writeMode_(mode == kCreate || (mode & 3u) != 0) {
  owned_ = OpenStreamFile(fileName, mode, writeMode_);
  file_ = owned_.get();
  Initialise();
}

BufferedFileStream::BufferedFileStream(platform::OpenedFile& file, const std::string& fileName, std::int32_t capacity)
    : file_(&file), capacity_(capacity), fileName_(fileName), writeMode_(true) {
  Initialise();
}

void BufferedFileStream::Initialise() {
  // Positions are signed 32-bit: a larger file cannot be addressed.
  if (Size() > std::numeric_limits<std::int32_t>::max()) throw InOutError("File too large: " + fileName_);
  buffer_.resize(static_cast<size_t>(capacity_));
  FlushBuffer();
}

BufferedFileStream::~BufferedFileStream() {
  if (bufferingOn_ || dirty_) FlushBuffer();
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
  // A read error ends the data like the end of the file does.
  return static_cast<std::int32_t>(std::max<std::int64_t>(0, file_->Read(destination, n)));
}

std::int32_t BufferedFileStream::Write(const void* source, std::int32_t n) {
  if (n <= 0) return 0;
  return file_->Write(source, n) ? n : 0;
}

std::int64_t BufferedFileStream::Seek(std::int64_t offset, SeekOrigin origin) { return file_->Seek(offset, FromOf(origin)); }

std::int64_t BufferedFileStream::Position() { return file_->Position(); }

std::int64_t BufferedFileStream::Size() { return file_->Size(); }

bool BufferedFileStream::TakeWriteFailure() {
  bool failed = writeFailed_;
  writeFailed_ = false;
  return failed;
}

}  // namespace vz::archive
