// The extraction folder as other users and later starts meet it: a later
// start uses the files it finds in place only when its stamp proves them
// unchanged; another user swapping folders during 150 starts never gets a
// library loaded or a file written; a damaged module image ends in the
// "Error" box's message and exit code 1.

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "image/image_format.h"
#include "launcher/launch_error.h"
#include "launcher/unpack_stamp.h"
#include "launcher_test_support.h"

namespace pcshop::launcher::testing {
namespace {

namespace fs = std::filesystem;

ino_t InodeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// How many lines of the kernel log start with `key`.
int CountLines(const std::string& log, const std::string& key) {
  std::ifstream in(log);
  int n = 0;
  for (std::string line; std::getline(in, line);) n += line.starts_with(key + " ") ? 1 : 0;
  return n;
}

// ---- A later start. ----

class LaterStartTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    folder_ = run_dir_ + "/pcshop";
    program_ = MakeProgram(PackageTail(
        "pcshop", {{"ctlpk.dll", Bytes("support")}, {"morva.mlr", RecordingKernel()}}));
    ASSERT_EQ(Run(program_).exit_code, 0);
    ASSERT_TRUE(Exists(folder_ + "/" + std::string(kStampName)));
  }
  // Starts again; true when it rewrote the kernel library (a new file).
  bool StartRewrites() {
    const ino_t before = InodeOf(folder_ + "/morva.mlr");
    std::remove(log_.c_str());
    const ChildResult r = Run(program_);
    EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_EQ(KernelLog()["version"], "1000");
    return InodeOf(folder_ + "/morva.mlr") != before;
  }

  std::string program_;
  std::string folder_;
};

TEST_F(LaterStartTest, FilesProvenUnchangedAreUsedWithoutWritingAnything) {
  const ino_t stamp = InodeOf(folder_ + "/" + std::string(kStampName));
  const ino_t support = InodeOf(folder_ + "/ctlpk.dll");
  EXPECT_FALSE(StartRewrites());
  EXPECT_FALSE(StartRewrites());
  EXPECT_EQ(InodeOf(folder_ + "/ctlpk.dll"), support);
  EXPECT_EQ(InodeOf(folder_ + "/" + std::string(kStampName)), stamp);
  EXPECT_EQ(KernelLog()["library"], folder_ + "/morva.mlr");
}

TEST_F(LaterStartTest, AnyChangedOrMissingFileBringsBackTheFullUnpack) {
  // Same size, other bytes.
  WriteBytes(folder_ + "/ctlpk.dll", Bytes("SUPPORT"));
  EXPECT_TRUE(StartRewrites());
  EXPECT_EQ(ReadBytes(folder_ + "/ctlpk.dll"), Bytes("support"));
  EXPECT_FALSE(StartRewrites());
  // A kernel replaced by another file.
  const std::string other = folder_ + "/other";
  WriteBytes(other, NullEntryKernel());
  ASSERT_EQ(::rename(other.c_str(), (folder_ + "/morva.mlr").c_str()), 0);
  EXPECT_TRUE(StartRewrites());
  EXPECT_EQ(ReadBytes(folder_ + "/morva.mlr"), RecordingKernel());
  // Only a mode changed.
  ASSERT_EQ(::chmod((folder_ + "/ctlpk.dll").c_str(), 0600), 0);
  EXPECT_TRUE(StartRewrites());
  // A file gone, a file turned into a link.
  ASSERT_EQ(::unlink((folder_ + "/ctlpk.dll").c_str()), 0);
  EXPECT_TRUE(StartRewrites());
  ASSERT_EQ(::unlink((folder_ + "/ctlpk.dll").c_str()), 0);
  ASSERT_EQ(::symlink((folder_ + "/morva.mlr").c_str(), (folder_ + "/ctlpk.dll").c_str()), 0);
  EXPECT_TRUE(StartRewrites());
  EXPECT_EQ(ReadBytes(folder_ + "/ctlpk.dll"), Bytes("support"));
}

