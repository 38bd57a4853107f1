// The signature dates in VZ32.CNF: the last-write time of VZ.INX and that
// date plus 150 days, at offsets 12 and 16.
#include <gtest/gtest.h>

#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/config_files.h"
#include "machine.h"
#include "scratch_files.h"

using bench::ReadFileBytes;
using bench::WriteFileBytes;

namespace {

int32_t Field32(const std::string& bytes, std::size_t at) {
  int32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

void SetLastWriteTime(const std::string& path, int64_t secondsSince1970) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  int64_t ticks = secondsSince1970 * 10000000 + 116444736000000000;
  FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
  CloseHandle(file);
}

class SignatureDates : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = bench::ScratchFolder("CONFIG");
    shipped_ = ReadFileBytes(bench::TestMachine::MediaFolder() + "VZ32.CNF").value_or("");
    ASSERT_GE(shipped_.size(), 32u) << "VZ32.CNF is not on the media";
    WriteFileBytes(install_ + "VZ32.CNF", shipped_);
    vz::CopyText(vz::g_setup.installFolder, install_.c_str());
  }
  std::string install_, shipped_;
};

TEST_F(SignatureDates, AreTheSignatureFileDateAnd150DaysLater) {
  WriteFileBytes(install_ + "VZ.INX", "index");
  SetLastWriteTime(install_ + "VZ.INX", 893980800);  // 1998-05-01 00:00:00 UTC

  vz::WriteSignatureDates();

  std::string after = ReadFileBytes(install_ + "VZ32.CNF").value_or("");
  ASSERT_EQ(after.size(), shipped_.size());
  EXPECT_EQ(Field32(after, 12), 893980800);
  EXPECT_EQ(Field32(after, 16), 906940800);
  EXPECT_EQ(after.substr(0, 12), shipped_.substr(0, 12));
  EXPECT_EQ(after.substr(20), shipped_.substr(20));
}

TEST_F(SignatureDates, WithoutTheSignatureFileNothingIsWritten) {
  WriteFileBytes(install_ + "VZ32.CNF", shipped_.substr(0, 12) + std::string(8, '\x55') + shipped_.substr(20));
  auto before = ReadFileBytes(install_ + "VZ32.CNF");

  vz::WriteSignatureDates();

  EXPECT_EQ(ReadFileBytes(install_ + "VZ32.CNF"), before);
}

TEST_F(SignatureDates, AMissingConfigurationFileIsNotCreated) {
  DeleteFileA((install_ + "VZ32.CNF").c_str());
  WriteFileBytes(install_ + "VZ.INX", "index");

  vz::WriteSignatureDates();

  EXPECT_FALSE(bench::FileExists(install_ + "VZ32.CNF"));
}

}  // namespace
