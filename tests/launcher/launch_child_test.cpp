// The built launcher run as a child process with crafted packages appended:
// each fault shows its exact message and exits with 1; the hand-off reaches
// the kernel with the module image; extraction is private and atomic.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "launcher/launch_error.h"
#include "launcher/little_endian.h"
#include "launcher/package_format.h"
#include "launcher/package_writer.h"
#include "launcher_test_support.h"

namespace pcshop::launcher::testing {
namespace {

namespace fs = std::filesystem;

std::string Line(LaunchError e) {
  return std::string(Message(e)) + "\n";
}

// The first bytes of the module image built into the launcher, as the
// recording kernel logs them.
std::string ImageHeadHex() {
  const std::vector<uint8_t> image = ReadBytes(PCSHOP_APP_IMAGE_BIN);
  std::string hex;
  char b[3];
  for (size_t i = 0; i < 64 && i < image.size(); ++i) {
    const uint8_t c = image[i];
    std::snprintf(b, sizeof b, "%02x", c);
    hex += b;
  }
  return hex;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ---- Damaged and unusable packages: one table, one exact message each. ----

struct DamagedCase {
  const char* name;
  std::function<std::vector<uint8_t>()> tail;
  LaunchError error;
};

std::vector<uint8_t> WithU(uint32_t u) {
  PayloadFields f;
  f.stream = Compress(EncodeEntries(std::vector<PackageFile>{{"morva.mlr", RecordingKernel()}}));
  f.unpacked_size = u;
  return Tail(AssemblePayload(f));
}

std::vector<DamagedCase> DamagedCases() {
  const auto kernel = [] { return std::vector<PackageFile>{{"morva.mlr", RecordingKernel()}}; };
  return {
      {"NothingAppended", [] { return std::vector<uint8_t>{}; }, LaunchError::kInvalidData},
      {"WrongTrailerMagic",
       [=] {
         auto t = PackageTail("pcshop", kernel());
         t.back() ^= 0x01;
         return t;
       },
       LaunchError::kInvalidData},
      {"PayloadSizeBelowFour",
       [] {
         auto t = EncodeTrailer(3);
         return std::vector<uint8_t>(t.begin(), t.end());
       },
       LaunchError::kInvalidData},
      {"PayloadSizeNegative",
       [] {
         auto t = EncodeTrailer(0x80000010u);
         return std::vector<uint8_t>(t.begin(), t.end());
       },
       LaunchError::kInvalidData},
      {"PayloadSizeReachesTheFileStart",
       [] {
         auto t = EncodeTrailer(static_cast<uint32_t>(LauncherBytes().size()));
         return std::vector<uint8_t>(t.begin(), t.end());
       },
       LaunchError::kInvalidData},
      {"WrongPayloadMagic",
       [=] {
         auto t = PackageTail("pcshop", kernel());
         t[0] ^= 0x80;
         return t;
       },
       LaunchError::kReadPayload},
      {"PayloadTooShort",
       [] {
         PayloadFields f;  // header, empty name, stream header, no stream byte
         f.unpacked_size = 1;
         return Tail(AssemblePayload(f));
       },
       LaunchError::kInvalidData},
      {"PayloadWithoutNameTerminator",
       [] {
         std::vector<uint8_t> p(format::kPayloadHeaderSize + 5, 'x');
         StoreLE32(p.data(), format::kPayloadMagic);
         std::fill(p.begin() + 8, p.begin() + 12, 0);  // key 0: the area stays "xxxxx"
         return Tail(p);
       },
       LaunchError::kInvalidData},
      {"BadStreamMagic",
       [] {
         PayloadFields f;
         f.stream_magic = 0x033E0F0C;
         f.unpacked_size = 10;
         f.stream = Compress(Bytes("whatever"));
         return Tail(AssemblePayload(f));
       },
       LaunchError::kInvalidData},
      {"UnpackedSizeZero", [] { return WithU(0); }, LaunchError::kInvalidData},
      {"UnpackedSizeNegative", [] { return WithU(0xFFFFFFF0u); }, LaunchError::kInvalidData},
      {"DamagedStream",
       [] {
         PayloadFields f;
         f.unpacked_size = 1 << 20;
         f.stream =
             Compress(EncodeEntries(std::vector<PackageFile>{{"morva.mlr", RecordingKernel()}}));
         f.stream[f.stream.size() / 2] ^= 0x55;
         f.stream.back() ^= 0x55;
         return Tail(AssemblePayload(f));
       },
       LaunchError::kDecompress},
      {"StreamLargerThanDeclared",
       [] {
         const auto data =
             EncodeEntries(std::vector<PackageFile>{{"morva.mlr", RecordingKernel()}});
         return RawPackageTail("pcshop", data, static_cast<uint32_t>(data.size() - 1));
       },
       LaunchError::kDecompress},
      {"NoKernelLibrary",
       [] {
         return PackageTail("pcshop", {{"ctlpk.dll", Bytes("support")}});
       },
       LaunchError::kNoKernel},
      {"KernelDoesNotLoad",
       [] {
         return PackageTail("pcshop", {{"morva.mlr", Bytes("not a shared object")}});
       },
       LaunchError::kLoadKernel},
      {"KernelWithoutGetRuntimeEntry",
       [] {
         return PackageTail("pcshop", {{"morva.mlr", NoExportKernel()}});
       },
       LaunchError::kKernelInvalid},
      {"GetRuntimeEntryReturnsNull",
       [] {
         return PackageTail("pcshop", {{"morva.mlr", NullEntryKernel()}});
       },
       LaunchError::kInterfaceInvalid},
      {"EntryNameRunsPastTheData", [] { return RawPackageTail("pcshop", Bytes("morva.mlr")); },
       LaunchError::kInvalidData},
      {"EntryLengthRunsPastTheData",
       [] { return RawPackageTail("pcshop", Bytes(std::string("morva.mlr\0\x10\0", 12))); },
       LaunchError::kInvalidData},
      {"EntryDataRunsPastTheData",
       [] { return RawPackageTail("pcshop", Bytes(std::string("morva.mlr\0\x10\0\0\0abc", 17))); },
       LaunchError::kInvalidData},
      {"EntryNameClimbsOut",
       [] {
         return RawPackageTail("pcshop",
                               EncodeEntries(std::vector<PackageFile>{{"../x", Bytes("1")}}));
       },
       LaunchError::kInvalidData},
      {"EntryNameHasAFolder",
       [] {
         return RawPackageTail("pcshop",
                               EncodeEntries(std::vector<PackageFile>{{"sub/x", Bytes("1")}}));
       },
       LaunchError::kInvalidData},
      {"FolderNameClimbsOut",
       [] {
         return RawPackageTail("..",
                               EncodeEntries(std::vector<PackageFile>{{"morva.mlr", Bytes("1")}}));
       },
       LaunchError::kInvalidData},
  };
}

class DamagedPackageTest : public LauncherTest,
                           public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedPackageTest, ShowsItsMessageAndExitsWithOne) {
  const ChildResult r = Run(MakeProgram(GetParam().tail()));
  EXPECT_EQ(r.stderr_text, Line(GetParam().error));
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(KernelLog().empty());  // no kernel ran
}

INSTANTIATE_TEST_SUITE_P(Launcher, DamagedPackageTest, ::testing::ValuesIn(DamagedCases()),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- The hand-off and the extraction. ----

using LaunchChildTest = LauncherTest;

TEST_F(LaunchChildTest, HandOffReachesTheEntryWithTheImageAndVersion1000) {
  const std::string program = MakeProgram(
      PackageTail("pcshop", {{"morva.mlr", RecordingKernel()}, {"ctlpk.dll", Bytes("c")}}));
  const ChildResult r = Run(program);
  EXPECT_EQ(r.stderr_text, "");
  EXPECT_EQ(r.exit_code, 0);
  auto log = KernelLog();
  EXPECT_EQ(log["version"], "1000");
  EXPECT_EQ(log["image_bytes"], ImageHeadHex());
  EXPECT_EQ(log["library"], run_dir_ + "/pcshop/morva.mlr");
  EXPECT_EQ(FilesIn(run_dir_ + "/pcshop"), (std::vector<std::string>{"ctlpk.dll", "morva.mlr"}));
  EXPECT_EQ(ReadBytes(run_dir_ + "/pcshop/ctlpk.dll"), Bytes("c"));
  EXPECT_EQ(ReadBytes(run_dir_ + "/pcshop/morva.mlr"), RecordingKernel());
}

TEST_F(LaunchChildTest, EmptyFolderNameExtractsIntoTheFolderIdsFolder) {
  const ChildResult r =
      Run(MakeProgram(PackageTail("", {{"morva.mlr", RecordingKernel()}}, 0x1A2B)));
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_EQ(KernelLog()["library"], run_dir_ + "/Z_N1A2B/morva.mlr");
}

TEST_F(LaunchChildTest, BothKernelNamesAreExtractedAndTheLastIsLoaded) {
  // The first one would fail; success proves the last one was loaded.
  EXPECT_EQ(0, Run(MakeProgram(PackageTail("pcshop", {{"morva.mlr", NullEntryKernel()},
                                                      {"morva.mlb", RecordingKernel()}})))
                   .exit_code);
  EXPECT_EQ(KernelLog()["library"], run_dir_ + "/pcshop/morva.mlb");
  EXPECT_EQ(FilesIn(run_dir_ + "/pcshop"), (std::vector<std::string>{"morva.mlb", "morva.mlr"}));

  const ChildResult r = Run(MakeProgram(
      PackageTail("pcshop", {{"morva.mlb", RecordingKernel()}, {"morva.mlr", NullEntryKernel()}})));
  EXPECT_EQ(r.stderr_text, Line(LaunchError::kInterfaceInvalid));
}

TEST_F(LaunchChildTest, UpperCaseKernelNameIsLoadedUnderItsOwnSpelling) {
  const ChildResult r = Run(MakeProgram(PackageTail("pcshop", {{"MORVA.MLR", RecordingKernel()}})));
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_EQ(KernelLog()["library"], run_dir_ + "/pcshop/MORVA.MLR");
  EXPECT_EQ(FilesIn(run_dir_ + "/pcshop"), std::vector<std::string>{"MORVA.MLR"});
}

TEST_F(LaunchChildTest, StreamShorterThanDeclaredIsAccepted) {
  const auto data = EncodeEntries(std::vector<PackageFile>{{"morva.mlr", RecordingKernel()}});
  const ChildResult r =
      Run(MakeProgram(RawPackageTail("pcshop", data, static_cast<uint32_t>(data.size() + 100000))));
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_EQ(KernelLog()["version"], "1000");
}

TEST_F(LaunchChildTest, EntryThatCannotBeCreatedIsSkippedSilently) {
  const std::string folder = run_dir_ + "/pcshop";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(::mkdir((folder + "/blocked.bin").c_str(), 0700), 0);  // a folder in the way
  const ChildResult r = Run(MakeProgram(
      PackageTail("pcshop", {{"blocked.bin", Bytes("data")}, {"morva.mlr", RecordingKernel()}})));
  EXPECT_EQ(r.stderr_text, "");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_TRUE(IsDirectory(folder + "/blocked.bin"));
  EXPECT_EQ(FilesIn(folder),
            (std::vector<std::string>{"blocked.bin", "morva.mlr"}));  // no temp left
}

TEST_F(LaunchChildTest, KernelThatCannotBeWrittenFallsBackToTheCopyOnDisk) {
  const std::string program =
      MakeProgram(PackageTail("pcshop", {{"morva.mlr", RecordingKernel()}}));
  ASSERT_EQ(Run(program).exit_code, 0);
  // Make the folder read-only for the next start (root ignores modes: skip).
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  ASSERT_EQ(::chmod((run_dir_ + "/pcshop").c_str(), 0500), 0);
  std::remove(log_.c_str());
  const ChildResult r = Run(program);
  ::chmod((run_dir_ + "/pcshop").c_str(), 0700);
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_EQ(KernelLog()["version"], "1000");
}

TEST_F(LaunchChildTest, NextStartReplacesFilesByRenameAndLeavesNoTemporaries) {
  const std::string file = run_dir_ + "/pcshop/data.txt";
  ASSERT_EQ(Run(MakeProgram(PackageTail(
                    "pcshop", {{"data.txt", Bytes("old")}, {"morva.mlr", RecordingKernel()}})))
                .exit_code,
            0);
  struct stat before;
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  // Whoever still has the old file open keeps reading the old bytes.
  std::FILE* held = std::fopen(file.c_str(), "rb");
  ASSERT_NE(held, nullptr);

  ASSERT_EQ(Run(MakeProgram(PackageTail(
                    "pcshop", {{"data.txt", Bytes("new!")}, {"morva.mlr", RecordingKernel()}})))
                .exit_code,
            0);
  struct stat after;
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);
  EXPECT_EQ(ReadBytes(file), Bytes("new!"));
  char old[8] = {};
  EXPECT_EQ(std::fread(old, 1, sizeof old, held), 3u);
  EXPECT_EQ(std::string(old), "old");
  std::fclose(held);
  EXPECT_EQ(FilesIn(run_dir_ + "/pcshop"), (std::vector<std::string>{"data.txt", "morva.mlr"}));
}

TEST_F(LaunchChildTest, FilesWrittenBeforeALaterFaultStayOnDisk) {
  const ChildResult r = Run(MakeProgram(
      PackageTail("pcshop", {{"ctlpk.dll", Bytes("c")}, {"morva.mlr", NoExportKernel()}})));
  EXPECT_EQ(r.stderr_text, Line(LaunchError::kKernelInvalid));
  EXPECT_EQ(FilesIn(run_dir_ + "/pcshop"), (std::vector<std::string>{"ctlpk.dll", "morva.mlr"}));
}

TEST_F(LaunchChildTest, NothingIsWrittenWhenALaterEntryIsUnsafe) {
  const auto data = EncodeEntries(std::vector<PackageFile>{
      {"morva.mlr", RecordingKernel()}, {"ok.txt", Bytes("1")}, {"../escape", Bytes("2")}});
  const ChildResult r = Run(MakeProgram(RawPackageTail("pcshop", data)));
  EXPECT_EQ(r.stderr_text, Line(LaunchError::kInvalidData));
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(FilesIn(run_dir_ + "/pcshop").empty());
  EXPECT_FALSE(Exists(run_dir_ + "/escape"));
}

TEST_F(LaunchChildTest, PathsLongerThan260BytesAreRefusedBeforeAnythingIsWritten) {
  // folder path + name + terminator: 260 fits, 261 does not.
  const std::string folder = run_dir_ + "/pcshop/";
  const size_t fits = format::kMaxPath - 1 - folder.size();
  ASSERT_LT(fits, 256u) << "test folder path too short for the name limit";
  const std::string long_ok(fits, 'a');
  const std::string too_long(fits + 1, 'b');

  ChildResult r = Run(MakeProgram(
      PackageTail("pcshop", {{"morva.mlr", RecordingKernel()}, {long_ok, Bytes("x")}})));
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_TRUE(Exists(folder + long_ok));

  fs::remove_all(folder);
  r = Run(MakeProgram(
      PackageTail("pcshop", {{"morva.mlr", RecordingKernel()}, {too_long, Bytes("x")}})));
  EXPECT_EQ(r.stderr_text, Line(LaunchError::kInvalidData));
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{});

