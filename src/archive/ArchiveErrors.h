#pragma once
// The exceptions of the archive reader. Each carries the fixed message of its
// situation; the caller of an extraction catches them.
#include <stdexcept>
#include <string>

namespace vz::archive {

class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A record whose signature is not the expected one.
class SignatureWrong : public ArchiveError {
 public:
  SignatureWrong() : ArchiveError("Wrong Signature. Archive could be corrupted.") {}
};

class SeekError : public ArchiveError {
 public:
  SeekError() : ArchiveError("SmartSeek General error") {}
};

// The user declined a prompt ("Create new archive cancelled", "Extract operation cancelled").
class UserCancel : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

// One entry is left out; the extraction goes on with the next.
class FileNotExtracted : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

class InOutError : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

// A block that cannot be expanded safely: its header does not fit the work
// buffers, its stream decodes to too many bytes, or its decoder ran more than
// 20 bytes past the payload. Ends the extraction of this archive.
class BlockDamaged : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

inline constexpr const char* kTooManyBitModeBytes = "Too many bytes read in bit mode.";

}  // namespace vz::archive
