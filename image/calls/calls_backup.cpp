// The backup calls.

#include <vector>

#include "image/calls/calls.h"

namespace pcshop::calls {

using image::KernelCommand;

OwnedText Calls::BackupTables(const char* data_folder, const char* backup_folder,
                              const char* when, const char* why) {
  return TakeText(Kernel(KernelCommand::kBackupTables,
                         {Arg(data_folder), Arg(backup_folder), Arg(when), Arg(why)}));
}

OwnedText Calls::CheckBackup(const char* backup_folder) {
  return TakeText(Kernel(KernelCommand::kCheckBackup, {Arg(backup_folder)}));
}

OwnedText Calls::RestoreTables(const char* backup_folder, const char* data_folder) {
  return TakeText(Kernel(KernelCommand::kRestoreTables, {Arg(backup_folder), Arg(data_folder)}));
}

std::optional<std::vector<TextRow>> Calls::ListBackups(const char* parent) {
  const OwnedBinary result = TakeBinary(Kernel(KernelCommand::kListBackups, {Arg(parent)}));
  if (result.get() == nullptr) return std::nullopt;
  return DecodeTextRows(result.bytes());
}

bool Calls::RemoveBackup(const char* backup_folder) {
  return Kernel(KernelCommand::kRemoveBackup, {Arg(backup_folder)}).low != 0;
}

OwnedText Calls::CopyBackup(const char* backup_folder, const char* destination) {
  return TakeText(Kernel(KernelCommand::kCopyBackup, {Arg(backup_folder), Arg(destination)}));
}

OwnedText Calls::BackupTime() { return TakeText(Kernel(KernelCommand::kBackupTime, {})); }

bool Calls::TableNeedsUpgrade(const char* path, std::span<const FieldRecord> fields) {
  std::vector<uint64_t> array;
  array.reserve(1 + fields.size());
  array.push_back(1 | (static_cast<uint64_t>(fields.size()) << 32));
  for (const FieldRecord& field : fields) array.push_back(reinterpret_cast<uintptr_t>(&field));
  return Kernel(KernelCommand::kTableNeedsUpgrade,
                {Arg(path), LibraryValue(array.data(), TypeId::kFieldList)})
             .low != 0;
}

OwnedText Calls::ChooseFolder(const char* title) {
  return TakeText(Kernel(KernelCommand::kChooseFolder, {Arg(title)}));
}

bool Calls::OtherCopiesUseTables() {
  return Kernel(KernelCommand::kOtherCopiesUseTables, {}).low != 0;
}

}  // namespace pcshop::calls
