// pcshop_pack makes a program the launcher starts: base names, order, folder
// or folder id, key; and it refuses what the launcher would refuse.

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>

#include "launcher/little_endian.h"
#include "launcher/package_format.h"
#include "launcher/package_reader.h"
#include "launcher_test_support.h"

namespace pcshop::launcher::testing {
namespace {

class PackToolTest : public LauncherTest {
 protected:
  // Runs pcshop_pack with `args`; its exit code.
  int Pack(const std::string& args) {
    const std::string command = std::string(PCSHOP_PACK_PATH) + " " + args + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The payload at the end of a packed program.
  std::vector<uint8_t> PayloadOf(const std::string& program) {
    const std::vector<uint8_t> bytes = ReadBytes(program);
    const uint32_t size = LoadLE32(bytes.data() + bytes.size() - 8);
    EXPECT_EQ(LoadLE32(bytes.data() + bytes.size() - 4), format::kTrailerMagic);
    return {bytes.end() - 8 - size, bytes.end() - 8};
  }

  void SetUp() override {
    LauncherTest::SetUp();
    const std::string in = root_ + "/in";
    ASSERT_EQ(::mkdir(in.c_str(), 0700), 0);
    kernel_ = in + "/morva.mlr";
    support_ = in + "/ctlpk.dll";
    WriteBytes(kernel_, RecordingKernel());
    WriteBytes(support_, Bytes("support"));
  }

  std::string kernel_, support_;
};

TEST_F(PackToolTest, PackedProgramStartsAndExtractsIntoTheNamedFolder) {
  const std::string out = root_ + "/pcshop";
  ASSERT_EQ(Pack("--out " + out + " --exe " + PCSHOP_LAUNCHER_PATH + " --folder pcshop " +
                 support_ + " " + kernel_),
            0);
  struct stat st;
  ASSERT_EQ(::stat(out.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IXUSR, 0u);
  const ChildResult r = Run(out);
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_EQ(FilesIn(run_dir_ + "/pcshop"), (std::vector<std::string>{"ctlpk.dll", "morva.mlr"}));
  EXPECT_EQ(KernelLog()["version"], "1000");

  Expected<Package> p = ReadPackage(PayloadOf(out));
  ASSERT_TRUE(p.ok());
  ASSERT_EQ(p->entries.size(), 2u);
  EXPECT_EQ(p->entries[0].name, "ctlpk.dll");  // base names, in the order given
  EXPECT_EQ(p->entries[1].name, "morva.mlr");
}

TEST_F(PackToolTest, FolderIdAndKeyAreStoredAsGiven) {
  const std::string out = root_ + "/pcshop";
  ASSERT_EQ(Pack("--out " + out + " --exe " + PCSHOP_LAUNCHER_PATH +
                 " --folder-id 1a2b --key 0x04030201 " + kernel_),
            0);
  const std::vector<uint8_t> payload = PayloadOf(out);
  EXPECT_EQ(LoadLE32(payload.data() + 4), 0x1A2Bu);
  EXPECT_EQ(std::vector<uint8_t>(payload.begin() + 8, payload.begin() + 12),
            (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(Run(out).exit_code, 0);
  EXPECT_EQ(KernelLog()["library"], run_dir_ + "/Z_N1A2B/morva.mlr");
}

TEST_F(PackToolTest, WithoutAFolderTheIdFollowsTheContents) {
  const std::string a = root_ + "/a", b = root_ + "/b";
  const std::string exe = std::string(" --exe ") + PCSHOP_LAUNCHER_PATH + " ";
  ASSERT_EQ(Pack("--out " + a + exe + kernel_), 0);
  ASSERT_EQ(Pack("--out " + b + exe + support_ + " " + kernel_), 0);
  const std::string folder_a = ReadPackage(PayloadOf(a))->folder;
  EXPECT_EQ(folder_a.rfind("Z_N", 0), 0u);
  EXPECT_NE(folder_a, ReadPackage(PayloadOf(b))->folder);
}

TEST_F(PackToolTest, RefusesBadArgumentsAndSmallExecutables) {
  const std::string exe = std::string(" --exe ") + PCSHOP_LAUNCHER_PATH + " ";
  const std::string out = " --out " + root_ + "/x ";
  EXPECT_EQ(Pack(out + exe), 2);                                          // no files
  EXPECT_EQ(Pack(exe + kernel_), 2);                                      // no --out
  EXPECT_EQ(Pack(out + exe + "--folder a --folder-id 1 " + kernel_), 2);  // both
  EXPECT_EQ(Pack(out + exe + "--key xyz " + kernel_), 2);                 // bad key
  EXPECT_EQ(Pack(out + exe + "--folder-id 123456789 " + kernel_), 2);     // 33 bits
  EXPECT_EQ(Pack(out + exe + "--folder .. " + kernel_), 1);               // unsafe folder
  EXPECT_EQ(Pack(out + exe + root_ + "/missing"), 1);                     // unreadable file
  EXPECT_EQ(Pack(out + " --exe " + support_ + " " + kernel_), 1);         // 7-byte "executable"
  EXPECT_FALSE(Exists(root_ + "/x"));
}

}  // namespace
}  // namespace pcshop::launcher::testing
