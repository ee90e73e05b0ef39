// The COM apartment a run keeps for the Help 2 service; nothing where there is no COM.
// Portable: no Win32 here.
#pragma once

#include <memory>

namespace platform {

/// Keeps COM initialised for the calling thread, in the apartment model, while it lives.
/// The program makes one at start so that the Help 2 service can create its objects;
/// where there is no COM it does nothing.
class ComApartment {
 public:
  virtual ~ComApartment() = default;
};

/// Enters the apartment for the calling thread; leave it by destroying the result.
[[nodiscard]] std::unique_ptr<ComApartment> EnterComApartment();

}  // namespace platform
