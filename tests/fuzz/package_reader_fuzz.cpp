// libFuzzer target over the package payload parser. Besides "no crash, no
// out-of-bounds access" (ASan, UBSan) it checks the reader's contract: every
// entry lies inside the unpacked data with a plain file name, and writing
// what was read and reading it again gives the same package. The launcher's
// unpack stamp, read from a folder as untrusted bytes, is fuzzed beside it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "launcher/package_reader.h"
#include "launcher/package_writer.h"
#include "launcher/unpack_stamp.h"
#include "package_reader_fuzz_input.h"

namespace {

using namespace pcshop::launcher;

// A fuzzer must not be made to allocate gigabytes by a declared size.
constexpr ReadLimits kLimits{64u << 20};

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckEntries(const std::vector<PackageEntry>& entries, size_t data_size) {
  for (const PackageEntry& e : entries) {
    Check(IsPlainFileName(e.name));
    Check(e.offset <= data_size && e.size <= data_size - e.offset);
  }
}

void FuzzWholePayload(std::span<const uint8_t> payload) {
  Expected<Package> p = ReadPackage(payload, kLimits);
  if (!p.ok()) return;
  CheckEntries(p->entries, p->unpacked.size());
  Check(IsPlainFileName(p->folder));
  Check(HasPayloadMagic(payload));

  if (p->unpacked.size() > (1u << 20)) return;  // keep executions fast
  PackageContents again;
  again.folder = p->folder;
  again.folder_id = p->folder_id;
  again.key = {payload[8], payload[9], payload[10], payload[11]};
  for (const PackageEntry& e : p->entries) {
    const auto data = p->Data(e);
    again.files.push_back({e.name, {data.begin(), data.end()}});
  }
  pcshop::Result<std::vector<uint8_t>> written = BuildPayload(again);
  Check(written.ok());
  Expected<Package> q = ReadPackage(*written, kLimits);
  Check(q.ok());
  Check(q->folder == p->folder && q->entries.size() == p->entries.size());
  for (size_t i = 0; i < p->entries.size(); ++i) {
    const auto a = p->Data(p->entries[i]);
    const auto b = q->Data(q->entries[i]);
    Check(q->entries[i].name == p->entries[i].name);
    Check(std::equal(a.begin(), a.end(), b.begin(), b.end()));
  }
}

void FuzzEntries(std::span<const uint8_t> unpacked) {
  Expected<std::vector<PackageEntry>> entries = ParseEntries(unpacked);
  if (!entries.ok()) return;
  CheckEntries(*entries, unpacked.size());
  // The encoding is canonical: what parses, encodes back to the same bytes.
  std::vector<PackageFile> files;
  for (const PackageEntry& e : *entries) {
    const auto data = unpacked.subspan(e.offset, e.size);
    files.push_back({e.name, {data.begin(), data.end()}});
  }
  const std::vector<uint8_t> again = EncodeEntries(files);
  Check(std::equal(again.begin(), again.end(), unpacked.begin(), unpacked.end()));
  (void)FindKernelEntry(*entries);
}

// A stamp that decodes encodes back to the same bytes, with plain names.
void FuzzStamp(std::span<const uint8_t> bytes) {
  const std::optional<UnpackStamp> stamp = DecodeStamp(bytes);
  if (!stamp) return;
  for (const StampedFile& f : stamp->files) Check(IsPlainFileName(f.name));
  const std::vector<uint8_t> again = EncodeStamp(*stamp);
  Check(std::equal(again.begin(), again.end(), bytes.begin(), bytes.end()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> rest(data + 1, size - 1);
  switch (data[0] % pcshop::launcher::fuzz::kSelectorCount) {
    case pcshop::launcher::fuzz::kWholePayload:
      FuzzWholePayload(rest);
      break;
    case pcshop::launcher::fuzz::kEntriesOnly:
      FuzzEntries(rest);
      break;
    case pcshop::launcher::fuzz::kStampOnly:
      FuzzStamp(rest);
      break;
  }
  if (size >= 8) {
    (void)ParseTrailer(std::span<const uint8_t, 8>(data + size - 8, 8), size - 8);
  }
  return 0;
}
