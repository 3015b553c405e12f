#include "database/jet_errors.h"

#include <sqlite3.h>

#include <optional>
#include <system_error>

#include "os/folders.h"
#include "os/system_reason.h"

namespace zelk::jet {
namespace {

bool startsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// The name SQLite puts after "no such table: " and the like, without a
// "main." qualifier.
std::string nameAfter(const std::string& message, const std::string& prefix) {
    std::string name = message.substr(prefix.size());
    for (const char* schema : {"main.", "temp."})
        if (startsWith(name, schema)) name = name.substr(std::string(schema).size());
    return name;
}

DbError sqlError(const sqlite::Failure& f, const Context& ctx) {
    const std::string& m = f.message();
    if (startsWith(m, "no such table: ")) return objectNotFound(nameAfter(m, "no such table: "), ctx.source);
    if (startsWith(m, "no such column: "))
        return DbError(kTooFewParameters,
                       "Te weinig parameters. Verwacht: 1. Onbekende naam: '" + nameAfter(m, "no such column: ") + "'.",
                       ctx.source);
    if (startsWith(m, "no such function: "))
        return DbError(kUndefinedFunction,
                       "Ongedefinieerde functie '" + nameAfter(m, "no such function: ") + "' in expressie.",
                       ctx.source);
    if (startsWith(m, "ambiguous column name: "))
        return DbError(kAmbiguousField,
                       "Het opgegeven veld '" + nameAfter(m, "ambiguous column name: ") +
                           "' kan verwijzen naar meer dan een tabel in de FROM-component van de SQL-instructie.",
                       ctx.source);
    if (m.find("already exists") != std::string::npos) return objectExists(ctx.object);
    if (m == "integer overflow") return DbError(6, runtimeErrorDescription(6), ctx.source);
    if (m.find("syntax error") != std::string::npos || m.find("incomplete input") != std::string::npos ||
        startsWith(m, "near "))
        return DbError(kSyntax, "Syntaxisfout in de SQL-instructie (" + m + ").", ctx.source);
    return DbError(kReserved, "Fout in de SQL-instructie (" + m + ").", ctx.source);
}

}  // namespace

DbError fileNotFound(const std::string& path) {
    return DbError(kFileNotFound, "Kan bestand '" + path + "' niet vinden.", kSourceWorkspace);
}
DbError invalidPath(const std::string& path) {
    return DbError(kInvalidPath,
                   "'" + path +
                       "' is geen geldig pad. Controleer of de padnaam juist is gespeld en of u verbinding hebt met "
                       "de server waarop het bestand staat.",
                   kSourceWorkspace);
}
DbError invalidFileName(const std::string& path) {
    return DbError(kInvalidFileName, "'" + path + "' is geen geldige bestandsnaam.", kSourceWorkspace);
}
DbError noPermission(const std::string& path) {
    return DbError(kNoPermission,
                   "Kan het bestand '" + path +
                       "' niet openen. Het is al exclusief geopend door een andere gebruiker of u hebt geen "
                       "toestemming om de gegevens ervan te bekijken.",
                   kSourceWorkspace);
}
DbError unrecognisedFormat(const std::string& path) {
    return DbError(kUnrecognisedFormat, "Onbekende database-indeling '" + path + "'.", kSourceWorkspace);
}
DbError objectNotFound(const std::string& name, const std::string& source) {
    return DbError(kObjectNotFound,
                   "De database-engine kan de invoertabel of query '" + name +
                       "' niet vinden. Controleer of deze bestaat en of de naam juist is gespeld.",
                   source);
}
DbError objectExists(const std::string& name) {
    return DbError(kObjectExists, "Object '" + name + "' bestaat al.", kSourceDatabase);
}
DbError itemNotFound(const std::string& source) {
    return DbError(kItemNotFound, "Item is niet gevonden in deze verzameling.", source);
}
DbError noCurrentRecord() { return DbError(kNoCurrentRecord, "Er is geen huidige record.", kSourceRecordset); }
DbError objectInvalid(const std::string& source) {
    return DbError(kObjectInvalid, "Het object is ongeldig of niet meer ingesteld.", source);
}
DbError notSupported(const std::string& source) {
    return DbError(kNotSupported, "Deze bewerking wordt niet ondersteund voor dit type object.", source);
}
DbError invalidOperation(const std::string& source) {
    return DbError(kInvalidOperation, "Ongeldige bewerking.", source);
}
DbError notAnIndex(const std::string& indexName) {
    return DbError(kNotAnIndex, "'" + indexName + "' is geen index in deze tabel.", kSourceRecordset);
}
DbError isamNotFound() {
    return DbError(kIsamNotFound, "Kan het installeerbare ISAM-stuurprogramma niet vinden.", kSourceWorkspace);
}

DbError noTemporarySpace(const std::string& source) {
    return DbError(kNoTemporarySpace,
                   "De query kan niet worden voltooid: de tijdelijke map '" + os::temporaryFolder().string() +
                       "' heeft geen ruimte meer (" +
                       os::reasonText(std::make_error_code(std::errc::no_space_on_device)) + ").",
                   source);
}

DbError cancelled(const std::string& reason) { return DbError(kCancelled, reason, kSourceDatabase); }

DbError queryBudgetExceeded() {
    return DbError(kResourcesExceeded,
                   "Systeembronnen overschreden: de query is afgebroken, want één stap ervan werkte langer dan "
                   "een query van een database van deze omvang nodig heeft. De database is mogelijk beschadigd of "
                   "bevat een query die niet eindigt.",
                   kSourceDatabase);
}

namespace {
// One per thread: the connections of a thread are stepped by that thread alone.
thread_local std::optional<DbError> gInterruption;
}  // namespace

void noteInterruption(DbError why) { gInterruption = std::move(why); }

DbError fromSqlite(const sqlite::Failure& f, const Context& ctx) {
    const std::string what = ctx.object.empty() ? ctx.file : ctx.object;
    switch (f.code()) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        if (!ctx.object.empty())
            return DbError(kTableLocked,
                           "Tabel '" + ctx.object + "' is vergrendeld door een andere gebruiker of een ander proces.",
                           ctx.source);
        return DbError(kTableLocked, "Database '" + ctx.file + "' is vergrendeld door een andere gebruiker.",
                       ctx.source);
    case SQLITE_IOERR:
    case SQLITE_FULL: return DbError(kDiskError, "Er is een schijf- of netwerkfout opgetreden.", ctx.source);
    case SQLITE_NOTADB:
        return DbError(kUnrecognisedFormat, "Onbekende database-indeling '" + ctx.file + "'.", ctx.source);
    case SQLITE_CORRUPT:
        return DbError(kCannotOpen,
                       "Kan database '" + ctx.file +
                           "' niet lezen. Het is mogelijk geen database die deze toepassing herkent, of het bestand "
                           "is beschadigd.",
                       ctx.source);
    case SQLITE_PERM:
    case SQLITE_AUTH: {
        DbError e = noPermission(what);
        return DbError(e.number(), e.description(), ctx.source);
    }
    case SQLITE_READONLY:
        return DbError(kReadOnly, "Kan niet bijwerken. De database of het object is alleen-lezen.", ctx.source);
    case SQLITE_CANTOPEN: {
        DbError e = fileNotFound(ctx.file);
        return DbError(e.number(), e.description(), ctx.source);
    }
    case SQLITE_NOMEM: return DbError(7, "Onvoldoende geheugen", ctx.source);
    case SQLITE_MISMATCH: return DbError(13, runtimeErrorDescription(13), ctx.source);
    case SQLITE_TOOBIG:
        return DbError(kResourcesExceeded,
                       "Een waarde of rij in de database is groter dan " +
                           std::to_string(sqlite::kMaxValueBytes >> 20) +
                           " MB en wordt niet gelezen. Het bestand is mogelijk beschadigd.",
                       ctx.source);
    case SQLITE_INTERRUPT: {
        std::optional<DbError> why;
        why.swap(gInterruption);
        if (why) return DbError(why->number(), why->description(), ctx.source);
        return DbError(kCancelled, "De bewerking is onderbroken.", ctx.source);
    }
    case SQLITE_ERROR: return sqlError(f, ctx);
    default: return DbError(kReserved, "Databasefout (" + f.message() + ").", ctx.source);
    }
}

}  // namespace zelk::jet
