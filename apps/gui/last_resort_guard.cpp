#include "last_resort_guard.h"

#include <new>

#include "platform/platform.h"
#include "runtime/runtime_error.h"

namespace zelk {

std::string escapedErrorText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeError& e) {
        return "Fout " + std::to_string(e.number()) + " in " + e.source() + ": " + e.description();
    } catch (const std::bad_alloc&) {
        return "Onvoldoende geheugen";
    } catch (const std::exception& e) {
        return std::string("Onverwachte fout: ") + e.what();
    } catch (...) {
        // Only a type from outside the program gets here; its name says nothing to the user.
        return "Onverwachte fout van onbekende soort";
    }
}

void runGuarded(Platform& platform, const std::function<void()>& command) {
    try {
        command();
    } catch (...) {
        // Event-loop boundary: nothing may cross into Qt, and the program
        // stays alive whatever the command threw.
        platform.msgBox(escapedErrorText(std::current_exception()), vbCritical, "");
    }
}

}  // namespace zelk
