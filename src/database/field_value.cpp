#include "database/field_value.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

#include "runtime/calendar.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"

namespace zelk {
namespace {

std::string upperWord(std::string_view declared) {
    // The first word of the type, without a size in parentheses: "VARCHAR(50)" -> "VARCHAR".
    std::string w;
    for (char c : declared) {
        if (c == '(' || c == ' ' || c == '\t') {
            if (!w.empty()) break;
            continue;
        }
        w += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return w;
}

bool digits(std::string_view s, size_t pos, size_t n, int& out) {
    if (pos + n > s.size()) return false;
    out = 0;
    for (size_t k = pos; k < pos + n; ++k) {
        if (!std::isdigit(static_cast<unsigned char>(s[k]))) return false;
        out = out * 10 + (s[k] - '0');
    }
    return true;
}

// "HH:MM:SS" (optionally ".fff") at pos to the end of the text.
bool parseTime(std::string_view s, size_t pos, int& h, int& m, int& sec) {
    if (!digits(s, pos, 2, h) || s.size() < pos + 5 || s[pos + 2] != ':' || !digits(s, pos + 3, 2, m)) return false;
    sec = 0;
    size_t end = pos + 5;
    if (s.size() > end && s[end] == ':') {
        if (!digits(s, end + 1, 2, sec)) return false;
        end += 3;
        if (s.size() > end && s[end] == '.') {
            ++end;
            while (end < s.size() && std::isdigit(static_cast<unsigned char>(s[end]))) ++end;
        }
    }
    return end == s.size() && h < 24 && m < 60 && sec < 60;
}

Variant wholeNumber(FieldKind kind, std::int64_t i) {
    if (kind == FieldKind::Integer) {
        if (i < std::numeric_limits<std::int16_t>::min() || i > std::numeric_limits<std::int16_t>::max())
            throw RuntimeError(6);
        return Variant(static_cast<std::int16_t>(i));
    }
    if (i < std::numeric_limits<std::int32_t>::min() || i > std::numeric_limits<std::int32_t>::max())
        throw RuntimeError(6);
    return Variant(static_cast<std::int32_t>(i));
}

Variant untyped(const StoredValue& v) {
    switch (v.cls) {
    case StoredValue::Null: return Variant::null();
    case StoredValue::Integer:
        if (v.i >= std::numeric_limits<std::int32_t>::min() && v.i <= std::numeric_limits<std::int32_t>::max())
            return Variant(static_cast<std::int32_t>(v.i));
        return Variant(static_cast<double>(v.i));
    case StoredValue::Real: return Variant(v.r);
    default: return Variant(std::string(v.text));
    }
}

// A stored value as the runtime's source value for a numeric conversion.
Variant asSource(const StoredValue& v) {
    switch (v.cls) {
    case StoredValue::Integer: return Variant(static_cast<double>(v.i));
    case StoredValue::Real: return Variant(v.r);
    default:
        if (const auto d = storedNumber(v.text)) return Variant(*d);
        throw RuntimeError(13);
    }
}

}  // namespace

std::optional<double> storedNumber(std::string_view text) {
    // The stored (C) form only: the runtime's own parsing would also take a
    // decimal comma, which SQLite never writes.
    const std::string t(text);
    char* end = nullptr;
    const double d = std::strtod(t.c_str(), &end);
    if (t.empty() || end != t.c_str() + t.size() || !std::isfinite(d)) return std::nullopt;
    return d;
}

FieldKind fieldKindOf(std::string_view declaredType) {
    const std::string w = upperWord(declaredType);
    if (w.empty()) return FieldKind::Untyped;
    if (w == "TEXT" || w == "VARCHAR" || w == "CHAR" || w == "MEMO" || w == "NVARCHAR" || w == "NCHAR" || w == "CLOB" ||
        w == "LONGTEXT" || w == "STRING" || w == "CHARACTER")
        return FieldKind::Text;
    if (w == "INTEGER" || w == "INT" || w == "LONG" || w == "COUNTER" || w == "AUTOINCREMENT" || w == "BIGINT")
        return FieldKind::Long;
    if (w == "SMALLINT" || w == "BYTE" || w == "TINYINT" || w == "SHORT") return FieldKind::Integer;
    if (w == "SINGLE") return FieldKind::Single;
    if (w == "REAL" || w == "DOUBLE" || w == "FLOAT" || w == "NUMERIC" || w == "DECIMAL") return FieldKind::Double;
    if (w == "CURRENCY" || w == "MONEY") return FieldKind::Currency;
    if (w == "DATE" || w == "DATETIME" || w == "TIME" || w == "TIMESTAMP") return FieldKind::Date;
    if (w == "BOOLEAN" || w == "YESNO" || w == "BIT" || w == "LOGICAL") return FieldKind::Boolean;
    return FieldKind::Untyped;
}

std::optional<Date> parseIsoDate(std::string_view s) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    if (s.size() >= 5 && s[2] == ':') {
        if (!parseTime(s, 0, h, mi, sec)) return std::nullopt;
        return makeTime(h, mi, sec);
    }
    if (!digits(s, 0, 4, y) || s.size() < 10 || s[4] != '-' || !digits(s, 5, 2, mo) || s[7] != '-' ||
        !digits(s, 8, 2, d))
        return std::nullopt;
    if (y < 100 || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo)) return std::nullopt;  // 31 April and the like
    const Date day = makeDate(y, mo, d);
    if (s.size() == 10) return day;
    if (s[10] != ' ' && s[10] != 'T') return std::nullopt;
    if (!parseTime(s, 11, h, mi, sec)) return std::nullopt;
    return makeDateTime({y, mo, d, h, mi, sec});
}

