// The start-up steps in process, on the real platform with single calls
// redirected or failed: faults a crafted file cannot cause (a failing read,
// a missing temporary directory, a file that cannot be written), the order of
// the steps, and a fault loop over every platform call.

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "launcher/launch.h"
#include "launcher/package_format.h"
#include "launcher/platform.h"
#include "launcher_test_support.h"

namespace pcshop::launcher::testing {
namespace {

namespace fs = std::filesystem;

// Stands for the module image: the launcher hands on its address unread.
alignas(16) const uint8_t kTestImage[64] = {'T', 'E', 'S', 'T'};

// Forwards to the real platform; records each call by name and fails the
// call whose number (from 1) is `fail_call`, or any call for which
// `fail_if(name, argument)` says so. ShowError only records. The temporary
// directory is `temp_dir`, opened by the real platform as XDG_RUNTIME_DIR.
class FakePlatform final : public Platform {
 public:
  std::string own_path;
  std::string temp_dir;
  int fail_call = 0;
  std::function<bool(const std::string& call, const std::string& arg)> fail_if;
  std::vector<std::string> calls;
  std::vector<std::string> shown;

  bool Fails(const std::string& call, const std::string& arg = {}) {
    calls.push_back(call);
    return static_cast<int>(calls.size()) == fail_call || (fail_if && fail_if(call, arg));
  }

  std::string OwnExecutablePath() override {
    return Fails("OwnExecutablePath") ? std::string() : own_path;
  }
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override {
    if (Fails("OpenForReading", path)) return nullptr;
    std::unique_ptr<ReadableFile> file = real_.OpenForReading(path);
    return file ? std::make_unique<File>(this, std::move(file)) : nullptr;
  }
  std::unique_ptr<Folder> PrivateTempDirectory() override {
    if (Fails("PrivateTempDirectory")) return nullptr;
    ::setenv("XDG_RUNTIME_DIR", temp_dir.c_str(), 1);
    std::unique_ptr<Folder> folder = real_.PrivateTempDirectory();
    return folder ? std::make_unique<FakeFolder>(this, std::move(folder)) : nullptr;
  }
  void* FindFunction(void* library, const char* name) override {
    return Fails("FindFunction", name) ? nullptr : real_.FindFunction(library, name);
  }
  void ShowError(std::string_view message) override { shown.emplace_back(message); }

 private:
  class File final : public ReadableFile {
   public:
    File(FakePlatform* p, std::unique_ptr<ReadableFile> f) : p_(p), f_(std::move(f)) {}
    std::optional<uint64_t> Size() override {
      return p_->Fails("Size") ? std::nullopt : f_->Size();
    }
    bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
      return !p_->Fails("ReadAt") && f_->ReadAt(offset, out);
    }
    std::optional<FileIdentity> Identity() override {
      return p_->Fails("Identity") ? std::nullopt : f_->Identity();
    }

   private:
    FakePlatform* p_;
    std::unique_ptr<ReadableFile> f_;
  };

  class FakeFolder final : public Folder {
   public:
    FakeFolder(FakePlatform* p, std::unique_ptr<Folder> f) : p_(p), f_(std::move(f)) {}
    const std::string& Path() const override { return f_->Path(); }
    std::unique_ptr<Folder> MakePrivateFolder(const std::string& name) override {
      if (p_->Fails("MakePrivateFolder", name)) return nullptr;
      std::unique_ptr<Folder> folder = f_->MakePrivateFolder(name);
      return folder ? std::make_unique<FakeFolder>(p_, std::move(folder)) : nullptr;
    }
    std::optional<FileIdentity> WriteFileReplacing(const std::string& name,
                                                   std::span<const uint8_t> data) override {
      if (p_->Fails("WriteFileReplacing", name)) return std::nullopt;
      return f_->WriteFileReplacing(name, data);
    }
    std::optional<FileIdentity> OwnFileIdentity(const std::string& name) override {
      if (p_->Fails("OwnFileIdentity", name)) return std::nullopt;
      return f_->OwnFileIdentity(name);
    }
    std::optional<std::vector<uint8_t>> ReadOwnFile(const std::string& name,
                                                    size_t max_size) override {
      if (p_->Fails("ReadOwnFile", name)) return std::nullopt;
      return f_->ReadOwnFile(name, max_size);
    }
    bool RemoveFile(const std::string& name) override {
      return !p_->Fails("RemoveFile", name) && f_->RemoveFile(name);
    }
    void* OpenLibrary(const std::string& name) override {
      return p_->Fails("OpenLibrary", name) ? nullptr : f_->OpenLibrary(name);
    }