  // A folder name that leaves no room for a file name.
  r = Run(MakeProgram(PackageTail(std::string(format::kMaxPath - run_dir_.size() - 2, 'f'),
                                  {{"morva.mlr", RecordingKernel()}})));
  EXPECT_EQ(r.stderr_text, Line(LaunchError::kInvalidData));
}

// ---- The private temporary directory. ----

// The candidates in their order: $XDG_RUNTIME_DIR, $XDG_CACHE_HOME/pcshop,
// $TMPDIR/pcshop-<uid>, a new $TMPDIR/pcshop-<uid>.<random>. A refused one
// moves on to the next; nothing is written into a refused one.
class TempDirTest : public LauncherTest {
 protected:
  std::string KernelProgram() {
    return MakeProgram(PackageTail("pcshop", {{"morva.mlr", RecordingKernel()}}));
  }
  // The start succeeded from `base` (its "pcshop" folder).
  void ExpectStartedFrom(const ChildResult& r, const std::string& base) {
    EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_EQ(r.stderr_text, "");
    EXPECT_EQ(KernelLog()["library"], base + "/pcshop/morva.mlr");
    std::remove(log_.c_str());
  }
  void ExpectRefused(const ChildResult& r) {
    EXPECT_EQ(r.stderr_text, Line(LaunchError::kNoTempDir));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(KernelLog().empty());
  }
  std::string Mine() { return tmp_dir_ + "/pcshop-" + std::to_string(::geteuid()); }
  // Another user's folder under the user's own name, in a /tmp-like base.
  void PlantMine() {
    ASSERT_EQ(::chmod(tmp_dir_.c_str(), 01777), 0);
    ASSERT_EQ(::mkdir(Mine().c_str(), 0777), 0);
    ASSERT_EQ(::chown(Mine().c_str(), 65534, 65534), 0);
  }
  // Only the temporary base is left to try.
  const std::map<std::string, std::string> kTmpOnly = {{"XDG_RUNTIME_DIR", ""},
                                                       {"XDG_CACHE_HOME", ""},
                                                       {"HOME", ""}};
};

TEST_F(TempDirTest, CandidatesComeInTheirOrder) {
  ExpectStartedFrom(Run(KernelProgram()), run_dir_);
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", ""}}), cache_dir_ + "/pcshop");
  // Without XDG_CACHE_HOME, ~/.cache (made when missing, the home is not).
  ASSERT_EQ(::mkdir((root_ + "/home").c_str(), 0700), 0);
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", ""}, {"XDG_CACHE_HOME", ""},
                                          {"HOME", root_ + "/home"}}),
                    root_ + "/home/.cache/pcshop");
  ExpectStartedFrom(Run(KernelProgram(), kTmpOnly), Mine());
  struct stat st;
  for (const std::string& made : {cache_dir_, cache_dir_ + "/pcshop", Mine()}) {
    ASSERT_EQ(::lstat(made.c_str(), &st), 0) << made;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
  }
}

