// The integration tests' recording host and platform of fakes.
#include "tests/integrate/test_doubles.h"

#include "integrate/strings.h"

namespace integrate_test {

namespace {

template <typename T, typename Service>
T& Install(std::unique_ptr<T> made, std::unique_ptr<Service>* slot) {
  T& ref = *made;
  *slot = std::move(made);
  return ref;
}

}  // namespace

FakePlatform::FakePlatform()
    : registry(Install(std::make_unique<testing_support::FakeRegistry>(), &services.registry)),
      files(Install(std::make_unique<MemoryFiles>(), &services.files)),
      processes(Install(std::make_unique<testing_support::FakeProcesses>(),
                        &services.processes)),
      versions(Install(std::make_unique<testing_support::FakeVersionResources>(),
                       &services.versions)) {}

void RecordingHost::AddLine(int stringId) { InsertLine(integrate::LoadText(stringId), false); }

}  // namespace integrate_test
