#pragma once
// The launcher's faults and the one fixed English message each shows.
// Readers and steps return a LaunchError as a value; only the launcher's end
// turns it into a message.

#include <string_view>
#include <utility>
#include <variant>

namespace pcshop::launcher {

enum class LaunchError {
  kCantOpenFile,      // the own executable cannot be opened
  kInvalidData,       // no package, or a malformed one
  kReadTrailer,       // the trailer cannot be read in full
  kNoMemory,          // a buffer cannot be allocated
  kReadPayload,       // the payload cannot be read, or its magic is wrong
  kNoTempDir,         // no safe private temporary directory
  kDecompress,        // the stream is damaged or larger than declared
  kNoKernel,          // no entry carries a kernel library name
  kLoadKernel,        // the extracted kernel library does not load
  kKernelInvalid,     // no GetRuntimeEntry export
  kInterfaceInvalid,  // GetRuntimeEntry returned null
};

constexpr std::string_view Message(LaunchError error) {
  switch (error) {
    case LaunchError::kCantOpenFile:
      return "Can't open file!";
    case LaunchError::kInvalidData:
      return "Invalid data in the file!";
    case LaunchError::kReadTrailer:
      return "Failed to read data from the file!";
    case LaunchError::kNoMemory:
      return "Insufficient memory!";
    case LaunchError::kReadPayload:
      return "Failed to read file or invalid data in file!";
    case LaunchError::kNoTempDir:
      return "Can't retrieve the temporary directory!";
    case LaunchError::kDecompress:
      return "Failed to decompress data!";
    case LaunchError::kNoKernel:
      return "Not found the kernel library!";
    case LaunchError::kLoadKernel:
      return "Failed to load kernel library!";
    case LaunchError::kKernelInvalid:
      return "The kernel library is invalid!";
    case LaunchError::kInterfaceInvalid:
      return "The interface of kernel library is invalid!";
  }
  return "Invalid data in the file!";
}

// A value or the fault that explains why there is none.
template <typename T>
class [[nodiscard]] Expected {
 public:
  Expected(T v) : v_(std::move(v)) {}         // NOLINT: implicit by design
  Expected(LaunchError error) : v_(error) {}  // NOLINT: implicit by design

  bool ok() const { return v_.index() == 0; }
  LaunchError error() const { return std::get<1>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T& value() & { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  const T& operator*() const& { return value(); }
  T& operator*() & { return value(); }
  const T* operator->() const { return &value(); }
  T* operator->() { return &value(); }

 private:
  std::variant<T, LaunchError> v_;
};

}  // namespace pcshop::launcher
