#pragma once
// Errors as values, shared by the image reader and the runtime's services.
// A Status is cheap when ok; a failure carries a code the caller can branch
// on and a message for people.

#include <string>
#include <utility>
#include <variant>

namespace pcshop {

class [[nodiscard]] Status {
 public:
  enum class Code { kOk, kNotFound, kCorruption, kIOError, kInvalidArgument, kBusy, kTypeMismatch,
                    kUnavailable };

  Status() = default;
  static Status Ok() { return Status(); }
  static Status NotFound(std::string msg) { return Status(Code::kNotFound, std::move(msg)); }
  static Status Corruption(std::string msg) { return Status(Code::kCorruption, std::move(msg)); }
  static Status IOError(std::string msg) { return Status(Code::kIOError, std::move(msg)); }
  static Status InvalidArgument(std::string msg) {
    return Status(Code::kInvalidArgument, std::move(msg));
  }
  static Status Busy(std::string msg) { return Status(Code::kBusy, std::move(msg)); }
  static Status TypeMismatch(std::string msg) {
    return Status(Code::kTypeMismatch, std::move(msg));
  }
  // A service out of reach (the database server): nothing was done.
  static Status Unavailable(std::string msg) {
    return Status(Code::kUnavailable, std::move(msg));
  }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  const std::string& message() const { return message_; }
  std::string ToString() const;

 private:
  Status(Code code, std::string msg) : code_(code), message_(std::move(msg)) {}
  Code code_ = Code::kOk;
  std::string message_;
};

// A value or the Status that explains why there is none.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}          // NOLINT: implicit by design
  Result(Status status) : v_(std::move(status)) {}   // NOLINT: must not be ok
  bool ok() const { return std::holds_alternative<T>(v_); }
  const T& value() const& { return std::get<T>(v_); }
  T& value() & { return std::get<T>(v_); }
  T&& value() && { return std::get<T>(std::move(v_)); }
  const T& operator*() const& { return value(); }
  T& operator*() & { return value(); }
  const T* operator->() const { return &value(); }
  T* operator->() { return &value(); }
  Status status() const { return ok() ? Status::Ok() : std::get<Status>(v_); }

 private:
  std::variant<T, Status> v_;
};

inline std::string Status::ToString() const {
  switch (code_) {
    case Code::kOk: return "OK";
    case Code::kNotFound: return "Not found: " + message_;
    case Code::kCorruption: return "Corruption: " + message_;
    case Code::kIOError: return "IO error: " + message_;
    case Code::kInvalidArgument: return "Invalid argument: " + message_;
    case Code::kBusy: return "Busy: " + message_;
    case Code::kTypeMismatch: return "Type mismatch: " + message_;
    case Code::kUnavailable: return "Unavailable: " + message_;
  }
  return message_;
}

}  // namespace pcshop
