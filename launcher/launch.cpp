#include "launcher/launch.h"

#include <array>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "launcher/byte_buffer.h"
#include "launcher/package_format.h"
#include "launcher/package_reader.h"
#include "launcher/unpack_stamp.h"

namespace pcshop::launcher {
namespace {

using namespace format;

// A path of this many bytes plus its terminator fits the path limit.
bool FitsPathLimit(size_t length) {
  return length + 1 <= kMaxPath;
}

// The entries of this very package when a stamp proves that every file of it
// lies in `folder` as this launcher wrote it; nullopt when anything differs
// or cannot be checked (then the package is unpacked in full).
std::optional<std::vector<PackageEntry>> EntriesInPlace(Folder& folder,
                                                        const PackageIdentity& package) {
  const std::optional<std::vector<uint8_t>> bytes = folder.ReadOwnFile(std::string(kStampName),
                                                                       kMaxStampSize);
  if (!bytes) return std::nullopt;
  const std::optional<UnpackStamp> stamp = DecodeStamp(*bytes);
  if (!stamp || !(stamp->package == package) || stamp->files.empty()) return std::nullopt;
  std::vector<PackageEntry> entries;
  for (const StampedFile& f : stamp->files) {
    const std::optional<FileIdentity> now = folder.OwnFileIdentity(f.name);
    if (!now || !(*now == f.identity)) return std::nullopt;
    entries.push_back(PackageEntry{f.name, 0, static_cast<size_t>(f.identity.size)});
  }
  return entries;
}

}  // namespace

Expected<kernel::RuntimeEntry> PrepareRuntime(Platform& platform) {
  // 1-2. The own executable, opened for reading.
  const std::string own_path = platform.OwnExecutablePath();
  std::unique_ptr<ReadableFile> file =
      own_path.empty() ? nullptr : platform.OpenForReading(own_path);
  if (!file) return LaunchError::kCantOpenFile;
  // What the package is read from; without it no stamp is read or written.
  const std::optional<FileIdentity> program = file->Identity();

  // 3. At least 1000 bytes lie before the 8-byte trailer.
  const std::optional<uint64_t> file_size = file->Size();
  if (!file_size || *file_size < kTrailerSize + kMinBytesBeforeTrailer) {
    return LaunchError::kInvalidData;
  }
  const uint64_t trailer_offset = *file_size - kTrailerSize;

  // 4. The trailer, read in full.
  std::array<uint8_t, kTrailerSize> trailer;
  if (!file->ReadAt(trailer_offset, trailer)) return LaunchError::kReadTrailer;

  // 5. Trailer magic and payload size.
  Expected<uint32_t> payload_size = ParseTrailer(trailer, trailer_offset);
  if (!payload_size.ok()) return payload_size.error();

  // 6. The payload buffer.
  std::optional<ByteBuffer> payload = ByteBuffer::Allocate(*payload_size);
  if (!payload) return LaunchError::kNoMemory;

  // 7. The payload, which ends where the trailer begins, and its magic.
  if (!file->ReadAt(trailer_offset - *payload_size, payload->span()) ||
      !HasPayloadMagic(payload->span())) {
    return LaunchError::kReadPayload;
  }
  file.reset();  // nothing more is read from the executable

  // 8. The private temporary directory, held open from here on.
  const std::unique_ptr<Folder> temp_dir = platform.PrivateTempDirectory();
  if (!temp_dir) return LaunchError::kNoTempDir;

  // 9-10. Unscramble, read the folder name, create the folder. The bulk of
  // the area is unscrambled only when it is inflated (step 12).
  Expected<PayloadHead> head = OpenPayload(payload->span());
  if (!head.ok()) return head.error();
  if (!FitsPathLimit(temp_dir->Path().size() + head->folder.size() + 1)) {
    return LaunchError::kInvalidData;
  }
  const std::unique_ptr<Folder> folder = temp_dir->MakePrivateFolder(head->folder);
  if (!folder) return LaunchError::kNoTempDir;

  // 11. The stream header.
  Expected<StreamView> stream = ReadStreamHeader(payload->span(), *head);
  if (!stream.ok()) return stream.error();

  std::optional<PackageIdentity> package;
  if (program) {
    package = PackageIdentity{*program, head->folder_id, stream->declared_size,
                              stream->compressed.size(), stream->checksum};
  }

  // A later start of the same program file finds its files as it left them:
  // steps 12 to 15 would write the same bytes again, so they are skipped.
  std::optional<std::vector<PackageEntry>> entries;
  if (package) entries = EntriesInPlace(*folder, *package);

  std::vector<StampedFile> written;  // what a new stamp records
  bool stamp = false;
  if (!entries) {
    // 12-13. Decompress into a buffer of the declared size.
    UnscrambleStream(payload->span(), *head);
    Expected<ByteBuffer> unpacked = Inflate(*stream);
    if (!unpacked.ok()) return unpacked.error();

    // 14. The payload is no longer needed.
    payload->Release();

    // 15. The entries. All are checked (bounds, plain names, path lengths)
    // before the first file is written; a file that cannot be written is
    // skipped, and a copy already on disk is what gets used.
    Expected<std::vector<PackageEntry>> parsed = ParseEntries(unpacked->span());
    if (!parsed.ok()) return parsed.error();
    stamp = package.has_value();
    for (const PackageEntry& e : *parsed) {
      if (!FitsPathLimit(folder->Path().size() + e.name.size())) return LaunchError::kInvalidData;
      if (e.name == kStampName) stamp = false;
    }
    // An old stamp must never vouch for files half replaced.
    stamp = stamp && folder->RemoveFile(std::string(kStampName));
    for (const PackageEntry& e : *parsed) {
      const std::optional<FileIdentity> id =
          folder->WriteFileReplacing(e.name, unpacked->span().subspan(e.offset, e.size));
      if (id) {
        written.push_back(StampedFile{e.name, *id});
      } else {
        stamp = false;
      }
    }
    entries = std::move(*parsed);
  } else {
    payload->Release();
  }

  // 16. The kernel library: the last entry with a kernel name.
  const std::optional<size_t> kernel_index = FindKernelEntry(*entries);
  if (!kernel_index) return LaunchError::kNoKernel;

  // 17. Loaded under the entry's own spelling.
  void* library = folder->OpenLibrary((*entries)[*kernel_index].name);
  if (library == nullptr) return LaunchError::kLoadKernel;

  // 18. Its export GetRuntimeEntry.
  void* function = platform.FindFunction(library, kernel::kGetRuntimeEntryName);
  if (function == nullptr) return LaunchError::kKernelInvalid;

  // 19. The runtime entry for this interface version.
  const auto get_runtime_entry = reinterpret_cast<kernel::GetRuntimeEntryFn>(function);
  const kernel::RuntimeEntry entry = get_runtime_entry(kernel::kInterfaceVersion);
  if (entry == nullptr) return LaunchError::kInterfaceInvalid;

  // Only a package that got this far, with every file written, is stamped.
  if (stamp) {
    (void)folder->WriteFileReplacing(std::string(kStampName),
                                     EncodeStamp(UnpackStamp{*package, std::move(written)}));
  }

  // 20. The unpacked buffer is released on return.
  return entry;
}

int Launch(Platform& platform, const void* image) {
  std::optional<Expected<kernel::RuntimeEntry>> entry;
  try {
    entry.emplace(PrepareRuntime(platform));
  } catch (const std::bad_alloc&) {  // a name or the entry list could not be held
    entry.emplace(LaunchError::kNoMemory);
  }
  if (!entry->ok()) {
    platform.ShowError(Message(entry->error()));
    return kExitFailure;
  }
  // 21. Hand over; the entry's result is not looked at.
  (void)(**entry)(image);
  return kExitSuccess;
}

}  // namespace pcshop::launcher