// A folder that another copy makes between this one's look and its make is
// used like one that was there before: the package folder in the runtime
// folder, and the cache folder and its package folder.
TEST_F(TempDirTest, FolderMadeByAnotherCopyMeanwhileIsUsed) {
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::map<std::string, std::string> race = {
      {"LD_PRELOAD", PCSHOP_FOLDER_RACE_PRELOAD_PATH},
      {"ASAN_OPTIONS", std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0"}};
  ExpectStartedFrom(Run(KernelProgram(), race), run_dir_);
  std::map<std::string, std::string> no_runtime_dir = race;
  no_runtime_dir["XDG_RUNTIME_DIR"] = "";
  ExpectStartedFrom(Run(KernelProgram(), no_runtime_dir), cache_dir_ + "/pcshop");
}

TEST_F(TempDirTest, RefusedRuntimeDirMovesOnToTheCache) {
  const std::string link = root_ + "/run-link";
  ASSERT_EQ(::symlink(run_dir_.c_str(), link.c_str()), 0);
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", link}}), cache_dir_ + "/pcshop");
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", link + "/"}}),
                    cache_dir_ + "/pcshop");
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", root_ + "/nowhere"}}),
                    cache_dir_ + "/pcshop");
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", "relative/run"}}),
                    cache_dir_ + "/pcshop");
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", run_dir_ + "/../run"}}),
                    cache_dir_ + "/pcshop");
  for (const mode_t others_may_enter : {0755, 0710}) {
    ASSERT_EQ(::chmod(run_dir_.c_str(), others_may_enter), 0);
    ExpectStartedFrom(Run(KernelProgram()), cache_dir_ + "/pcshop");
  }
  EXPECT_FALSE(Exists(run_dir_ + "/pcshop"));
}

