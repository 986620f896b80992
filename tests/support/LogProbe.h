#pragma once
// Reads a log's records for assertions: the texts of one level in order, and how many entries (of one
// level, or of any) contain a text. The log must keep its records (every MessageManager does) and
// outlive the probe.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"

namespace testsupport {

class LogProbe {
 public:
  static constexpr std::uint32_t kAnyLevel = 0xFFFFFFFFu;

  explicit LogProbe(const CorvantisEngine::MessageManager& log) : log_(&log) {}

  // Texts of the entries of one level (kAnyLevel: all), in order.
  std::vector<std::string> Entries(std::uint32_t type = kAnyLevel) const {
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < log_->GetRecordCount(); ++i) {
      const CorvantisEngine::LogRecord record = log_->GetRecord(i);
      if (type == kAnyLevel || record.type == type) {
        out.push_back(record.text);
      }
    }
    return out;
  }
  // Every entry's text, one after another.
  std::string Text() const {
    std::string text;
    for (const std::string& entry : Entries()) {
      text += entry;
    }
    return text;
  }
  std::vector<std::string> Errors() const { return Entries(CorvantisEngine::LogRecord::kError); }
  std::vector<std::string> Warnings() const { return Entries(CorvantisEngine::LogRecord::kWarning); }

  // Entries of one level (kAnyLevel: all) that contain the text.
  int Count(std::uint32_t type, const std::string& part) const {
    int count = 0;
    for (const std::string& text : Entries(type)) {
      count += text.find(part) != std::string::npos ? 1 : 0;
    }
    return count;
  }
  int Count(const std::string& part) const { return Count(kAnyLevel, part); }
  bool Logged(std::uint32_t type, const std::string& part) const { return Count(type, part) > 0; }
  bool Logged(const std::string& part) const { return Count(part) > 0; }
  // Whether one entry of the level is exactly the text.
  bool Has(std::uint32_t type, const std::string& text) const {
    for (const std::string& entry : Entries(type)) {
      if (entry == text) {
        return true;
      }
    }
    return false;
  }

 private:
  const CorvantisEngine::MessageManager* log_;
};

}  // namespace testsupport
