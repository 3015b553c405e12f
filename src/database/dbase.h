#pragma once
// The database layer: every open database and recordset of the program sits
// in a slot of fixed tables, addressed by small numbers. Callers hold slot
// numbers; -1 means none.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "database/access_importer.h"
#include "database/recordset.h"

namespace zelk {

class Alg;
class Platform;
class SqliteConnection;  // an open database of the engine

// How Dbase::openDatabase finds, opens and reports on a database.
struct OpenDatabaseOptions {
    std::string startDir;   // where the file dialog starts
    bool nameKnown = true;  // false: ask for the file before the first try
    std::string dialogCaption;
    bool exclusive = false;
    bool readOnly = false;
    std::optional<std::string> connectType;  // set: the name's directory is the database
    std::optional<std::string> fileFilter;
    bool askNewName = true;   // a name that does not open: ask for another
    bool interactive = true;  // false: failures go to the message screen only
    bool blankLine = false;   // an empty line on the message screen before a failure
};

class Dbase {
public:
    static constexpr int kMaxDatabases = 40;
    static constexpr int kMaxRecordsets = 40;  // slot 40 exists but is never handed out

    Dbase(Platform& platform, Alg& alg);
    ~Dbase();
    Dbase(const Dbase&) = delete;
    Dbase& operator=(const Dbase&) = delete;

    // How Access files are read; without one they are an unrecognised format.
    void setAccessImporter(AccessImporter importer);

    bool OpenWorkspace(const std::string& userName, const std::string& password);
    // The slot of the opened database, -1 when none opened. `name` and
    // `password` become what the user chose on the way.
    int openDatabase(std::string& name, std::string& password, const OpenDatabaseOptions& options);
    int OpenDatabase(std::string& DatabaseName, const std::string& StartDir, std::string& Password, bool NameKnown,
                     const std::string& DialogCaption, bool Exclusive, bool ReadOnly,
                     const std::optional<std::string>& ConnectType = std::nullopt,
                     const std::optional<std::string>& FileFilter = std::nullopt, bool AskNewName = true,
                     bool Interactive = true, bool BlankLine = false);
    int AskDatabaseName(std::string& DatabaseName, const std::string& StartDir,
                        const std::optional<std::string>& DialogCaption = std::nullopt,
                        const std::optional<std::string>& FileFilter = std::nullopt);
    int CloseDatabase(int DbNr);
    int CloseRecordset(int DbNr, int RsNr);

    int OpenRecordset(int DbNr, const std::string& Source, int RsType, bool ShowMsgBox = true,
                      bool ExplainErrors = true, bool BlankLine = false);
    int OpenRecordsetRetry(const RuntimeError& ErrInfo, const std::string& Source);
    bool Create_Query(int DbNr, const std::string& QueryName, const std::string& SqlText, bool LogQuery = false,
                      bool AskReplace = false);

    // The shared tables (slot numbers outside 0..40 throw error 9; a slot
    // that never held an object throws error 91).
    Recordset& RsObject(int DbNr, int RsNr);
    bool RsOpen(int DbNr, int RsNr) const;
    const std::string& DbName(int DbNr) const;
    bool DbOpen(int DbNr) const;
    SqliteConnection* DbObject(int DbNr);

    long DbErrNr = 0;
    std::string DbErrText;

private:
    enum class AfterFailure { Retry, GiveUp };
    int freeDatabaseSlot() const;
    void fillSlot(int slot, std::unique_ptr<SqliteConnection> db, const std::string& name);
    AfterFailure reportOpenFailure(const RuntimeError& e, std::string& name, std::string& password,
                                   const OpenDatabaseOptions& options);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zelk