// Parents of the base that another user could rename or fill: the base is
// refused, and nothing at all is written under it.
TEST_F(TempDirTest, BaseBelowAFolderOthersMayChangeIsRefused) {
  const std::string shared = root_ + "/shared";
  ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
  ASSERT_EQ(::mkdir((shared + "/run").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir((shared + "/tmp").c_str(), 0700), 0);
  const std::map<std::string, std::string> env = {{"XDG_RUNTIME_DIR", shared + "/run"},
                                                  {"XDG_CACHE_HOME", shared + "/cache"},
                                                  {"TMPDIR", shared + "/tmp"}};
  ExpectStartedFrom(Run(KernelProgram(), env), shared + "/run");
  fs::remove_all(shared + "/run/pcshop");
  for (const mode_t mode : {0770, 0777, 0720, 0702}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(::chmod(shared.c_str(), mode), 0);
    ExpectRefused(Run(KernelProgram(), env));
    EXPECT_TRUE(FilesIn(shared + "/run").empty());
    EXPECT_TRUE(FilesIn(shared + "/tmp").empty());
    EXPECT_FALSE(Exists(shared + "/cache"));
  }
  // With the sticky bit, as /tmp: others cannot move what is not theirs.
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  ExpectStartedFrom(Run(KernelProgram(), env), shared + "/run");
}

TEST_F(TempDirTest, LinkAnywhereOnThePathIsRefused) {
  const std::string real = root_ + "/real";
  ASSERT_EQ(::mkdir(real.c_str(), 0700), 0);
  ASSERT_EQ(::mkdir((real + "/run").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(real.c_str(), (root_ + "/via-link").c_str()), 0);
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", root_ + "/via-link/run"}}),
                    cache_dir_ + "/pcshop");
  EXPECT_FALSE(Exists(real + "/run/pcshop"));
  // The same for the cache and the temporary base.
  ExpectRefused(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", ""},
                                      {"XDG_CACHE_HOME", root_ + "/via-link/cache"},
                                      {"TMPDIR", root_ + "/via-link"}}));
  EXPECT_EQ(FilesIn(real), std::vector<std::string>{"run"});
}

