#pragma once
// Contract: the one way the core opens and writes files.
//  - An existing file is opened only when it is a regular file: never a FIFO,
//    a device, a socket or a folder (one could stop the shield for good or
//    hand it endless bytes), and never through a symbolic link where the
//    caller says so. Opening has no side effect on anything else.
//  - A file is written under a temporary name in its target's folder, created
//    exclusively (nothing planted under that name is ever followed), and takes
//    the target name by one rename once complete (and, unless the caller
//    says otherwise, flushed to the disk, the folder too). Whatever held the
//    name is replaced, a link included, and never written through. A failure
//    or a crash leaves the old file or the new one.
//  - Date, time and attributes are applied to the open file itself.
// Files opened here are never inherited by programs the shield starts.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/FileMetadata.h"

namespace vz::platform {

enum class FileError {
  None,
  NotFound,        // nothing at the name, or a folder on the way is missing
  AccessDenied,    // no permission, or a read-only file system
  NotRegularFile,  // a FIFO, device, socket or folder
  IsLink,          // a symbolic link where the caller refused one
  TooLarge,        // more bytes than the caller accepts
  Failed,          // anything else: input/output error, full disk, name too long, ...
};

struct FileStatus {
  FileError error = FileError::None;
  std::string text;  // "<path>: <reason>", for messages and logs; empty when ok

  FileStatus() = default;
  FileStatus(FileError e, std::string t) : error(e), text(std::move(t)) {}
  bool ok() const { return error == FileError::None; }
  explicit operator bool() const { return ok(); }
};

enum class FileAccess { Read, ReadWrite };
enum class LinkPolicy { Follow, Refuse };
enum class SeekFrom { Start, Current, End };

// Which file a name led to, and how it stood: a changed identity means the
// file was replaced or written since.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t fileNumber = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

class OpenedFile {
 public:
  virtual ~OpenedFile() = default;

  // Reads from the current position; the number of bytes read (fewer only at
  // the end of the file), -1 on an error.
  virtual std::int64_t Read(void* destination, std::int64_t size) = 0;
  // The same at an offset, leaving the position where it is.
  virtual std::int64_t ReadAt(std::int64_t offset, void* destination, std::int64_t size) = 0;
  // Writes every byte at the current position or fails (full disk, file opened to read).
  virtual bool Write(const void* source, std::int64_t size) = 0;
  // The new position; -1, the position unchanged, when it would be negative.
  virtual std::int64_t Seek(std::int64_t offset, SeekFrom from) = 0;
  virtual std::int64_t Position() const = 0;
  // -1 when it cannot be told.
  virtual std::int64_t Size() = 0;
  virtual FileIdentity Identity() = 0;
  // The name it was opened under (a file being written: its target), for messages.
  virtual const std::string& Path() const = 0;

  // The modification time from a packed date-time (local time).
  virtual bool SetDate(DosDateTime value) = 0;
  // Read-only as the write permissions; hidden, system and archive where the
  // file system keeps them (skipped where it does not).
  virtual bool SetDosAttributes(std::uint32_t attributes) = 0;
};

// Opens an existing regular file. nullptr with the reason in status otherwise.
std::unique_ptr<OpenedFile> OpenExistingFile(const std::string& path, FileAccess access, LinkPolicy links,
                                             FileStatus& status);
// Creates a new, empty file (read and write) where nothing holds the name yet.
std::unique_ptr<OpenedFile> CreateNewFile(const std::string& path, FileStatus& status);

// A file on its way to its target name. Its contents can be written in any
// number of pieces, read back and given its metadata before Commit.
class FileBeingWritten : public OpenedFile {
 public:
  // Puts the file at the target name in one step, flushed to the disk before
  // and the folder after where the options ask for it. The file stays open.
  // Fails once discarded.
  virtual FileStatus Commit() = 0;
  // Removes the temporary file (also done at destruction unless committed).
  virtual void Discard() = 0;
};

struct WriteOptions {
  // The new file gets the access permissions of the regular file it replaces.
  bool keepPermissionsOfReplaced = false;
  // State files are flushed so that a power cut also leaves the old or the
  // new version. Without it a crash of the program still does; files that
  // are unpacked to be read once do without (a flush costs ~10 ms a file).
  bool flushToDisk = true;
};

// Starts writing a file that will replace targetPath. nullptr with status when
// no temporary file can be made in the target's folder.
std::unique_ptr<FileBeingWritten> BeginFileWrite(const std::string& targetPath, FileStatus& status,
                                                 const WriteOptions& options = {});

}  // namespace vz::platform
