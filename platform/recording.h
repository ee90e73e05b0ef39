// What the change record's decorators share: how they name what they record, and how each is
// made. The rest of the system includes change_record.h only.
// Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/change_record.h"

namespace platform {

class RecordingFiles;

/// The record's key of a registry value; names compare case-insensitively, as Windows compares
/// them.
std::string ValueIdentity(RootKey root, const std::string& key, const std::string& name);

/// The record's key of a file or folder, whatever its case, separators or trailing separators.
std::string FileIdentity(const std::string& path);

/// A text in double quotes, as the record's messages show names and values.
std::string Quoted(const std::string& text);

/// FNV-1a, 64 bits: a content digest cheap enough for files of hundreds of MB, taken byte by
/// byte so a file's new bytes need not be held whole to be digested.
constexpr std::uint64_t kFnvBasis = 14695981039346656037ull;
inline std::uint64_t FnvStep(std::uint64_t hash, char c) {
  return (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
}
/// A digest as ContentDigest spells it.
std::string DigestText(std::size_t size, std::uint64_t hash);

/// The recording registry: values written are noted, and in a dry run kept and served back.
std::unique_ptr<Registry> NewRecordingRegistry(ChangeRecord& record);

/// The recording shell copy, which records through the record's file services what each
/// planned step creates or replaces.
std::unique_ptr<ShellCopy> NewRecordingShellCopy(ChangeRecord& record, RecordingFiles& files);

/// The recording Help 2 service: each registration call is noted, and withheld in a dry run.
std::unique_ptr<Help2Service> NewRecordingHelp2(ChangeRecord& record);

}  // namespace platform
