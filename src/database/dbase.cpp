#include "database/dbase.h"

#include <array>
#include <cassert>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "database/jet_errors.h"
#include "database/sqlite_connection.h"
#include "messages/alg.h"
#include "platform/platform.h"
#include "runtime/product.h"

namespace zelk {
namespace {

constexpr const char* kDefaultCaption = "Geef de te openen databasenaam:";
constexpr const char* kDefaultFilter =
    "Alle databases (*.mdb;*.accdb;*.sqlite;*.db)|*.mdb;*.accdb;*.sqlite;*.db|"
    "Access database (*.mdb)|*.mdb|Access 2007 database (*.accdb)|*.accdb|"
    "SQLite database (*.sqlite;*.db)|*.sqlite;*.db|Alle bestanden (*.*)|*.*";
constexpr const char* kCrLf = "\r\n";

// A number as the runtime's Str prints it: a leading blank for the sign
// when it is not negative.
std::string str(long n) { return (n >= 0 ? " " : "") + std::to_string(n); }

std::string errorReport(const RuntimeError& e) {
    return "Fout # " + str(e.number()) + " was aangemaakt door " + e.source() + "\r" + e.description();
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

void requireSlot(int n) {
    if (n < 0 || n > Dbase::kMaxDatabases) throw RuntimeError(9);
}

// UpToLast(name, separator, True): the name cut back to its directory, the
// separator kept.
std::string directoryPart(const std::string& name) {
    std::string s = name.empty() ? name : name.substr(0, name.size() - 1);
    while (!s.empty() && s.back() != '\\' && s.back() != '/') s.pop_back();
    return s;
}

// Kept with the user's settings under a key made from the path (settings
// keys cannot hold every character a path can); the value carries the path
// too, so two paths with one key never take each other's state.
CheckedFiles checkedFiles(SettingsStore& settings) {
    constexpr const char* kSection = "Gecontroleerd";
    const auto key = [](const std::string& path) {
        std::uint64_t h = 14695981039346656037ull;  // FNV-1a
        for (const char c : path) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        char out[17];
        std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
        return std::string(out);
    };
    // One file under every name it is opened by from any folder.
    const auto full = [](const std::string& path) {
        std::error_code ec;
        const std::filesystem::path p = std::filesystem::absolute(path, ec);
        return ec ? path : p.lexically_normal().string();
    };
    CheckedFiles c;
    c.recall = [&settings, key, full](const std::string& path) -> std::optional<std::string> {
        const std::string name = full(path);
        const auto v = settings.get(kAppTitle, kSection, key(name));
        const std::size_t space = v ? v->find(' ') : std::string::npos;
        if (space == std::string::npos || v->substr(space + 1) != name) return std::nullopt;
        return v->substr(0, space);
    };
    c.remember = [&settings, key, full](const std::string& path, const std::string& stamp) {
        const std::string name = full(path);
        settings.set(kAppTitle, kSection, key(name), stamp + " " + name);
    };
    return c;
}

}  // namespace

struct Dbase::Impl {
    Impl(Platform& p, Alg& a)
        : platform(p),
          alg(a),
          importer([](const std::string& file, const std::string& password, const std::string& copy) {
              return importAccessFile(file, password, copy);
          }) {}

    Platform& platform;
    Alg& alg;
    bool workspace = false;
    std::string workspaceUser;
    AccessImporter importer;

