#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

// Error codes are Windows' own numbers on both backends, so logic and tests speak one vocabulary.
namespace errc {
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kInvalidData = 13;
constexpr uint32_t kAlreadyExists = 183;
constexpr uint32_t kMoreData = 234;
constexpr uint32_t kKeyDeleted = 1018;
constexpr uint32_t kCancelled = 1223;  // ERROR_CANCELLED: the user declined the elevation prompt
}  // namespace errc

class [[nodiscard]] Status {
public:
    Status() = default;
    static Status success() { return {}; }
    static Status failure(uint32_t code, std::string api) { return Status(code, std::move(api)); }
    bool ok() const { return m_code == errc::kSuccess; }
    bool notFound() const { return m_code == errc::kFileNotFound; }
    uint32_t code() const { return m_code; }
    const std::string& api() const { return m_api; }

private:
    Status(uint32_t code, std::string api) : m_code(code), m_api(std::move(api)) {}
    uint32_t m_code = errc::kSuccess;
    std::string m_api;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Status failure) : m_status(std::move(failure)) {}
    bool ok() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const Status& status() const { return m_status; }

private:
    std::optional<T> m_value;
    Status m_status;
};
