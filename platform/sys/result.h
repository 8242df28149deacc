// The one result type of our own fallible helpers (files, parsing): a value, or the message that says
// why there is none. The system's prescribed operations keep their own exceptions and bool results;
// they turn a failed Result into those at their boundary.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace sys {

// Why a helper failed, in words fit to show the user.
class Error {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}      // NOLINT(google-explicit-constructor): reads as a return
  Result(Error error) : state_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // The value; asking a failed result for it is a programming error (std::logic_error).
  const T& value() const& { return std::get<0>(checked()); }
  T& value() & { return std::get<0>(checked()); }
  T&& value() && { return std::get<0>(std::move(checked())); }
  // The message of a failed result; empty for a successful one.
  const std::string& error() const { return ok() ? empty() : std::get<1>(state_).message(); }

 private:
  const std::variant<T, Error>& checked() const {
    if (!ok()) throw std::logic_error("value of a failed result: " + error());
    return state_;
  }
  std::variant<T, Error>& checked() {
    if (!ok()) throw std::logic_error("value of a failed result: " + error());
    return state_;
  }
  static const std::string& empty() {
    static const std::string none;
    return none;
  }
  std::variant<T, Error> state_;
};

// A helper that has no value to give back: success, or the message.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  const std::string& error() const {
    static const std::string none;
    return error_ ? error_->message() : none;
  }

 private:
  std::optional<Error> error_;
};

}  // namespace sys