   private:
    FakePlatform* p_;
    std::unique_ptr<Folder> f_;
  };

  Platform& real_ = DefaultPlatform();
};

class LaunchStepsTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    ::setenv("PCSHOP_TEST_KERNEL_LOG", log_.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root_ + "/cache").c_str(), 1);
    platform_.own_path = WriteProgram(
        PackageTail("pkg", {{"ctlpk.dll", Bytes("support")}, {"morva.mlr", RecordingKernel()}}));
    platform_.temp_dir = run_dir_ + "/";
  }
  void TearDown() override {
    ::unsetenv("PCSHOP_TEST_KERNEL_LOG");
    ::unsetenv("XDG_CACHE_HOME");
    LauncherTest::TearDown();
  }

  // 2000 bytes standing for the executable image, then `tail`.
  std::string WriteProgram(std::span<const uint8_t> tail, size_t image_size = 2000) {
    std::vector<uint8_t> bytes(image_size, 0xCC);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    const std::string path = root_ + "/image-" + std::to_string(++images_);
    WriteBytes(path, bytes);
    return path;
  }

  // Runs the launcher; expects exactly `error` to be shown, or nothing.
  void ExpectLaunch(std::optional<LaunchError> error) {
    platform_.shown.clear();
    const int rc = Launch(platform_, kTestImage);
    if (error) {
      EXPECT_EQ(rc, kExitFailure);
      EXPECT_EQ(platform_.shown, std::vector<std::string>{std::string(Message(*error))});
    } else {
      EXPECT_EQ(rc, kExitSuccess);
      EXPECT_EQ(platform_.shown, std::vector<std::string>{});
    }
  }

  FakePlatform platform_;
  int images_ = 0;
};

TEST_F(LaunchStepsTest, EntryGetsTheAddressOfTheModuleImage) {
  ExpectLaunch(std::nullopt);
  auto log = KernelLog();
  char expected[32];
  std::snprintf(expected, sizeof expected, "%p", kTestImage);
  EXPECT_EQ(log["image_address"], expected);
  EXPECT_EQ(log["version"], "1000");
  // (Which file was loaded is checked in the child tests: within one process
  // the loader may hand back a library it loaded for an earlier test.)
}

TEST_F(LaunchStepsTest, StepsRunInTheirOrder) {
  // A first start: no stamp, everything is unpacked, then stamped.
  ExpectLaunch(std::nullopt);
  EXPECT_EQ(platform_.calls,
            (std::vector<std::string>{"OwnExecutablePath", "OpenForReading", "Identity", "Size",
                                      "ReadAt", "ReadAt", "PrivateTempDirectory",
                                      "MakePrivateFolder", "ReadOwnFile", "RemoveFile",
                                      "WriteFileReplacing", "WriteFileReplacing", "OpenLibrary",
                                      "FindFunction", "WriteFileReplacing"}));
  // A later start: the stamp and both files are checked, nothing is written.
  platform_.calls.clear();
  ExpectLaunch(std::nullopt);
  EXPECT_EQ(platform_.calls,
            (std::vector<std::string>{"OwnExecutablePath", "OpenForReading", "Identity", "Size",
                                      "ReadAt", "ReadAt", "PrivateTempDirectory",
                                      "MakePrivateFolder", "ReadOwnFile", "OwnFileIdentity",
                                      "OwnFileIdentity", "OpenLibrary", "FindFunction"}));
}

