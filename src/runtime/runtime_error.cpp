#include "runtime/runtime_error.h"

namespace zelk {

RuntimeError::RuntimeError(long number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

RuntimeError::RuntimeError(long number, std::string source)
    : RuntimeError(number, std::move(source), runtimeErrorDescription(number)) {}

std::string runtimeErrorDescription(long number) {
    switch (number) {
    case 5: return "Ongeldige procedure-aanroep of ongeldig argument";
    case 6: return "Overloop";
    case 7: return "Onvoldoende geheugen";
    case 9: return "Het subscript valt buiten het bereik";
    case 11: return "Deling door nul";
    case 13: return "Type komt niet overeen";
    case 52: return "Ongeldige bestandsnaam of ongeldig bestandsnummer";
    case 53: return "Kan bestand niet vinden";
    case 54: return "Ongeldige bestandsmodus";
    case 55: return "Bestand is al geopend";
    case 57: return "I/O-fout bij apparaat";
    case 58: return "Bestand bestaat al";
    case 61: return "Schijf is vol";
    case 62: return "Invoer voorbij einde van bestand";
    case 63: return "Ongeldig recordnummer";
    case 67: return "Te veel bestanden";
    case 68: return "Apparaat is niet beschikbaar";
    case 70: return "Toestemming geweigerd";
    case 71: return "Schijf is niet gereed";
    case 75: return "Fout bij toegang tot pad/bestand";
    case 76: return "Kan pad niet vinden";
    case 91: return "Objectvariabele of blokvariabele With is niet ingesteld";
    case 94: return "Ongeldig gebruik van Null";
    case 1004: return "Door toepassing of object gedefinieerde fout";
    default: return "Door toepassing gedefinieerde of object-gedefinieerde fout";
    }
}

}  // namespace zelk
