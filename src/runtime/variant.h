#pragma once
// The runtime's value type: every cell, field and most parameters of the
// program are one of these. Semantics follow the classic variant of the
// original runtime: Null propagates and never compares true, Empty reads as 0
// or "", Currency is exact fixed point with four decimals.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "runtime/currency.h"

namespace zelk {

enum class VarType { Empty, Null, Boolean, Integer, Long, Single, Double, Currency, Date, String };

// Day serial from 30 December 1899; the fraction is the time of day.
struct Date {
    double serial = 0.0;
    friend bool operator==(Date a, Date b) { return a.serial == b.serial; }
};

struct NullValue {
    friend bool operator==(NullValue, NullValue) { return true; }
};

class Variant {
public:
    Variant() = default;
    static Variant null() { return Variant(NullValue{}); }
    Variant(NullValue) : v_(NullValue{}) {}
    Variant(bool b) : v_(b) {}
    Variant(std::int16_t i) : v_(i) {}
    Variant(std::int32_t l) : v_(l) {}
    Variant(float f) : v_(f) {}
    Variant(double d) : v_(d) {}
    Variant(Currency c) : v_(c) {}
    Variant(Date d) : v_(d) {}
    Variant(std::string s) : v_(std::move(s)) {}
    Variant(const char* s) : v_(std::string(s)) {}

    VarType type() const { return static_cast<VarType>(v_.index()); }
    bool isEmpty() const { return type() == VarType::Empty; }
    bool isNull() const { return type() == VarType::Null; }
    bool isString() const { return type() == VarType::String; }
    bool isNumeric() const;  // a number, Currency, Boolean or Date
    // Lower-case type name as the runtime's TypeName gives it ("string", "long"...).
    std::string typeName() const;

    // Conversions in the runtime's manner. Each throws RuntimeError 13 (type
    // mismatch) when the value does not convert, 94 (invalid use of Null) for
    // Null, and 6 (overflow) when the number does not fit.
    double toDouble() const;
    std::int32_t toLong() const;  // rounds half to even
    std::int16_t toInteger() const;
    float toSingle() const;
    Currency toCurrency() const;
    Date toDate() const;
    bool toBool() const;
    std::string toString() const;  // Null gives error 94; Empty gives ""

    const std::string& str() const;  // the text of a String; throws 13 otherwise
    Date date() const { return std::get<Date>(v_); }
    Currency currency() const { return std::get<Currency>(v_); }

    friend bool operator==(const Variant& a, const Variant& b) { return a.v_ == b.v_; }

private:
    std::variant<std::monostate, NullValue, bool, std::int16_t, std::int32_t, float, double, Currency, Date,
                 std::string>
        v_;
};

// The runtime's comparison: numbers (and dates, Booleans, Empty) numerically,
// texts binary, a number is less than a text. Null gives no answer.
std::optional<int> compareVariants(const Variant& a, const Variant& b);

// Text for a message line or log ("" for Null and Empty) without ever throwing.
std::string displayText(const Variant& v);

}  // namespace zelk
