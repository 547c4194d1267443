#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// An expected failure carried as a value: a message a person can read.
struct Error {
    QString message;
};

// A value or an Error. Expected failures travel as Results; exceptions never cross a library.
template <typename T>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T &value() { return std::get<T>(m_state); }
    const T &value() const { return std::get<T>(m_state); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    T &operator*() { return value(); }
    const T &operator*() const { return value(); }

    const QString &error() const { return std::get<Error>(m_state).message; }

private:
    std::variant<T, Error> m_state;
};

// A Result without a value: success, or an Error.
template <>
class Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return m_error->message; }

private:
    std::optional<Error> m_error;
};
