#pragma once
// File-dialog filters arrive as "Description|*.a;*.b|Description|*.c" pairs;
// Qt wants one entry per pair with the patterns in parentheses.

#include <QStringList>
#include <string>

namespace zelk {

QStringList QtFileFilters(const std::string& filter);

}  // namespace zelk
