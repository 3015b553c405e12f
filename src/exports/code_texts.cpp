#include "exports/code_texts.h"

#include <algorithm>
#include <cctype>

namespace zelk {
namespace {

// Numeric equality as the runtime compares: 2.0 matches 2; Null and Empty match nothing.
bool codeIs(const Variant& code, int n) {
    if (code.isNull() || code.isEmpty()) return false;
    auto c = compareVariants(code, Variant(static_cast<std::int32_t>(n)));
    return c && *c == 0;
}

}  // namespace

Variant OwnershipText(const Variant& code) {
    if (codeIs(code, 1)) return Variant("Eigendom");
    if (codeIs(code, 2)) return Variant("Huur");
    if (codeIs(code, 3)) return Variant("Beide");
    return Variant();
}

Variant UsageText(const Variant& code) {
    if (codeIs(code, 1)) return Variant("In eigen gebruik");
    if (codeIs(code, 2)) return Variant("Niet in eigen gebruik");
    return Variant();
}

Variant ownerPlaceCode(const Variant& ownerName) {
    // Compared exactly in capitals, without trimming: a leading blank is another name.
    std::string name = displayText(ownerName);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (name == "KALMERSTEDE" || name == "KALMERSTEDE A") return Variant("B0190");
    if (name == "FACILITAIR BEDRIJF") return Variant("B0107");
    if (name == "HELDRAAK") return Variant("B0572");
    return Variant();
}

}  // namespace zelk
