#pragma once
// The exceptions of the archive reader. Each carries the fixed message of its
// situation; the caller of an extraction catches them.
#include <stdexcept>
#include <string>

namespace vz::archive {

class EArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A record whose signature is not the expected one.
class ESignatureWrong : public EArchiveError {
 public:
  ESignatureWrong() : EArchiveError("Wrong Signature. Archive could be corrupted.") {}
};

class ESeekError : public EArchiveError {
 public:
  ESeekError() : EArchiveError("SmartSeek General error") {}
};

// The user declined a prompt ("Create new archive cancelled", "Extract operation cancelled").
class EUserCancel : public EArchiveError {
 public:
  using EArchiveError::EArchiveError;
};

// One entry is left out; the extraction goes on with the next.
class EFileNotExtracted : public EArchiveError {
 public:
  using EArchiveError::EArchiveError;
};

class EInOutError : public EArchiveError {
 public:
  using EArchiveError::EArchiveError;
};

// A block that cannot be expanded safely: its header does not fit the work
// buffers, its stream decodes to too many bytes, or its decoder ran more than
// 20 bytes past the payload. Ends the extraction of this archive.
class EBlockDamaged : public EArchiveError {
 public:
  using EArchiveError::EArchiveError;
};

inline constexpr const char* kTooManyBitModeBytes = "Too many bytes read in bit mode.";

}  // namespace vz::archive
