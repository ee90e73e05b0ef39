// The Help 2 registration service: sessions, transactions, namespace and plug-in registration.
// Portable: no Win32 here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

/// A status of the Help 2 registration service: negative is failure; a failing object may
/// leave a description. Every call that returns one can fail, so none may be dropped.
struct [[nodiscard]] Help2Status {
  std::int32_t code = 0;
  bool has_description = false;
  std::string description;
  bool Failed() const { return code < 0; }
};

/// The namespace registration object (kind 0 of GetRegistrationObject).
class Help2Register {
 public:
  virtual ~Help2Register() = default;
  virtual Help2Status RegisterNamespace(const std::string& name_space,
                                        const std::string& collection_file,
                                        const std::string& description) = 0;
  virtual Help2Status RegisterHelpFile(const std::string& name_space,
                                       const std::string& help_file_id, std::int32_t language_id,
                                       const std::string& help_file) = 0;
  /// Takes a help file out of a namespace again: the inverse of RegisterHelpFile.
  virtual Help2Status RemoveHelpFile(const std::string& name_space, const std::string& help_file_id,
                                     std::int32_t language_id) = 0;
  /// Unregisters a namespace: the inverse of RegisterNamespace.
  virtual Help2Status RemoveNamespace(const std::string& name_space) = 0;
};

/// The plug-in registration object (kind 2 of GetRegistrationObject).
class Help2PlugIn {
 public:
  virtual ~Help2PlugIn() = default;
  virtual Help2Status RegisterHelpPlugIn(const std::string& parent_namespace,
                                         const std::string& parent_toc,
                                         const std::string& name_space, const std::string& toc,
                                         const std::string& attribute, std::int32_t options) = 0;
  /// Takes a namespace out of its parent collection: the inverse of RegisterHelpPlugIn.
  virtual Help2Status RemoveHelpPlugIn(const std::string& parent_namespace,
                                       const std::string& parent_toc, const std::string& name_space,
                                       const std::string& toc, const std::string& attribute) = 0;
};

/// One registration session; it carries the transactions.
class Help2Session {
 public:
  virtual ~Help2Session() = default;
  /// Opens a transaction with the given token; the string the service hands back is
  /// released unread.
  virtual Help2Status CreateTransaction(const std::string& token) = 0;
  virtual Help2Status CommitTransaction() = 0;
  /// GetRegistrationObject(0) asked for its namespace interface. A status of success with
  /// *out left empty means the object lacks the interface (0x80004002 is not an error).
  virtual Help2Status GetNamespaceRegistration(std::unique_ptr<Help2Register>* out) = 0;
  /// GetRegistrationObject(2) asked for its plug-in interface; empty *out as above.
  virtual Help2Status GetPlugInRegistration(std::unique_ptr<Help2PlugIn>* out) = 0;
};

/// The Help 2 registration service, abstract because it exists only on Windows machines
/// with the IDEs' help installed.
class Help2Service {
 public:
  virtual ~Help2Service() = default;
  /// Creates a session; success with *out empty when the object lacks the session
  /// interface.
  virtual Help2Status CreateSession(std::unique_ptr<Help2Session>* out) = 0;
};

}  // namespace platform