TEST_F(TempDirTest, FolderOwnedBySomeoneElseOnThePathIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder away";
  const std::string theirs = root_ + "/theirs";
  ASSERT_EQ(::mkdir(theirs.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((theirs + "/run").c_str(), 0700), 0);
  ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", theirs + "/run"}}),
                    cache_dir_ + "/pcshop");
  // The base itself given away.
  ASSERT_EQ(::chown(run_dir_.c_str(), 65534, 65534), 0);
  ExpectStartedFrom(Run(KernelProgram()), cache_dir_ + "/pcshop");
  EXPECT_FALSE(Exists(run_dir_ + "/pcshop"));
}

// Another user made /tmp/pcshop-<uid> first (any folder, or a link): the
// program still starts, from the next candidate; with nothing else left, from
// a folder of its own made afresh beside it.
TEST_F(TempDirTest, PrecreatedTmpFolderOfAnotherUserDoesNotStopTheStart) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder away";
  PlantMine();
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", ""}}), cache_dir_ + "/pcshop");

  const ChildResult r = Run(KernelProgram(), kTmpOnly);
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  const std::string library = KernelLog()["library"];
  EXPECT_TRUE(library.starts_with(Mine() + ".")) << library;
  EXPECT_TRUE(library.ends_with("/pcshop/morva.mlr (deleted)")) << library;
  EXPECT_TRUE(FilesIn(Mine()).empty());
}

