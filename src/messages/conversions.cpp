#include "messages/conversions.h"

#include <cmath>

#include "messages/alg.h"
#include "platform/platform.h"
#include "runtime/number_format.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace zelk {
namespace {

constexpr char kPlus[] = "{ABCDEFGHI";
constexpr char kMinus[] = "}JKLMNOPQR";

// Bytes of a whole number as characters, lowest byte first.
std::string packBytes(std::uint32_t bits, int count) {
    std::u32string s;
    for (int i = 0; i < count; ++i) s.push_back(cp1252Char(static_cast<unsigned char>(bits >> (8 * i))));
    return u32ToUtf8(s);
}

std::uint32_t unpackBytes(const std::string& text, std::size_t count, const char* name) {
    const std::u32string s = utf8ToU32(text);
    if (s.size() != count) throw RuntimeError(13, "ZelkExtract2", std::string("Illegal function call (") + name + ")");
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < count; ++i) bits |= static_cast<std::uint32_t>(cp1252Byte(s[i])) << (8 * i);
    return bits;
}

}  // namespace

Variant FormatIbmBedrag(Platform& platform, const Variant& Bedrag, const std::string& Formaat) {
    const char last = Formaat.empty() ? '\0' : Formaat.back();
    if (last != '0' && last != '+' && last != '-') {
        platform.msgBox("Systeemfout: Dit IBM formaat is onbekend", vbCritical, kAppTitle);
        return Variant();
    }
    if (Bedrag.isNull()) return Variant::null();
    const double amount = Bedrag.toDouble();
    if (last == '0') return Variant(formatNumber(amount, Formaat));
    const std::string digits = formatNumber(std::fabs(amount), Formaat.substr(0, Formaat.size() - 1) + "0");
    if (amount < 0) return Variant(ConvertIbmTeken(platform, digits, "-"));
    if (last == '+') return Variant(digits);
    return Variant(ConvertIbmTeken(platform, digits, "+"));
}

std::string ConvertIbmTeken(Platform& platform, const std::string& Bedrag, const std::string& Teken) {
    if (Teken != "+" && Teken != "-") {
        platform.msgBox("Systeemfout: Teken bij IBM conversie onbekend", vbCritical, kAppTitle);
        return Bedrag;
    }
    std::string r = Bedrag;
    if (r.empty()) return r;
    const char c = r.back();
    if (c >= '0' && c <= '9') r.back() = (Teken == "+" ? kPlus : kMinus)[c - '0'];
    return r;
}

Variant Round(Platform& platform, const Variant& Bedrag, const Variant& decimalen) {
    static constexpr double kHalf[] = {0.5, 0.05, 0.005, 0.0005, 0.00005};
    static constexpr double kScale[] = {1, 10, 100, 1000, 10000};
    double places = -1;
    try {
        if (!decimalen.isNull()) places = decimalen.toDouble();
    } catch (const RuntimeError&) {
    }
    if (!(places == 0 || places == 1 || places == 2 || places == 3 || places == 4)) {
        platform.msgBox("Afronden niet mogelijk", vbOKOnly, kAppTitle);
        return Bedrag;
    }
    if (Bedrag.isNull()) return Variant::null();
    const int k = static_cast<int>(places);
    const double amount = Bedrag.toDouble();
    if (k == 0) return Variant(std::floor(amount + kHalf[0]));
    return Variant(std::floor((amount + kHalf[k]) * kScale[k]) / kScale[k]);
}

Variant TransCheckBoxValue(const Variant& Waarde) {
    if (Waarde.type() == VarType::Boolean) return Variant(static_cast<std::int16_t>(Waarde.toBool() ? 1 : 0));
    if (Waarde.isNull()) return Variant();
    double v = 0;
    try {
        v = Waarde.toDouble();
    } catch (const RuntimeError&) {
        return Variant();  // a text that is no number equals neither
    }
    if (v == 1) return Variant(true);
    if (v == 0) return Variant(false);
    return Variant();
}

std::string MKI(std::int16_t piX) { return packBytes(static_cast<std::uint16_t>(piX), 2); }
std::string MKL(std::int32_t PLx) { return packBytes(static_cast<std::uint32_t>(PLx), 4); }

std::int16_t CVI(const std::string& ptX) { return static_cast<std::int16_t>(unpackBytes(ptX, 2, "CVI")); }
std::int32_t CVL(const std::string& ptX) { return static_cast<std::int32_t>(unpackBytes(ptX, 4, "CVL")); }

}  // namespace zelk
