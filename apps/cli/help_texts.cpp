#include "help_texts.h"

#include "runtime/product.h"

namespace zelk::cli {

std::string programHelp() {
    return "Gebruik: zelkextract2-cli COMMANDO [OPTIES]\n"
           "\n"
           "Commando's:\n"
           "  export          de exports roerend, onroerend en mapping als werkmappen\n"
           "  demo-database   een nieuwe SQLite-database met demo-inhoud\n"
           "  help [COMMANDO] deze tekst, of die van een commando\n"
           "\n"
           "Opties:\n"
           "  -h, --help      deze tekst\n"
           "  -V, --version   versie en datum van het programma\n"
           "\n"
           "Meer per commando: zelkextract2-cli COMMANDO --help\n";
}

std::string exportHelp() {
    return "Gebruik: zelkextract2-cli export [OPTIES] EXPORT...\n"
           "  EXPORT: roerend | onroerend | mapping | all\n"
           "\n"
           "Opties (ook als --optie=waarde):\n"
           "  -d, --database BESTAND    de database (.mdb, .accdb of SQLite); zonder deze optie de\n"
           "                            laatst geopende database van het bureaubladprogramma\n"
           "  -p, --password TEKST      het wachtwoord van een Access-database\n"
           "      --password-file BESTAND\n"
           "                            het wachtwoord uit de eerste regel van BESTAND\n"
           "                            (of de omgevingsvariabele ZELK_PASSWORD)\n"
           "  -D, --date DATUM          verwerkingsdatum, DD-MM-JJJJ of JJJJ-MM-DD; zonder deze\n"
           "                            optie de eerste dag van de huidige maand\n"
           "  -o, --output MAP          map voor roerend.xlsx, onroerend.xlsx en mapping.xlsx\n"
           "                            (wordt aangemaakt; standaard de huidige map)\n"
           "      --now JJJJ-MM-DDTUU:MM:SS\n"
           "                            vaste datum en tijd van de run (herhaalbare uitvoer)\n"
           "  -h, --help                deze tekst\n"
           "\n"
           "Afsluitcode: 0 alles geschreven, 1 een export of de database mislukte, 2 onjuist gebruik.\n";
}

std::string demoDatabaseHelp() {
    return "Gebruik: zelkextract2-cli demo-database BESTAND [--assets N] [--seed N] [--history-depth N]\n"
           "\n"
           "Schrijft een nieuwe SQLite-database met demo-inhoud; een bestaand bestand wordt nooit\n"
           "overschreven.\n"
           "  --assets N          aantal objecten (standaard 200)\n"
           "  --seed N            startwaarde van de toevalsgenerator\n"
           "  --history-depth N   gemiddeld aantal historierecords per object (1 tot 100, bijv. 5.5),\n"
           "                      een maand uit elkaar; standaard jaarlijkse boekingen\n"
           "  -h, --help          deze tekst\n";
}

std::string versionText() { return std::string("zelkextract2-cli ") + kVersion + " (" + kReleaseDate + ")\n"; }

}  // namespace zelk::cli