TEST_F(LaterStartTest, DamagedOrForeignStampBringsBackTheFullUnpack) {
  const std::string stamp = folder_ + "/" + std::string(kStampName);
  std::vector<uint8_t> bytes = ReadBytes(stamp);
  for (const size_t cut : {size_t{0}, size_t{15}, bytes.size() - 1}) {
    WriteBytes(stamp, std::span(bytes).first(cut));
    EXPECT_TRUE(StartRewrites()) << cut;
  }
  bytes = ReadBytes(stamp);
  bytes[20] ^= 1;  // the program's identity
  WriteBytes(stamp, bytes);
  EXPECT_TRUE(StartRewrites());
  // A stamp that is a link to a good one.
  const std::string good = root_ + "/good-stamp";
  ASSERT_EQ(::rename(stamp.c_str(), good.c_str()), 0);
  ASSERT_EQ(::symlink(good.c_str(), stamp.c_str()), 0);
  EXPECT_TRUE(StartRewrites());
}

TEST_F(LaterStartTest, ChangedProgramFileGoesThroughEveryStepAndItsMessages) {
  // A byte of the compressed stream changed in place: the program file's
  // identity moves, the package is inflated again and the damage is found.
  std::vector<uint8_t> bytes = ReadBytes(program_);
  bytes[bytes.size() - 200] ^= 0x55;
  {
    std::fstream f(program_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(bytes.size() - 200));
    f.put(static_cast<char>(bytes[bytes.size() - 200]));
  }
  const ChildResult r = Run(program_);
  EXPECT_EQ(r.stderr_text, std::string(Message(LaunchError::kDecompress)) + "\n");
  EXPECT_EQ(r.exit_code, 1);

  // Another program with another package in the same folder.
  program_ = MakeProgram(PackageTail("pcshop", {{"ctlpk.dll", Bytes("support 2")},
                                                {"morva.mlr", RecordingKernel()}}));
  EXPECT_TRUE(StartRewrites());
  EXPECT_EQ(ReadBytes(folder_ + "/ctlpk.dll"), Bytes("support 2"));
  EXPECT_FALSE(StartRewrites());
}

TEST_F(LaterStartTest, PackageWithAnEntryNamedLikeTheStampIsNeverStamped) {
  program_ = MakeProgram(PackageTail(
      "other", {{std::string(kStampName), Bytes("mine")}, {"morva.mlr", RecordingKernel()}}));
  const std::string folder = run_dir_ + "/other";
  for (int i = 0; i < 2; ++i) {
    const ino_t before = InodeOf(folder + "/morva.mlr");
    ASSERT_EQ(Run(program_).exit_code, 0);
    EXPECT_NE(InodeOf(folder + "/morva.mlr"), before);
    EXPECT_EQ(ReadBytes(folder + "/" + std::string(kStampName)), Bytes("mine"));
  }
}

// ---- Two copies started together. ----

// PCSHOP_PAIR_STARTS overrides the number of pair starts.
int PairStarts(int fallback) {
  const char* v = std::getenv("PCSHOP_PAIR_STARTS");
  return v != nullptr && std::atoi(v) > 0 ? std::atoi(v) : fallback;
}

struct PairCase {
  const char* name;
  bool from_cache;  // no runtime folder, and the cache folder made afresh
  int starts;
};

class PairStartTest : public LauncherTest, public ::testing::WithParamInterface<PairCase> {};

