// The process list and version resource doubles.
#include "tests/support/fakes.h"

namespace testing_support {
namespace {

class FakeVersionInfo : public platform::VersionInfo {
 public:
  explicit FakeVersionInfo(FakeVersionResources::Block block) : block_(std::move(block)) {}
  std::vector<platform::Translation> Translations() override { return block_.translations; }
  bool QueryString(const std::string& sub_block, std::string* value) override {
    auto it = block_.strings.find(sub_block);
    if (it == block_.strings.end()) return false;
    *value = it->second;
    return true;
  }

 private:
  FakeVersionResources::Block block_;
};

}  // namespace

std::unique_ptr<platform::VersionInfo> FakeVersionResources::Load(const std::string& path) {
  auto it = files.find(path);
  if (it == files.end()) return nullptr;
  return std::make_unique<FakeVersionInfo>(it->second);
}

}  // namespace testing_support
