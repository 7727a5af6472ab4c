#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace twinsift {

// A point in time as days since 30 December 1899, the fraction being the time
// of day: the serial form in which a variant carries a date.
struct Date {
    double serial = 0;
    friend bool operator==(Date, Date) = default;
};

// A shared reference to whatever object a store slot carries.
using ObjectRef = std::shared_ptr<void>;

// The tagged value of a CHive key or slot. Copying copies plain values and
// shares object references.
class Variant {
public:
    enum class Type : std::uint8_t {
        Empty,
        Byte,
        Integer,  // 16-bit
        Long,     // 32-bit
        LongLong, // 64-bit
        Double,
        Date,
        String,
        Object,
    };

    Variant() = default;
    Variant(std::uint8_t value) : m_value(value) {}
    Variant(std::int16_t value) : m_value(value) {}
    Variant(std::int32_t value) : m_value(value) {}
    Variant(std::int64_t value) : m_value(value) {}
    Variant(double value) : m_value(value) {}
    Variant(Date value) : m_value(value) {}
    Variant(std::string value) : m_value(std::move(value)) {}
    Variant(std::string_view value) : m_value(std::string(value)) {}
    Variant(const char* value) : m_value(std::string(value)) {}
    template <class T> Variant(std::shared_ptr<T> object) : m_value(ObjectRef(std::move(object))) {}
    // A truth value has no type of its own here; refuse it rather than let it
    // become a number silently.
    Variant(bool) = delete;

    Type type() const { return static_cast<Type>(m_value.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isObject() const { return type() == Type::Object; }

    // The value when it is of type T, else null: `v.get<std::string>()`.
    template <class T> const T* get() const { return std::get_if<T>(&m_value); }

    // Byte, Integer, Long and LongLong: the types that name a position in a
    // store rather than a key.
    std::optional<std::int64_t> wholeNumber() const;

    // The text of a String; empty for every other type.
    std::string_view text() const;

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    std::variant<std::monostate, std::uint8_t, std::int16_t, std::int32_t, std::int64_t, double,
                 Date, std::string, ObjectRef>
        m_value;
};

inline std::optional<std::int64_t> Variant::wholeNumber() const {
    switch (type()) {
    case Type::Byte:
        return *get<std::uint8_t>();
    case Type::Integer:
        return *get<std::int16_t>();
    case Type::Long:
        return *get<std::int32_t>();
    case Type::LongLong:
        return *get<std::int64_t>();
    default:
        return std::nullopt;
    }
}

inline std::string_view Variant::text() const {
    const auto* value = get<std::string>();
    return value ? std::string_view(*value) : std::string_view();
}

} // namespace twinsift
