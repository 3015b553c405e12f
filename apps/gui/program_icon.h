#pragma once
// The program's own icon (the one its menu entry shows), for its windows.

#include <QIcon>

namespace zelk {

QIcon programIcon();

}  // namespace zelk
