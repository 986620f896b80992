#include "DataFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace CorvantisEngine::testkit {

DataFolder::DataFolder(const std::string& prefix) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  root_ = std::filesystem::temp_directory_path() /
          (prefix + "_" + std::to_string(::getpid()) + "_" + (test != nullptr ? test->name() : "none"));
  std::filesystem::remove_all(root_);
  std::filesystem::create_directories(root_ / "data");
}

DataFolder::~DataFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void DataFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  std::string host = name;
  std::replace(host.begin(), host.end(), '\\', '/');
  const std::filesystem::path path = root_ / "data" / host;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

}  // namespace CorvantisEngine::testkit
