#pragma once
// Seconds of work that no event may interrupt but that the user should not
// take for a hang (packing and checking a written workbook): it runs on a
// thread of its own while this thread keeps the window answering, as a long
// export does between its rows. The work must touch nothing the events
// handled meanwhile can reach; the callers keep such commands switched off.

#include <functional>
#include <string>

namespace zelk {

class Platform;

// Shows `label` as work of unknown length, runs `work` and returns once it is
// done, letting pending events run every few hundredths of a second. What
// `work` throws is thrown here.
void runResponsive(Platform& platform, const std::string& label, const std::function<void()>& work);

}  // namespace zelk
