// Splits a fuzzer's bytes into the pieces a target needs, and stops loudly on a broken rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

/// The fuzzer's bytes, taken apart front to back; a missing piece is empty, so every input
/// means something.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size)
      : bytes_(reinterpret_cast<const char*>(data), size) {}
  explicit Input(std::string bytes) : bytes_(std::move(bytes)) {}

  /// Up to the next LF (dropped).
  std::string Line() { return Until('\n'); }
  /// Up to the next NUL (dropped).
  std::string Field() { return Until('\0'); }
  /// Whatever is left.
  std::string Rest() {
    std::string rest = bytes_.substr(pos_);
    pos_ = bytes_.size();
    return rest;
  }
  /// The remaining fields, NUL-separated.
  std::vector<std::string> Fields() {
    std::vector<std::string> fields;
    while (pos_ < bytes_.size()) fields.push_back(Field());
    return fields;
  }

 private:
  std::string Until(char end) {
    const std::size_t stop = bytes_.find(end, pos_);
    const std::size_t next = stop == std::string::npos ? bytes_.size() : stop + 1;
    std::string piece =
        bytes_.substr(pos_, (stop == std::string::npos ? bytes_.size() : stop) - pos_);
    pos_ = next;
    return piece;
  }

  std::string bytes_;
  std::size_t pos_ = 0;
};

/// A rule the code promises; breaking it is a finding, so the fuzzer stops with the reason.
inline void Check(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "broken rule: %s\n", rule);
  std::abort();
}

}  // namespace fuzz
