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

namespace pcshop::launcher {
namespace {

using namespace format;

// A path of this many bytes plus its terminator fits the path limit.
bool FitsPathLimit(size_t length) {
  return length + 1 <= kMaxPath;
}

}  // namespace

Expected<kernel::RuntimeEntry> PrepareRuntime(Platform& platform) {
  // 1-2. The own executable, opened for reading.
  const std::string own_path = platform.OwnExecutablePath();
  std::unique_ptr<ReadableFile> file =
      own_path.empty() ? nullptr : platform.OpenForReading(own_path);
  if (!file) return LaunchError::kCantOpenFile;

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

  // 8. The private temporary directory.
  const std::optional<std::string> temp_dir = platform.PrivateTempDirectory();
  if (!temp_dir) return LaunchError::kNoTempDir;

  // 9-10. Unscramble, read the folder name, create the folder.
  Expected<PayloadHead> head = OpenPayload(payload->span());
  if (!head.ok()) return head.error();
  std::string folder = *temp_dir + head->folder;
  if (!FitsPathLimit(folder.size() + 1)) return LaunchError::kInvalidData;
  if (!platform.MakePrivateFolder(folder)) return LaunchError::kNoTempDir;
  folder += platform.PathSeparator();

  // 11. The stream header.
  Expected<StreamView> stream = ReadStreamHeader(payload->span(), *head);
  if (!stream.ok()) return stream.error();

  // 12-13. Decompress into a buffer of the declared size.
  Expected<ByteBuffer> unpacked = Inflate(*stream);
  if (!unpacked.ok()) return unpacked.error();

  // 14. The payload is no longer needed.
  payload->Release();

  // 15. The entries. All are checked (bounds, plain names, path lengths)
  // before the first file is written; a file that cannot be written is
  // skipped, and a copy already on disk is what gets used.
  Expected<std::vector<PackageEntry>> entries = ParseEntries(unpacked->span());
  if (!entries.ok()) return entries.error();
  for (const PackageEntry& e : *entries) {
    if (!FitsPathLimit(folder.size() + e.name.size())) return LaunchError::kInvalidData;
  }
  for (const PackageEntry& e : *entries) {
    (void)platform.WriteFileReplacing(folder + e.name, unpacked->span().subspan(e.offset, e.size));
  }

  // 16. The kernel library: the last entry with a kernel name.
  const std::optional<size_t> kernel_index = FindKernelEntry(*entries);
  if (!kernel_index) return LaunchError::kNoKernel;

  // 17. Loaded under the entry's own spelling.
  void* library = platform.OpenLibrary(folder + (*entries)[*kernel_index].name);
  if (library == nullptr) return LaunchError::kLoadKernel;

  // 18. Its export GetRuntimeEntry.
  void* function = platform.FindFunction(library, kernel::kGetRuntimeEntryName);
  if (function == nullptr) return LaunchError::kKernelInvalid;

  // 19. The runtime entry for this interface version.
  const auto get_runtime_entry = reinterpret_cast<kernel::GetRuntimeEntryFn>(function);
  const kernel::RuntimeEntry entry = get_runtime_entry(kernel::kInterfaceVersion);
  if (entry == nullptr) return LaunchError::kInterfaceInvalid;

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