TEST_F(LaunchStepsTest, OwnFileThatCannotBeFoundOrOpened) {
  platform_.own_path = "";
  ExpectLaunch(LaunchError::kCantOpenFile);
  platform_.own_path = root_ + "/no-such-program";
  ExpectLaunch(LaunchError::kCantOpenFile);
}

TEST_F(LaunchStepsTest, FewerThan1000BytesBeforeTheTrailerIsInvalidData) {
  // 999 bytes, then a trailer that would be fine: refused before it is read.
  std::vector<uint8_t> tail(995, 0);
  const auto trailer = EncodeTrailer(4);
  tail.insert(tail.end(), trailer.begin(), trailer.end());
  platform_.own_path = WriteProgram(tail, 4);
  ExpectLaunch(LaunchError::kInvalidData);
  EXPECT_EQ(platform_.calls.back(), "Size");
  // Exactly 1000: the trailer is read, and the 4-byte payload's magic is wrong.
  std::vector<uint8_t> tail2(996, 0);
  tail2.insert(tail2.end(), trailer.begin(), trailer.end());
  platform_.own_path = WriteProgram(tail2, 4);
  ExpectLaunch(LaunchError::kReadPayload);
  // A tiny file.
  platform_.own_path = WriteProgram({}, 7);
  ExpectLaunch(LaunchError::kInvalidData);
}

TEST_F(LaunchStepsTest, TrailerThatCannotBeReadInFull) {
  platform_.fail_if = [n = 0](const std::string& call, const std::string&) mutable {
    return call == "ReadAt" && ++n == 1;
  };
  ExpectLaunch(LaunchError::kReadTrailer);
  EXPECT_EQ(Message(LaunchError::kReadTrailer), "Failed to read data from the file!");
}

TEST_F(LaunchStepsTest, PayloadThatCannotBeReadInFull) {
  platform_.fail_if = [n = 0](const std::string& call, const std::string&) mutable {
    return call == "ReadAt" && ++n == 2;
  };
  ExpectLaunch(LaunchError::kReadPayload);
}

TEST_F(LaunchStepsTest, MissingTemporaryDirectoryComesAfterThePayloadMagic) {
  platform_.fail_if = [](const std::string& call, const std::string&) {
    return call == "PrivateTempDirectory";
  };
  ExpectLaunch(LaunchError::kNoTempDir);
  EXPECT_EQ(Message(LaunchError::kNoTempDir), "Can't retrieve the temporary directory!");

  // A wrong payload magic is found first ...
  std::vector<uint8_t> bad_magic = PackageTail("pkg", {{"morva.mlr", RecordingKernel()}});
  bad_magic[0] ^= 1;
  platform_.own_path = WriteProgram(bad_magic);
  ExpectLaunch(LaunchError::kReadPayload);

  // ... but a payload too short for its stream is found after.
  std::vector<uint8_t> header(format::kPayloadHeaderSize + 4, 0);
  header[0] = 0xA5, header[1] = 0xB7, header[2] = 0x9A, header[3] = 0x82;
  platform_.own_path = WriteProgram(Tail(header));
  ExpectLaunch(LaunchError::kNoTempDir);
  platform_.fail_if = nullptr;
  ExpectLaunch(LaunchError::kInvalidData);
}

TEST_F(LaunchStepsTest, FolderThatCannotBeMadeStopsBeforeAnyFileIsWritten) {
  platform_.fail_if = [](const std::string& call, const std::string&) {
    return call == "MakePrivateFolder";
  };
  ExpectLaunch(LaunchError::kNoTempDir);
  EXPECT_EQ(platform_.calls.back(), "MakePrivateFolder");
}

