#pragma once
// Small code tables of the asset exports.

#include "runtime/variant.h"

namespace zelk {

// "Huur/eigendom" of a building: 1 Eigendom, 2 Huur, 3 Beide, else empty.
Variant OwnershipText(const Variant& code);
// "Gebruik" of a building: 1 In eigen gebruik, 2 Niet in eigen gebruik, else empty.
Variant UsageText(const Variant& code);
// The ledger's location code ("Plaats") for an owner's name; empty when unknown.
Variant ownerPlaceCode(const Variant& ownerName);

}  // namespace zelk