    std::array<std::unique_ptr<SqliteConnection>, kMaxDatabases + 1> db;
    std::array<std::string, kMaxDatabases + 1> name;
    std::array<bool, kMaxDatabases + 1> open{};
    std::array<std::array<std::unique_ptr<Recordset>, kMaxRecordsets + 1>, kMaxDatabases + 1> rs;
    std::array<std::array<bool, kMaxRecordsets + 1>, kMaxDatabases + 1> rsOpen{};
};

Dbase::Dbase(Platform& platform, Alg& alg) : impl_(std::make_unique<Impl>(platform, alg)) {}
Dbase::~Dbase() = default;

void Dbase::setAccessImporter(AccessImporter importer) { impl_->importer = std::move(importer); }

bool Dbase::OpenWorkspace(const std::string& userName, const std::string& password) {
    (void)password;  // SQLite has no users; an Access file's password is given per database
    try {
        const int rc = sqlite3_initialize();
        if (rc != SQLITE_OK)
            throw RuntimeError(3633, "DAO.DBEngine",
                               std::string("De database-engine kan niet worden geladen (") + sqlite3_errstr(rc) + ").");
        impl_->workspaceUser = userName;
        impl_->workspace = true;
        return true;
    } catch (const RuntimeError& e) {
        if (e.number() == 0) return false;
        if (e.number() == 3633) {
            impl_->platform.msgBox(std::to_string(e.number()) +
                                       ": CreateWorkspace: Bij installatie is een .DLL bestand niet juist "
                                       "geinstalleerd:\r\n\r\n" +
                                       e.description() +
                                       "\r\n\r\nPas op : Bij Windows-NT kan 'Tromlovink' er een puinhoop van maken !!",
                                   vbCritical, "Installatiefout:");
        } else {
            impl_->platform.msgBox(
                "Fout # " + std::to_string(e.number()) + " was aangemaakt door " + e.source() + kCrLf + e.description(),
                vbOKOnly, "Open Database workspace: Fout");
        }
        return false;
    }
}

int Dbase::AskDatabaseName(std::string& DatabaseName, const std::string& StartDir,
                           const std::optional<std::string>& DialogCaption,
                           const std::optional<std::string>& FileFilter) {
    FileDialogRequest request;
    request.title = DialogCaption ? *DialogCaption : kDefaultCaption;
    request.filter = FileFilter ? *FileFilter : kDefaultFilter;
    request.initDir = StartDir;
    request.fileName = DatabaseName;
    request.save = false;  // the path and the file must exist
    std::optional<std::string> chosen;
    try {
        chosen = impl_->platform.fileDialog(request);
    } catch (const RuntimeError&) {
        chosen.reset();  // a failing dialog counts as cancelled
    }
    if (!chosen) {
        impl_->platform.msgBox("Open database '" + DatabaseName + "' is afgebroken", vbOKOnly, "");
        return -1;
    }
    DatabaseName = *chosen;
    return 0;
}

int Dbase::OpenDatabase(std::string& DatabaseName, const std::string& StartDir, std::string& Password, bool NameKnown,
                        const std::string& DialogCaption, bool Exclusive, bool ReadOnly,
                        const std::optional<std::string>& ConnectType, const std::optional<std::string>& FileFilter,
                        bool AskNewName, bool Interactive, bool BlankLine) {
    OpenDatabaseOptions options;
    options.startDir = StartDir;
    options.nameKnown = NameKnown;
    options.dialogCaption = DialogCaption;
    options.exclusive = Exclusive;
    options.readOnly = ReadOnly;
    options.connectType = ConnectType;
    options.fileFilter = FileFilter;
    options.askNewName = AskNewName;
    options.interactive = Interactive;
    options.blankLine = BlankLine;
    return openDatabase(DatabaseName, Password, options);
}

int Dbase::freeDatabaseSlot() const {
    for (int i = 1; i <= kMaxDatabases; ++i)
        if (!impl_->open[static_cast<size_t>(i)]) return i;
    return -1;
}

void Dbase::fillSlot(int slot, std::unique_ptr<SqliteConnection> db, const std::string& name) {
    Impl& m = *impl_;
    const auto i = static_cast<size_t>(slot);
    assert(slot >= 1 && slot <= kMaxDatabases && !m.open[i] && "a database goes into a free slot");
    m.db[i] = std::move(db);
    m.name[i] = name;
    m.open[i] = true;
    // The user must know that stored queries will not reach the file.
    if (m.db[i]->fileIsReadOnly())
        m.alg.AddMelding("Database '" + name +
                         "' is alleen-lezen geopend; opgeslagen query's gelden alleen tijdens deze sessie.");
    for (const std::string& note : m.db[i]->notes()) m.alg.AddMelding(note);
}

Dbase::AfterFailure Dbase::reportOpenFailure(const RuntimeError& e, std::string& name, std::string& password,
                                             const OpenDatabaseOptions& options) {
    Impl& m = *impl_;
    DbErrNr = e.number();
    DbErrText = e.description();
    if (options.blankLine && DbErrNr != 0) m.alg.AddMelding("", 0, false, kBlack);
    if (!options.interactive) {
        if (DbErrNr != 0) {
            m.alg.AddMelding("Open Database: ", kFaseNoLineBreak, false, kRed);
            m.alg.AddMelding(errorReport(e), 0, false, kRed);
            m.alg.AddMelding("", 0, false, kBlack);
        }
        return AfterFailure::GiveUp;
    }
    const bool badName = DbErrNr == 3024 || DbErrNr == 3044 || DbErrNr == 3055;
    if (!options.askNewName && (badName || DbErrNr == 3043)) {
        m.alg.AddMelding(std::to_string(DbErrNr) + " - " + DbErrText, 0, false, kBlack);
        return AfterFailure::GiveUp;
    }
    if (badName) {
        if (AskDatabaseName(name, options.startDir, options.dialogCaption, options.fileFilter) != 0)
            return AfterFailure::GiveUp;
        return AfterFailure::Retry;
    }
    if (DbErrNr == 3031) {
        const int answer = m.alg.AddMsgBoxMeldingJN("Database is wachtwoord beveiligd",
                                                    "Wilt u een wachtwoord opgeven?", vbQuestion, false, kBlack);
        if (answer == vbYes) {
            // Masked, without a preset and under a neutral caption: a
            // password is never shown.
            password = m.platform.inputBox("Geef het juiste wachtwoord", "Wachtwoord", "", true).value_or("");
            return AfterFailure::Retry;
        }
        m.platform.msgBox(errorReport(e), vbOKOnly, "Open Database: Fout");
        return AfterFailure::GiveUp;
    }
    if (DbErrNr != 0) m.platform.msgBox(errorReport(e), vbOKOnly, "Open Database: Fout");
    return AfterFailure::GiveUp;
}

int Dbase::openDatabase(std::string& name, std::string& password, const OpenDatabaseOptions& options) {
    Impl& m = *impl_;
    DbErrNr = 0;
    DbErrText.clear();
    if (!m.workspace && !OpenWorkspace("admin", "")) return -1;

    const int slot = freeDatabaseSlot();
    if (slot < 0) {
        m.platform.msgBox("Maximum aantal databases = 40", vbOKOnly, "");
        return -1;
    }

    // `name` changes only when the user chooses another file in the dialog.
    if (!options.nameKnown && AskDatabaseName(name, options.startDir, options.dialogCaption, options.fileFilter) != 0)
        return -1;

    for (;;) {
        try {
            OpenOptions engine;
            engine.exclusive = options.exclusive;
            engine.readOnly = options.readOnly;
            engine.checked = checkedFiles(m.platform.settings());
            engine.work.stopReason = [&platform = m.platform] { return platform.stopReason(); };
            engine.work.letEventsRun = [&platform = m.platform] { platform.doEvents(); };
            std::string file = name;
            if (options.connectType) {
                file = directoryPart(name);
                engine.connect = *options.connectType + ";pwd=" + password;
            } else {
                engine.connect = ";pwd=" + password;
            }
            fillSlot(slot, SqliteConnection::open(file, engine, m.importer), name);
            return slot;
        } catch (const RuntimeError& e) {
            if (reportOpenFailure(e, name, password, options) == AfterFailure::GiveUp) return -1;
        }
    }
}

int Dbase::CloseDatabase(int DbNr) {
    if (DbNr == -1) return -1;
    requireSlot(DbNr);
    Impl& m = *impl_;
    const auto d = static_cast<size_t>(DbNr);
    for (int j = 1; j <= kMaxRecordsets; ++j)
        if (m.rsOpen[d][static_cast<size_t>(j)]) CloseRecordset(DbNr, j);
    if (m.open[d]) {
        try {
            if (!m.db[d]) throw RuntimeError(91);
            m.db[d]->Close();
        } catch (const RuntimeError& e) {
            m.alg.AddMsgBoxMelding(std::to_string(e.number()) + " - " + e.description(),
                                   "Sluiten van database is niet correct verlopen", vbCritical, false, kBlack, true);
        }
    }
    m.open[d] = false;
    return 0;
}

int Dbase::CloseRecordset(int DbNr, int RsNr) {
    if (DbNr == -1) return -1;
    requireSlot(DbNr);
    requireSlot(RsNr);
    Impl& m = *impl_;
    const auto d = static_cast<size_t>(DbNr), r = static_cast<size_t>(RsNr);
    try {
        if (!m.rs[d][r]) throw RuntimeError(91);
        m.rs[d][r]->Close();
        m.rsOpen[d][r] = false;
        return 0;
    } catch (const RuntimeError& e) {
        if (e.number() != 0) m.platform.msgBox(errorReport(e), vbOKOnly, "Open Database: Fout");
        return -1;
    }
}

int Dbase::OpenRecordset(int DbNr, const std::string& Source, int RsType, bool ShowMsgBox, bool ExplainErrors,
                         bool BlankLine) {
    Impl& m = *impl_;
    DbErrNr = 0;
    DbErrText.clear();
    if (DbNr < 1) {
        if (BlankLine) m.alg.AddMelding("", 0, false, kBlack);
        const std::string text = std::string("Er is geen database beschikbaar voor de tabel of SQL:") + kCrLf + Source;
        if (ShowMsgBox)
            m.alg.AddMsgBoxMelding(text, "Open tabel of query in database mislukt", vbCritical, false, kBlack, true);
        else m.alg.AddMelding(text, 0, false, kBlack);
        return -1;
    }
    requireSlot(DbNr);
    const auto d = static_cast<size_t>(DbNr);

    int slot = 1;
    while (slot < kMaxRecordsets && m.rsOpen[d][static_cast<size_t>(slot)]) ++slot;
    if (slot == kMaxRecordsets) {
        if (BlankLine) m.alg.AddMelding("", 0, false, kBlack);
        if (ShowMsgBox)
            m.alg.AddMsgBoxMelding("Maximum aantal recordsets per database = 40",
                                   "Open tabel of query in database mislukt", vbCritical, false, kBlack, true);
        else
            m.alg.AddMsgBoxMelding("Maximum aantal recordsets per database = 40", "", vbInformation, false, kBlack,
                                   true);
        return -1;
    }
    const auto r = static_cast<size_t>(slot);

    for (;;) {
        try {
            if (!m.db[d]) throw RuntimeError(91);
            auto rs = m.db[d]->OpenRecordset(Source, RsType);
            m.rs[d][r] = std::move(rs);
            m.rsOpen[d][r] = true;
            return slot;
        } catch (const RuntimeError& e) {
            if (BlankLine) m.alg.AddMelding("", 0, false, kBlack);
            DbErrNr = e.number();
            DbErrText = e.description();
            if (ExplainErrors) {
                if (DbErrNr == 3078) {
                    const std::string text =
                        "Recordset '" + Source + "' is niet te openen in database:" + kCrLf + m.name[d];
                    if (ShowMsgBox) m.alg.AddMsgBoxMelding(text, "Open Recordset", vbCritical, false, kBlack, true);
                    else m.alg.AddMelding("Open Recordset: " + text, 0, false, kBlack);
                    return -1;
                }
                const int retry = OpenRecordsetRetry(e, Source);
                if (retry == 1) continue;
                if (retry == 2) return -1;
            }
            if (DbErrNr != 0) {
                const std::string report = errorReport(e);
                m.alg.AddMelding("Open Recordset: ", kFaseNoLineBreak, false, kRed);
                m.alg.AddMelding(report, 0, false, kRed);
                m.alg.AddMelding(Source, 0, false, kBlack);
                if (DbErrNr == 3043) {
                    m.alg.AddMsgBoxMelding(std::string("Toepassing wordt afgebroken:") + kCrLf +
                                               std::to_string(DbErrNr) + " - " + DbErrText,
                                           "Onherstelbare applicatiefout", vbCritical, false, kBlack, true);
                    m.platform.endProgram(1);
                }
                if (ShowMsgBox) m.platform.msgBox(report + kCrLf + kCrLf + Source, vbOKOnly, "Open Recordset: Fout");
            }
            return -1;
        }
    }
}

int Dbase::OpenRecordsetRetry(const RuntimeError& ErrInfo, const std::string& Source) {
    int answer = 0;
    if (ErrInfo.number() == 3261 || ErrInfo.number() == 3008) {
        answer = impl_->platform.msgBox(
            "Recordset: " + Source + kCrLf + ErrInfo.description() + kCrLf + kCrLf + "Wilt u het opnieuw proberen?",
            vbYesNo | vbQuestion, "Toegang geweigerd");
    } else if (ErrInfo.number() == 3262) {
        answer = impl_->platform.msgBox("Recordset: " + Source + kCrLf + kCrLf +
                                            " is niet te openen voor exclusief gebruik." + kCrLf + kCrLf +
                                            "Wilt u het opnieuw proberen",
                                        vbYesNo, ErrInfo.description());
    } else {
        return -1;
    }
    return answer == vbYes ? 1 : 2;
}

bool Dbase::Create_Query(int DbNr, const std::string& QueryName, const std::string& SqlText, bool LogQuery,
                         bool AskReplace) {
    Impl& m = *impl_;
    const auto database = [&]() -> SqliteConnection& {
        requireSlot(DbNr);
        SqliteConnection* db = m.db[static_cast<size_t>(DbNr)].get();
        if (!db) throw RuntimeError(91);
        return *db;
    };
    try {
        database().CreateQueryDef(QueryName, SqlText);
    } catch (const RuntimeError& e) {
        if (e.number() == 3012 && lower(e.description()).find("syntax") == std::string::npos) {
            bool same = false;
            if (AskReplace) {
                const int answer = m.platform.msgBox("Query '" + QueryName + "' bestaat reeds. Vervangen?", vbYesNo,
                                                     "Query vervangen?");
                if (answer != vbYes) return false;
                database().DeleteQueryDef(QueryName);
                m.alg.AddMelding("Query " + QueryName + " is verwijderd", 0, false, kBlack);
            } else {
                // The same query again changes nothing: no write, which would
                // have to wait for the file's integrity check.
                same = database().holdsQuery(QueryName, SqlText);
                if (!same) database().DeleteQueryDef(QueryName);
                m.alg.AddMelding("Query " + QueryName + " is toegevoegd", 0, false, kBlack);
            }
            // A second failure is the caller's to handle.
            if (!same) database().CreateQueryDef(QueryName, SqlText);
        } else {
            m.alg.AddMsgBoxMelding(SqlText, e.description(), vbCritical, false, kBlack, true);
            return false;
        }
    }
    if (LogQuery) {
        m.alg.AddMelding("Query " + QueryName + " is toegevoegd", 0, false, kBlack);
        m.alg.AddMelding("Query = " + SqlText, 1, false, kBlack);
    }
    return true;
}

Recordset& Dbase::RsObject(int DbNr, int RsNr) {
    requireSlot(DbNr);
    requireSlot(RsNr);
    auto& rs = impl_->rs[static_cast<size_t>(DbNr)][static_cast<size_t>(RsNr)];
    if (!rs) throw RuntimeError(91);
    return *rs;
}

bool Dbase::RsOpen(int DbNr, int RsNr) const {
    requireSlot(DbNr);
    requireSlot(RsNr);
    return impl_->rsOpen[static_cast<size_t>(DbNr)][static_cast<size_t>(RsNr)];
}

const std::string& Dbase::DbName(int DbNr) const {
    requireSlot(DbNr);
    return impl_->name[static_cast<size_t>(DbNr)];
}

bool Dbase::DbOpen(int DbNr) const {
    requireSlot(DbNr);
    return impl_->open[static_cast<size_t>(DbNr)];
}

SqliteConnection* Dbase::DbObject(int DbNr) {
    requireSlot(DbNr);
    return impl_->db[static_cast<size_t>(DbNr)].get();
}

}  // namespace zelk