// No later start could find such a fresh folder: it goes once the library
// is loaded (or the start has failed), so repeated starts fill no disk.
TEST_F(TempDirTest, FolderMadeAfreshIsRemovedAfterEachStart) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder away";
  PlantMine();
  const std::string program = MakeProgram(
      PackageTail("pcshop", {{"ctlpk.dll", Bytes("support")}, {"morva.mlr", RecordingKernel()}}));
  for (int i = 0; i < 3; ++i) {
    const ChildResult r = Run(program, kTmpOnly);
    EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_EQ(KernelLog()["version"], "1000");
  }
  const ChildResult failed = Run(
      MakeProgram(PackageTail("pcshop", {{"morva.mlr", NullEntryKernel()}})), kTmpOnly);
  EXPECT_EQ(failed.stderr_text, Line(LaunchError::kInterfaceInvalid));
  EXPECT_EQ(FilesIn(tmp_dir_), std::vector<std::string>{"pcshop-" + std::to_string(::geteuid())});
}

TEST_F(TempDirTest, OwnTmpFolderWithWrongModeOrAsLinkIsNotUsed) {
  ASSERT_EQ(::mkdir(Mine().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(Mine().c_str(), 0777), 0);
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", ""}}), cache_dir_ + "/pcshop");
  ASSERT_EQ(::rmdir(Mine().c_str()), 0);
  ASSERT_EQ(::symlink(run_dir_.c_str(), Mine().c_str()), 0);
  ExpectStartedFrom(Run(KernelProgram(), {{"XDG_RUNTIME_DIR", ""}}), cache_dir_ + "/pcshop");
  EXPECT_FALSE(Exists(run_dir_ + "/pcshop"));
}

TEST_F(TempDirTest, PackageFolderThatIsALinkIsRefusedAndNothingIsWrittenThrough) {
  const std::string elsewhere = root_ + "/elsewhere";
  ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
  ASSERT_EQ(::symlink(elsewhere.c_str(), (run_dir_ + "/pcshop").c_str()), 0);
  ExpectRefused(Run(KernelProgram()));
  EXPECT_TRUE(FilesIn(elsewhere).empty());
}

TEST_F(TempDirTest, PackageFolderThatIsAFileIsRefused) {
  WriteBytes(run_dir_ + "/pcshop", Bytes("a file"));
  ExpectRefused(Run(KernelProgram()));
}

// ---- The message box. ----

TEST_F(LaunchChildTest, OffscreenQtShowsNoBoxEvenWithADisplay) {
  // A box on the offscreen platform could never be closed: only stderr.
  const ChildResult r = Run(MakeProgram({}), {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}});
  EXPECT_EQ(r.stderr_text, Line(LaunchError::kInvalidData));
  EXPECT_EQ(r.exit_code, 1);
}