TEST_F(LaunchStepsTest, KernelThatCannotBeWrittenFallsBackToTheCopyOnDisk) {
  ExpectLaunch(std::nullopt);
  std::remove(log_.c_str());
  std::remove((run_dir_ + "/pkg/.pcshop-unpacked").c_str());  // a full unpack again
  platform_.fail_if = [](const std::string& call, const std::string&) {
    return call == "WriteFileReplacing";
  };
  ExpectLaunch(std::nullopt);
  EXPECT_EQ(KernelLog()["version"], "1000");
}

TEST_F(LaunchStepsTest, KernelNeverWrittenFailsToLoad) {
  platform_.fail_if = [](const std::string& call, const std::string& path) {
    return call == "WriteFileReplacing" && path == "morva.mlr";
  };
  ExpectLaunch(LaunchError::kLoadKernel);
  EXPECT_TRUE(Exists(run_dir_ + "/pkg/ctlpk.dll"));
}

// Every platform call of a successful start, failed in turn (each time into
// a fresh folder, or into a copy of a stamped one for a later start): the
// start either still succeeds (a support file or the stamp that cannot be
// written or read) or shows exactly the fault of that step.
class FaultLoop {
 public:
  explicit FaultLoop(bool later) : later_(later) {}
  std::optional<LaunchError> Expected(const std::string& call) {
    static const std::map<std::string, std::optional<LaunchError>> kExpected = {
        {"OwnExecutablePath", LaunchError::kCantOpenFile},
        {"OpenForReading", LaunchError::kCantOpenFile},
        {"Identity", std::nullopt},  // no stamp read or written: a full unpack
        {"Size", LaunchError::kInvalidData},
        {"PrivateTempDirectory", LaunchError::kNoTempDir},
        {"MakePrivateFolder", LaunchError::kNoTempDir},
        {"ReadOwnFile", std::nullopt},
        {"OwnFileIdentity", std::nullopt},
        {"RemoveFile", std::nullopt},
        {"OpenLibrary", LaunchError::kLoadKernel},
        {"FindFunction", LaunchError::kKernelInvalid},
    };
    if (call == "ReadAt") {
      return ++reads_ == 1 ? LaunchError::kReadTrailer : LaunchError::kReadPayload;
    }
    if (call == "WriteFileReplacing") {
      // Entries are written in package order (the kernel is the second),
      // then the stamp. A later start writes only when a check failed.
      if (++writes_ == 2 && !later_) return LaunchError::kLoadKernel;
      return std::nullopt;
    }
    return kExpected.at(call);
  }

 private:
  bool later_;
  int reads_ = 0;
  int writes_ = 0;
};

TEST_F(LaunchStepsTest, FaultLoopOverEveryPlatformCall) {
  int folders = 0;
  // A fresh folder; for a later start, one that a first start has stamped.
  const auto prepare = [&](bool later) {
    const std::string dir = root_ + "/loop-" + std::to_string(++folders);
    EXPECT_EQ(::mkdir(dir.c_str(), 0700), 0);
    platform_.temp_dir = dir;
    platform_.fail_call = 0;
    if (later) ExpectLaunch(std::nullopt);
    platform_.calls.clear();
  };
  for (const bool later : {false, true}) {
    SCOPED_TRACE(later ? "later start" : "first start");
    prepare(later);
    ExpectLaunch(std::nullopt);
    const std::vector<std::string> calls = platform_.calls;
    FaultLoop faults(later);
    for (size_t i = 0; i < calls.size(); ++i) {
      SCOPED_TRACE("failing call " + std::to_string(i + 1) + ": " + calls[i]);
      prepare(later);
      platform_.fail_call = static_cast<int>(i + 1);
      ExpectLaunch(faults.Expected(calls[i]));
      // Whatever failed, the next start still works.
      platform_.fail_call = 0;
      ExpectLaunch(std::nullopt);
    }
  }
}

}  // namespace
}  // namespace pcshop::launcher::testing
