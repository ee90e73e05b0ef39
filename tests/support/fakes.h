// The process list and version resource doubles.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/version_resources.h"

namespace testing_support {

/// A process list the test sets; counts how often it was asked.
class FakeProcesses : public platform::Processes {
 public:
  std::vector<std::string> names;
  platform::OsVersion version{2, 5, 1};
  int enumerations = 0;

  std::vector<std::string> RunningImageNames() override {
    ++enumerations;
    return names;
  }
  platform::OsVersion GetOsVersion() override { return version; }
};

/// Version blocks by file path (compared exactly).
class FakeVersionResources : public platform::VersionResources {
 public:
  struct Block {
    std::vector<platform::Translation> translations;
    std::map<std::string, std::string> strings;  // sub-block path -> value
  };
  std::map<std::string, Block> files;

  std::unique_ptr<platform::VersionInfo> Load(const std::string& path) override;
};

}  // namespace testing_support
