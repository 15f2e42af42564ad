#pragma once
// A file stream with a private byte buffer. Records and strings of an archive
// are read and written one byte at a time through the buffer; moves that stay
// inside the buffered window cost no file access.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/OpenedFile.h"

namespace vz::archive {

// Open modes, as bits: the low two bits give the access, 0x20 denies others
// write access (advisory only here), kCreate makes a new, empty file where no
// file is yet. Only regular files are opened.
inline constexpr unsigned kOpenRead = 0x0000;
inline constexpr unsigned kOpenWrite = 0x0001;
inline constexpr unsigned kOpenReadWrite = 0x0002;
inline constexpr unsigned kShareDenyWrite = 0x0020;
inline constexpr unsigned kCreate = 0xFF00;

enum class SeekOrigin { FromStart = 0, FromCurrent = 1, FromEnd = 2 };

class BufferedFileStream {
 public:
  // Throws InOutError when the file cannot be opened or created.
  BufferedFileStream(const std::string& fileName, unsigned mode, std::int32_t capacity);
  // A stream over a file opened elsewhere (read and write), which must outlive it.
  BufferedFileStream(platform::OpenedFile& file, const std::string& fileName, std::int32_t capacity);
  virtual ~BufferedFileStream();
  BufferedFileStream(const BufferedFileStream&) = delete;
  BufferedFileStream& operator=(const BufferedFileStream&) = delete;

  virtual bool ReadByte(std::uint8_t& b);
  virtual void WriteByte(std::uint8_t b);
  void FlushBuffer();
  std::int32_t GetBufferedPosition();
  std::int32_t SmartSeek(std::int32_t offset, SeekOrigin origin);
  void EnableBuffer();
  void DisableBuffer();
  // n byte reads (zeros past the end of the file) and n byte writes.
  std::int32_t ReadBytes(void* destination, std::int32_t n);
  std::int32_t WriteBytes(const void* source, std::int32_t n);

  // The unbuffered platform stream underneath.
  std::int32_t Read(void* destination, std::int32_t n);
  std::int32_t Write(const void* source, std::int32_t n);
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin);
  std::int64_t Position();
  std::int64_t Size();

  const std::string& FileName() const { return fileName_; }
  bool WriteMode() const { return writeMode_; }
  // False when a write to the file failed since the last check.
  bool TakeWriteFailure();

 private:
  void RequireBuffering() const;
  void Initialise();

  std::unique_ptr<platform::OpenedFile> owned_;
  platform::OpenedFile* file_ = nullptr;
  std::vector<std::uint8_t> buffer_;
  std::int32_t capacity_;
  std::int32_t validCount_ = 0;
  std::int32_t index_ = 0;
  std::int32_t bufferOrigin_ = 0;
  bool dirty_ = false;
  bool bufferingOn_ = true;
  std::string fileName_;
  bool writeMode_;
  bool refillNeeded_ = false;
  bool writeFailed_ = false;
};

}  // namespace vz::archive