TEST_F(LaunchChildTest, UnreachableDisplayStillEndsWithTheMessageAndOne) {
  // Qt cannot open the box and ends with a fatal error; the message is
  // already on stderr, Qt's remarks are not, and the exit code stays ours.
  const ChildResult r = Run(MakeProgram({}), {{"DISPLAY", ":250"}, {"QT_QPA_PLATFORM", ""}});
  EXPECT_EQ(r.stderr_text, Line(LaunchError::kInvalidData));
  EXPECT_EQ(r.exit_code, 1);
}

// ---- Faults of the machine rather than the package. ----

TEST_F(LaunchChildTest, UnreadableOwnFileCannotBeOpened) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  const std::string program =
      MakeProgram(PackageTail("pcshop", {{"morva.mlr", RecordingKernel()}}));
  ASSERT_EQ(::chmod(program.c_str(), 0111), 0);  // may run, may not be read
  const ChildResult r = Run(program);
  EXPECT_EQ(r.stderr_text, Line(LaunchError::kCantOpenFile));
  EXPECT_EQ(r.exit_code, 1);
}

#if defined(__SANITIZE_ADDRESS__)
#define PCSHOP_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PCSHOP_ASAN 1
#endif
#endif

TEST_F(LaunchChildTest, BufferThatCannotBeAllocatedIsInsufficientMemory) {
#ifdef PCSHOP_ASAN
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#endif
  // 2 GiB declared, 1 GiB of address space: the unpacked buffer fails.
  const ChildResult r = Run(MakeProgram(WithU(0x7FFFFFF0u)), {}, uint64_t{1} << 30);
  EXPECT_EQ(r.stderr_text, Line(LaunchError::kNoMemory));
  EXPECT_EQ(r.exit_code, 1);
}

}  // namespace
}  // namespace pcshop::launcher::testing