// Each round starts from nothing: both copies make the folders, write the
// same files and load the library, and both must start from one folder.
TEST_P(PairStartTest, BothCopiesStartFromTheSameFolder) {
  const PairCase& c = GetParam();
  const std::string base = c.from_cache ? cache_dir_ + "/pcshop" : run_dir_;
  const std::string folder = base + "/pcshop";
  const std::string program =
      MakeProgram(PackageTail("pcshop", {{"ctlpk.dll", Bytes("support")},
                                         {"morva.mlr", RecordingKernel()}}));
  std::vector<std::map<std::string, std::string>> envs(2);
  for (size_t i = 0; i < envs.size(); ++i) {
    envs[i]["PCSHOP_TEST_KERNEL_LOG"] = log_ + std::to_string(i);
    if (c.from_cache) envs[i]["XDG_RUNTIME_DIR"] = "";
  }
  int failed = 0;
  int elsewhere = 0;
  for (int round = 0; round < PairStarts(c.starts); ++round) {
    fs::remove_all(c.from_cache ? cache_dir_ : folder);
    for (size_t i = 0; i < envs.size(); ++i) std::remove((log_ + std::to_string(i)).c_str());
    for (const ChildResult& r : RunTogether(program, envs)) {
      failed += r.exit_code != 0 ? 1 : 0;
      EXPECT_EQ(r.stderr_text, "") << "round " << round;
    }
    for (size_t i = 0; i < envs.size(); ++i) {
      std::ifstream in(log_ + std::to_string(i));
      std::string line;
      bool here = false;
      // The partner may have replaced the file since it was loaded.
      while (std::getline(in, line)) {
        here = here || line == "library " + folder + "/morva.mlr" ||
               line == "library " + folder + "/morva.mlr (deleted)";
      }
      elsewhere += here ? 0 : 1;
    }
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"ctlpk.dll", "morva.mlr"}));
    EXPECT_EQ(ReadBytes(folder + "/ctlpk.dll"), Bytes("support"));
  }
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(elsewhere, 0);
}

INSTANTIATE_TEST_SUITE_P(Folders, PairStartTest,
                         ::testing::Values(PairCase{"EmptyRuntimeFolder", false, 200},
                                           PairCase{"NoCacheFolderYet", true, 50}),
                         [](const ::testing::TestParamInfo<PairCase>& p) { return std::string(p.param.name); });

// ---- Another user racing the start. ----

// The attacker, as uid/gid 65534 in a child: plants its own library in a
// folder of its own beside the victim's folder in a shared parent, and swaps
// the two folders without pause (renameat2 RENAME_EXCHANGE), replanting the
// library every few swaps. Ends when killed.
[[noreturn]] void Attack(const std::string& shared, const std::vector<uint8_t>& library) {
  if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
  const int parent = ::open(shared.c_str(), O_PATH | O_DIRECTORY);
  ::mkdirat(parent, "b", 0755);
  const int mine = ::openat(parent, "b", O_PATH | O_DIRECTORY);
  ::mkdirat(mine, "run", 0700);
  const int run = ::openat(mine, "run", O_PATH | O_DIRECTORY);
  ::mkdirat(run, "pcshop", 0777);
  const int pcshop = ::openat(run, "pcshop", O_PATH | O_DIRECTORY);
  for (unsigned i = 0;; ++i) {
    if (i % 8 == 0) {
      const int fd = ::openat(pcshop, "morva.mlr", O_WRONLY | O_CREAT | O_TRUNC, 0755);
      if (fd >= 0) {
        (void)!::write(fd, library.data(), library.size());
        ::close(fd);
      }
    }
    ::syscall(SYS_renameat2, parent, "a", parent, "b", RENAME_EXCHANGE);
  }
}

