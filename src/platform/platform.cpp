#include "platform/platform.h"

namespace zelk {

int safeAnswer(int style) {
    switch (style & 7) {
    case vbOKCancel: return vbCancel;
    case vbAbortRetryIgnore: return vbAbort;
    case vbYesNoCancel: return vbCancel;
    case vbYesNo: return vbNo;
    case vbRetryCancel: return vbCancel;
    default: return vbOK;
    }
}

std::string answerText(int answer) {
    switch (answer) {
    case vbOK: return "OK";
    case vbCancel: return "Annuleren";
    case vbAbort: return "Afbreken";
    case vbRetry: return "Opnieuw";
    case vbIgnore: return "Negeren";
    case vbYes: return "Ja";
    case vbNo: return "Nee";
    default: return std::to_string(answer);
    }
}

}  // namespace zelk