std::string isoDateText(Date d) {
    const DateParts p = splitDate(d);
    char buf[32];
    if (d.serial >= 0 && d.serial < 1 && d.serial != 0) {
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    } else if (p.hour == 0 && p.minute == 0 && p.second == 0) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.year, p.month, p.day);
    } else {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                      p.second);
    }
    return buf;
}

Variant fieldValue(FieldKind kind, const StoredValue& v) {
    if (v.cls == StoredValue::Null) return Variant::null();
    switch (kind) {
    case FieldKind::Untyped: return untyped(v);
    case FieldKind::Text:
        if (v.cls == StoredValue::Text || v.cls == StoredValue::Blob) return Variant(std::string(v.text));
        if (v.cls == StoredValue::Integer) return Variant(std::to_string(v.i));
        return Variant(v.r).toString();
    case FieldKind::Long:
    case FieldKind::Integer:
        if (v.cls == StoredValue::Integer) return wholeNumber(kind, v.i);
        return kind == FieldKind::Integer ? Variant(asSource(v).toInteger()) : Variant(asSource(v).toLong());
    case FieldKind::Single: return Variant(asSource(v).toSingle());
    case FieldKind::Double: return Variant(asSource(v).toDouble());
    case FieldKind::Currency:
        if (v.cls == StoredValue::Integer) return Variant(Currency::fromWhole(v.i));
        return Variant(asSource(v).toCurrency());
    case FieldKind::Date:
        if (v.cls == StoredValue::Text) {
            if (auto d = parseIsoDate(v.text)) return Variant(*d);
            throw RuntimeError(13);
        }
        if (v.cls == StoredValue::Blob) throw RuntimeError(13);
        return Variant(asSource(v).toDate());
    case FieldKind::Boolean:
        if (v.cls == StoredValue::Text) {
            const std::string t(v.text);
            if (t == "1" || t == "-1" || t == "true" || t == "TRUE" || t == "True") return Variant(true);
            if (t == "0" || t == "false" || t == "FALSE" || t == "False") return Variant(false);
            throw RuntimeError(13);
        }
        if (v.cls == StoredValue::Blob) throw RuntimeError(13);
        return Variant(v.cls == StoredValue::Integer ? v.i != 0 : v.r != 0);
    }
    return untyped(v);
}

}  // namespace zelk