class RaceTest : public LauncherTest {
 protected:
  // Runs `starts` starts with XDG_RUNTIME_DIR in `shared` (mode `mode`)
  // while the attacker swaps; counts the loads of each kind.
  void Race(mode_t mode, int starts, const std::string& expected_base, bool refused) {
    ASSERT_EQ(::chmod(root_.c_str(), 0755), 0);  // the attacker may reach shared/
    const std::string shared = root_ + "/shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((shared + "/a").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((shared + "/a/run").c_str(), 0700), 0);
    ASSERT_EQ(::chmod(shared.c_str(), mode), 0);

    const std::vector<uint8_t> foreign = ReadBytes(PCSHOP_FOREIGN_KERNEL_PATH);
    const pid_t attacker = ::fork();
    ASSERT_GE(attacker, 0);
    if (attacker == 0) Attack(shared, foreign);

    const std::string program =
        MakeProgram(PackageTail("pcshop", {{"morva.mlr", RecordingKernel()}}));
    const std::map<std::string, std::string> env = {{"XDG_RUNTIME_DIR", shared + "/a/run"}};
    int failed = 0;
    for (int i = 0; i < starts; ++i) failed += Run(program, env).exit_code != 0 ? 1 : 0;
    ::kill(attacker, SIGKILL);
    ::waitpid(attacker, nullptr, 0);

    EXPECT_EQ(failed, 0);
    EXPECT_EQ(CountLines(log_, "foreign"), 0);
    EXPECT_EQ(CountLines(log_, "version"), starts);
    EXPECT_EQ(KernelLog()["library"], expected_base + "/pcshop/morva.mlr");
    // Nothing of the victim's in the attacker's folders; nothing at all in
    // the victim's own when it was refused.
    for (const auto& top : fs::directory_iterator(shared)) {
      struct stat st;
      ASSERT_EQ(::lstat(top.path().c_str(), &st), 0);
      const bool attackers = st.st_uid == 65534;
      for (const auto& e : fs::recursive_directory_iterator(top.path())) {
        ASSERT_EQ(::lstat(e.path().c_str(), &st), 0);
        if (S_ISDIR(st.st_mode)) continue;
        if (attackers) {
          EXPECT_EQ(st.st_uid, 65534u) << e.path() << " was left by the victim";
        } else {
          EXPECT_FALSE(refused) << e.path() << " was written into a refused base";
        }
      }
    }
  }

  void SetUp() override {
    LauncherTest::SetUp();
    if (::geteuid() != 0) GTEST_SKIP() << "the race needs root to run a second uid";
  }

  // PCSHOP_RACE_STARTS overrides the number of starts.
  static int Starts(int fallback) {
    const char* v = std::getenv("PCSHOP_RACE_STARTS");
    return v != nullptr && std::atoi(v) > 0 ? std::atoi(v) : fallback;
  }
};

TEST_F(RaceTest, SwappedParentWithoutStickyBitIsNeverUsed) {
  // The base lies below a folder everyone may write: refused, the start
  // comes from the cache folder.
  Race(0777, Starts(150), cache_dir_ + "/pcshop", true);
}

TEST_F(RaceTest, StickyParentCannotBeSwappedByAnotherUser) {
  // As /tmp: the base is used, the attacker's renames of it fail.
  Race(01777, Starts(30), root_ + "/shared/a/run", false);
}

// ---- A damaged module image. ----

using DamagedImageTest = LauncherTest;

// The built program with its module image's block header damaged: the
// image still binds, but the runtime refuses it.
TEST_F(DamagedImageTest, RefusedImageEndsWithTheMessageAndOne) {
  std::vector<uint8_t> program = ReadBytes(PCSHOP_PROGRAM_PATH);
  // The block header: marker, then the image's size.
  std::vector<uint8_t> header(image::format::kEmbeddedMarker.begin(),
                              image::format::kEmbeddedMarker.end());
  const auto size = static_cast<uint32_t>(ReadBytes(PCSHOP_APP_IMAGE_BIN).size());
  for (int i = 0; i < 4; ++i) header.push_back(static_cast<uint8_t>(size >> (8 * i)));
  const auto at = std::search(program.begin(), program.end(), header.begin(), header.end());
  ASSERT_NE(at, program.end()) << "no module image in the program";
  *at ^= 0x20;

  const std::string path = root_ + "/pcshop";
  WriteBytes(path, program);
  ASSERT_EQ(::chmod(path.c_str(), 0755), 0);
  const ChildResult r = Run(path, {{"QT_QPA_PLATFORM", "offscreen"}});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.stderr_text,
            "The program file is damaged! (the module image has no embedded image header)\n");
}

}  // namespace
}  // namespace pcshop::launcher::testing
