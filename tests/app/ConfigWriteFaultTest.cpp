// config.txt through write faults that need Linux to stage: a full tmpfs, a
// file-size limit, a read-only mount, POSIX permissions.
#include "app/Config.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.h"
#include "tests/reliability/WriteFaults.h"

namespace velmora {
namespace {

class ConfigFile : public ::testing::Test {
 protected:
  void TearDown() override { ::chmod(dir_.c_str(), 0755); }
  void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Slurp() {
    std::ifstream f(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }
  platform::TempDir temp_{"velmora-config-"};
  const std::filesystem::path dir_ = temp_.path(), path_ = dir_ / "config.txt";
};

// A rewrite that cannot be completed leaves the user's file as it was and
// says which file and why; a direct rewrite (which would cut the file short
// on a full disk) is only for a directory that takes no new file.
TEST_F(ConfigFile, EveryWriteFaultKeepsThePreviousBytesAndNamesTheReason) {
  const std::string old = "1\r\n2\r\n640\r\n1\r\ntcp\r\n";
  struct Held {
    std::optional<testing::ScopedMount> mount;
    std::optional<testing::ScopedFileSizeLimit> limit;
  };
  struct Fault {
    const char* name;
    int error;
    // Puts the old file in place and the fault in force; the reason when it cannot.
    std::function<std::string(Held&)> inflict;
  };
  const Fault faults[] = {
      {"disk full", ENOSPC,
       [&](Held& h) {
         h.mount.emplace(testing::ScopedMount::Tmpfs(dir_, 64 << 10));
         if (!h.mount->error().empty()) return h.mount->error();
         Put(old);
         testing::FillUp(dir_);
         return std::string();
       }},
      {"file-size limit of 10 bytes", EFBIG,
       [&](Held& h) {
         Put(old);
         h.limit.emplace(10);
         return std::string();
       }},
      {"read-only file system", EROFS,
       [&](Held& h) {
         Put(old);
         h.mount.emplace(testing::ScopedMount::ReadOnly(dir_));
         return h.mount->error();
       }},
      {"read-only directory and file", EACCES,
       [&](Held&) {
         if (::geteuid() == 0) return std::string("root ignores permissions (the read-only mount stands in)");
         Put(old);
         ::chmod(dir_.c_str(), 0555);
         ::chmod(path_.c_str(), 0444);
         return std::string();
       }},
  };
  for (const auto& f : faults) {
    Held held;
    if (std::string why = f.inflict(held); !why.empty()) {
      std::printf("%s: not run here: %s\n", f.name, why.c_str());
      continue;
    }
    std::string error;
    EXPECT_FALSE(WriteConfigFile(path_, WindowConfig{9, 9, 900, 2, "udp"}, &error)) << f.name;
    held.limit.reset();
    EXPECT_EQ(Slurp(), old) << f.name;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "config.txt.tmp")) << f.name;
    EXPECT_EQ(error, "cannot write " + path_.string() + ": " + std::strerror(f.error)) << f.name;
    held.mount.reset();
    ::chmod(dir_.c_str(), 0755);
    std::filesystem::remove(path_);
  }
}

}  // namespace
}  // namespace velmora
