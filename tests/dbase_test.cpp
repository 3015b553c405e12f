// The slot layer: databases and recordsets in numbered slots, the file
// dialog, the password question, the retries and the messages, driven
// through the scripted platform.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <list>

#include "database/sqlite_connection.h"
#include "database/sqlite_handle.h"
#include "database_test_support.h"
#include "os/file_access.h"
#include "os/folders.h"

using namespace zelk;
using namespace zelk::testing;

namespace {

using Q = ScriptedPlatform::Question;

const char* const kDefaultFilter =
    "Alle databases (*.mdb;*.accdb;*.sqlite;*.db)|*.mdb;*.accdb;*.sqlite;*.db|"
    "Access database (*.mdb)|*.mdb|Access 2007 database (*.accdb)|*.accdb|"
    "SQLite database (*.sqlite;*.db)|*.sqlite;*.db|Alle bestanden (*.*)|*.*";

// A VFS over the default one whose reads can be made to fail, for the disk
// error that ends the program: every file it opens reads through a copy of
// its methods with a read of our own.
class FailingReads {
public:
    FailingReads() : base_(sqlite3_vfs_find(nullptr)), vfs_(*base_) {
        vfs_.zName = "zelk-failing-reads";
        vfs_.xOpen = &FailingReads::open;
        vfs_.pNext = nullptr;
        self() = this;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~FailingReads() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(base_, 1);
        self() = nullptr;
    }
    std::atomic<bool> fail{false};
    std::atomic<int> code{SQLITE_IOERR_READ};

private:
    struct Patched {
        sqlite3_io_methods methods;  // first, so the file's method pointer leads back here
        const sqlite3_io_methods* original;
    };
    static FailingReads*& self() {
        static FailingReads* s = nullptr;
        return s;
    }
    static int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
        FailingReads& me = *self();
        const int rc = me.base_->xOpen(me.base_, name, f, flags, outFlags);
        if (f->pMethods) {
            Patched& p = me.patched_.emplace_back(Patched{*f->pMethods, f->pMethods});
            p.methods.xRead = &FailingReads::read;
            f->pMethods = &p.methods;
        }
        return rc;
    }
    static int read(sqlite3_file* f, void* p, int n, sqlite3_int64 off) {
        if (self()->fail) return self()->code;
        return reinterpret_cast<const Patched*>(f->pMethods)->original->xRead(f, p, n, off);
    }

    sqlite3_vfs* base_;
    sqlite3_vfs vfs_;
    std::list<Patched> patched_;
};

struct SlotLayer : DemoFixture {};

}  // namespace

TEST_F(SlotLayer, CancelledDialogTouchesNoSlot) {
    std::string name = "C:\\Data\\ZELK.MDB";
    std::string password = "vastactiva";
    const int slot = l.db.OpenDatabase(name, "/start", password, false, "Geef de naam van de database", false, false);
    EXPECT_EQ(slot, -1);
    ASSERT_EQ(l.platform.asked.size(), 2u);
    const Q& dialog = l.platform.asked[0];
    EXPECT_EQ(dialog.kind, Q::File);
    EXPECT_EQ(dialog.prompt, "Geef de naam van de database");
    EXPECT_EQ(dialog.title, kDefaultFilter);
    EXPECT_EQ(dialog.initDir, "/start");
    EXPECT_EQ(dialog.preset, "C:\\Data\\ZELK.MDB");
    EXPECT_EQ(box(l.platform.asked[1]), box("", "Open database 'C:\\Data\\ZELK.MDB' is afgebroken", vbOKOnly));
    EXPECT_EQ(name, "C:\\Data\\ZELK.MDB");
    EXPECT_FALSE(l.db.DbOpen(1));

    // AskDatabaseName alone: its own caption and filter when none is given.
    l.platform.fileAnswers.push_back(demo);
    std::string chosen = "oud.mdb";
    EXPECT_EQ(l.db.AskDatabaseName(chosen, "/elders"), 0);
    EXPECT_EQ(chosen, demo);
    EXPECT_EQ(l.platform.asked.back().prompt, "Geef de te openen databasenaam:");
    EXPECT_EQ(l.platform.asked.back().title, kDefaultFilter);
    EXPECT_EQ(l.db.AskDatabaseName(chosen, "/elders", std::string("Kies"), std::string("Alles|*.*")), -1);
    EXPECT_EQ(l.platform.asked[l.platform.asked.size() - 2].title, "Alles|*.*");
}

TEST_F(SlotLayer, MissingFileAsksAgainOnTheSameSlot) {
    ASSERT_EQ(l.open(demo), 1);

    // A missing file, then a missing folder: the dialog each time, then a file that opens.
    l.platform.fileAnswers = {dir.file("nergens/ZELK.MDB"), demo};
    std::string name = dir.file("weg.mdb");
    std::string password = "vastactiva";
    const int slot = l.db.OpenDatabase(name, dir.path().string(), password, true, "Kies", false, false);
    EXPECT_EQ(slot, 2);
    EXPECT_EQ(name, demo);
    EXPECT_EQ(l.db.DbName(2), demo);
    EXPECT_EQ(l.db.DbErrNr, 3044);  // the last error caught
    ASSERT_EQ(l.platform.asked.size(), 2u);
    EXPECT_EQ(l.platform.asked[0].prompt, "Kies");
    EXPECT_EQ(l.platform.asked[0].preset, dir.file("weg.mdb"));
    EXPECT_EQ(l.platform.asked[1].preset, dir.file("nergens/ZELK.MDB"));

    // Without asking for a new name: the number and the description are logged.
    std::string missing = dir.file("weg.mdb");
    const int none = l.db.OpenDatabase(missing, "", password, true, "Kies", false, false, std::nullopt, std::nullopt,
                                       false, true, true);
    EXPECT_EQ(none, -1);
    EXPECT_EQ(l.db.DbErrNr, 3024);
    EXPECT_EQ(l.platform.asked.size(), 2u);  // nothing asked
    EXPECT_NE(l.screen().find("\r\n3024 - Kan bestand '" + missing + "' niet vinden."), std::string::npos);
    EXPECT_FALSE(l.db.DbOpen(3));

    // Not interactive: three lines, the first two red.
    l.alg.ClearAlg();
    const int quiet = l.db.OpenDatabase(missing, "", password, true, "Kies", false, false, std::nullopt, std::nullopt,
                                        true, false, false);
    EXPECT_EQ(quiet, -1);
    EXPECT_EQ(l.screen(), "Open Database: Fout #  3024 was aangemaakt door DAO.Workspace\rKan bestand '" + missing +
                              "' niet vinden.\r\n\r\n");
    EXPECT_EQ(l.alg.screen().colourAt(0), kRed);
    EXPECT_EQ(l.platform.asked.size(), 2u);

    // Any other error: the "Open Database: Fout" box.
    const std::string junk = dir.file("junk.db");
    writeBytes(junk, "geen database");
    std::string junkName = junk;
    EXPECT_EQ(l.db.OpenDatabase(junkName, "", password, true, "Kies", false, false), -1);
    EXPECT_EQ(box(l.platform.asked.back()), box("Open Database: Fout",
                                                "Fout #  3343 was aangemaakt door DAO.Workspace\r"
                                                "Onbekende database-indeling '" +
                                                    junk + "'.",
                                                vbOKOnly));
}

TEST_F(SlotLayer, FortyDatabaseSlotsAndTheFortyFirstRefused) {
    for (int k = 1; k <= 40; ++k) ASSERT_EQ(l.open(demo), k);
    EXPECT_EQ(l.open(demo), -1);
    EXPECT_EQ(l.platform.msgBoxPrompts(), std::vector<std::string>{"Maximum aantal databases = 40"});
    EXPECT_EQ(l.db.CloseDatabase(7), 0);
    EXPECT_FALSE(l.db.DbOpen(7));
    EXPECT_EQ(l.db.DbName(7), demo);  // the name stays until the slot is taken again
    EXPECT_EQ(l.open(demo), 7);
    EXPECT_EQ(l.db.CloseDatabase(-1), -1);
    EXPECT_EQ(errorOf([&] { l.db.CloseDatabase(41); }), 9);
    EXPECT_EQ(errorOf([&] { l.db.DbName(-2); }), 9);
}

TEST_F(SlotLayer, ThirtyNineRecordsetsPerDatabase) {
    const int a = l.open(demo);
    const int b = l.open(demo);
    for (int k = 1; k <= 39; ++k) ASSERT_EQ(l.db.OpenRecordset(a, "Waardering", dbOpenTable), k);
    EXPECT_EQ(l.db.OpenRecordset(a, "Waardering", dbOpenTable), -1);
    ASSERT_EQ(l.boxes().size(), 1u);
    const std::string limit = "Maximum aantal recordsets per database = 40";
    EXPECT_EQ(box(l.boxes()[0]), box("Open tabel of query in database mislukt", limit, vbCritical));
    EXPECT_EQ(l.db.OpenRecordset(a, "Waardering", dbOpenTable, false), -1);
    EXPECT_EQ(box(l.boxes()[1]), box("", limit, vbInformation));

    EXPECT_EQ(l.db.OpenRecordset(b, "SELECT * FROM Waardering", dbOpenDynaset), 1);  // other slots unaffected
    EXPECT_EQ(l.db.RsObject(a, 39).RecordCount(), 3);
    EXPECT_EQ(l.db.CloseRecordset(a, 39), 0);
    EXPECT_FALSE(l.db.RsOpen(a, 39));
    EXPECT_EQ(l.db.OpenRecordset(a, "OB", dbOpenTable), 39);

    // Closing a database closes its own recordsets only.
    EXPECT_EQ(l.db.CloseDatabase(a), 0);
    EXPECT_FALSE(l.db.RsOpen(a, 1));
    EXPECT_TRUE(l.db.RsOpen(b, 1));
    EXPECT_EQ(errorOf([&] { l.db.RsObject(a, 1).Eof(); }), 3420);  // the closed object stays in the table
    EXPECT_EQ(l.db.CloseDatabase(a), 0);                           // already free: nothing to close
    EXPECT_EQ(l.boxes().size(), 2u);

    // A slot that never held a recordset.
    EXPECT_EQ(l.db.CloseRecordset(b, 5), -1);
    EXPECT_EQ(box(l.boxes().back()), box("Open Database: Fout",
                                         "Fout #  91 was aangemaakt door ZelkExtract2\r"
                                         "Objectvariabele of blokvariabele With is niet ingesteld",
                                         vbOKOnly));
    EXPECT_EQ(l.db.CloseRecordset(-1, 5), -1);
    EXPECT_EQ(l.boxes().size(), 3u);

    // No database at all.
    l.alg.ClearAlg();
    EXPECT_EQ(l.db.OpenRecordset(0, "Historie", dbOpenTable), -1);
    EXPECT_EQ(box(l.boxes().back()),
              box("Open tabel of query in database mislukt",
                  "Er is geen database beschikbaar voor de tabel of SQL:\r\nHistorie", vbCritical));
    EXPECT_EQ(l.db.OpenRecordset(-1, "Historie", dbOpenTable, false, true, true), -1);
    EXPECT_EQ(l.boxes().size(), 4u);
    EXPECT_NE(l.screen().find("\r\n\r\nEr is geen database beschikbaar voor de tabel of SQL:\r\nHistorie\r\n"),
              std::string::npos);
}

TEST_F(SlotLayer, MisspeltTableNamesTheDatabase) {
    const int db = l.open(demo);
    EXPECT_EQ(l.db.OpenRecordset(db, "Histroie", dbOpenTable), -1);
    EXPECT_EQ(l.db.DbErrNr, 3078);
    ASSERT_EQ(l.boxes().size(), 1u);
    EXPECT_EQ(box(l.boxes()[0]),
              box("Open Recordset", "Recordset 'Histroie' is niet te openen in database:\r\n" + demo, vbCritical));
    EXPECT_EQ(l.db.OpenRecordset(db, "SELECT * FROM Histroie", dbOpenDynaset, false), -1);
    EXPECT_EQ(l.boxes().size(), 1u);
    EXPECT_NE(
        l.screen().find("Open Recordset: Recordset 'SELECT * FROM Histroie' is niet te openen in database:\r\n" + demo),
        std::string::npos);
    EXPECT_FALSE(l.db.RsOpen(db, 1));

    // An SQL text the engine rejects: three lines and the error box with the source.
    l.alg.ClearAlg();
    EXPECT_EQ(l.db.OpenRecordset(db, "SELECT FROM WHERE", dbOpenDynaset), -1);
    EXPECT_EQ(l.db.DbErrNr, 3075);
    EXPECT_EQ(l.boxes().back().title, "Open Recordset: Fout");
    EXPECT_EQ(l.boxes().back().prompt.rfind("Fout #  3075 was aangemaakt door DAO.Database\r", 0), 0u);
    EXPECT_NE(l.boxes().back().prompt.find("\r\n\r\nSELECT FROM WHERE"), std::string::npos);
    EXPECT_EQ(l.screen().rfind("Open Recordset: Fout #  3075", 0), 0u);
    EXPECT_NE(l.screen().find("\r\nSELECT FROM WHERE\r\n"), std::string::npos);
}

TEST_F(SlotLayer, LockedTableOffersToTryAgain) {
    const int db = l.open(demo);
    sqlite::Connection other = sqlite::open(demo, SQLITE_OPEN_READWRITE);
    sqlite::exec(other.get(), "BEGIN EXCLUSIVE");

    // The second user holds the file while the question is on screen, and
    // lets go before the user answers yes the second time.
    int questions = 0;
    l.platform.beforeAnswer = [&](const std::string&, const std::string& title) {
        if (title == "Toegang geweigerd" && ++questions == 2) sqlite::exec(other.get(), "COMMIT");
    };
    l.platform.msgBoxAnswers = {vbYes, vbYes};
    const int slot = l.db.OpenRecordset(db, "Historie", dbOpenTable);
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(questions, 2);
    ASSERT_GE(l.boxes().size(), 1u);
    EXPECT_EQ(box(l.boxes()[0]), box("Toegang geweigerd",
                                     "Recordset: Historie\r\nTabel 'Historie' is vergrendeld door een andere gebruiker "
                                     "of een ander proces.\r\n\r\nWilt u het opnieuw proberen?",
                                     vbYesNo | vbQuestion));
    EXPECT_GT(l.db.RsObject(db, slot).RecordCount(), 0);

    // Answered no: -1 and no further message.
    sqlite::exec(other.get(), "BEGIN EXCLUSIVE");
    l.alg.ClearAlg();
    const size_t asked = l.boxes().size();
    l.platform.msgBoxAnswers = {vbNo};
    EXPECT_EQ(l.db.OpenRecordset(db, "SELECT * FROM OB", dbOpenDynaset), -1);
    EXPECT_EQ(l.db.DbErrNr, 3261);
    EXPECT_EQ(l.boxes().size(), asked + 1);
    EXPECT_EQ(l.screen(), "");
    sqlite::exec(other.get(), "COMMIT");

    // The retry question for the other locking error, and none for the rest.
    l.platform.msgBoxAnswers = {vbYes};
    EXPECT_EQ(l.db.OpenRecordsetRetry(DbError(3262, "Kan tabel niet vergrendelen"), "OB"), 1);
    EXPECT_EQ(box(l.boxes().back()), box("Kan tabel niet vergrendelen",
                                         "Recordset: OB\r\n\r\n is niet te openen "
                                         "voor exclusief gebruik.\r\n\r\nWilt u het opnieuw proberen",
                                         vbYesNo));
    EXPECT_EQ(l.db.OpenRecordsetRetry(DbError(3008, "In gebruik"), "OB"), 2);
    const size_t before = l.boxes().size();
    EXPECT_EQ(l.db.OpenRecordsetRetry(DbError(3078, "Niet gevonden"), "OB"), -1);
    EXPECT_EQ(l.boxes().size(), before);
}

TEST_F(SlotLayer, DiskErrorEndsTheProgramAfterItsMessage) {
    FailingReads vfs;
    const int db = l.open(demo);
    ASSERT_EQ(db, 1);
    vfs.fail = true;
    EXPECT_THROW(l.db.OpenRecordset(db, "Historie", dbOpenTable), ProgramEnded);
    vfs.fail = false;
    EXPECT_EQ(l.db.DbErrNr, 3043);
    ASSERT_EQ(l.boxes().size(), 1u);
    EXPECT_EQ(l.boxes()[0].title, "Onherstelbare applicatiefout");
    EXPECT_EQ(l.boxes()[0].prompt,
              "Toepassing wordt afgebroken:\r\n3043 - Er is een schijf- of netwerkfout opgetreden.");
    EXPECT_NE(l.screen().find("Open Recordset: Fout #  3043 was aangemaakt door DAO.Database\r"), std::string::npos);
    l.db.CloseDatabase(db);  // while the file's patched methods still exist
}

TEST_F(SlotLayer, AFullTemporaryFolderFailsTheRecordsetNotTheProgram) {
    // Reads that report a full disk: a select only writes SQLite's
    // temporary files, so it is their folder that is full.
    FailingReads vfs;
    const int db = l.open(demo);
    ASSERT_EQ(db, 1);
    vfs.code = SQLITE_FULL;
    vfs.fail = true;
    EXPECT_EQ(l.db.OpenRecordset(db, "SELECT * FROM Historie ORDER BY DatBoe", dbOpenDynaset), -1);
    vfs.fail = false;
    EXPECT_EQ(l.db.DbErrNr, 3183);
    EXPECT_NE(l.db.DbErrText.find("de tijdelijke map '" + os::temporaryFolder().string() + "'"), std::string::npos)
        << l.db.DbErrText;
    for (const auto& b : l.boxes()) EXPECT_NE(b.title, "Onherstelbare applicatiefout");
    EXPECT_NE(l.screen().find("Open Recordset: Fout #  3183"), std::string::npos) << l.screen();
    const int rs = l.db.OpenRecordset(db, "SELECT * FROM Historie ORDER BY DatBoe", dbOpenDynaset);
    EXPECT_GT(rs, 0);
    l.db.CloseDatabase(db);  // while the file's patched methods still exist
}

TEST_F(SlotLayer, CreateQueryReplacesAndReports) {
    const int db = l.open(demo);
    const auto firstCode = [&] {
        const int rs = l.db.OpenRecordset(db, "Q1", dbOpenDynaset);
        const std::string v = displayText(l.db.RsObject(db, rs).Field("Code"));
        l.db.CloseRecordset(db, rs);
        return v;
    };
    EXPECT_TRUE(l.db.Create_Query(db, "Q1", "SELECT 'een' AS Code; ", true, false));
    EXPECT_EQ(l.screen(), "Query Q1 is toegevoegd\r\nQuery = SELECT 'een' AS Code; \r\n");
    EXPECT_EQ(firstCode(), "een");

    l.alg.ClearAlg();
    EXPECT_TRUE(l.db.Create_Query(db, "q1", "SELECT 'twee' AS Code", false, false));
    EXPECT_EQ(l.screen(), "Query q1 is toegevoegd\r\n");
    EXPECT_EQ(firstCode(), "twee");
    EXPECT_TRUE(l.boxes().empty());

    l.alg.ClearAlg();
    l.platform.msgBoxAnswers = {vbNo};
    EXPECT_FALSE(l.db.Create_Query(db, "Q1", "SELECT 'drie' AS Code", false, true));
    EXPECT_EQ(box(l.boxes().back()), box("Query vervangen?", "Query 'Q1' bestaat reeds. Vervangen?", vbYesNo));
    EXPECT_EQ(firstCode(), "twee");
    l.platform.msgBoxAnswers = {vbYes};
    EXPECT_TRUE(l.db.Create_Query(db, "Q1", "SELECT 'drie' AS Code", false, true));
    EXPECT_EQ(l.screen(), "Query Q1 is verwijderd\r\n");
    EXPECT_EQ(firstCode(), "drie");

    // SQL the engine rejects: the SQL text and the description in the box.
    const size_t boxes = l.boxes().size();
    EXPECT_FALSE(l.db.Create_Query(db, "Q2", "SELECT * FORM OB", false, false));
    ASSERT_EQ(l.boxes().size(), boxes + 1);
    EXPECT_EQ(l.boxes().back().prompt, "SELECT * FORM OB");
    EXPECT_EQ(l.boxes().back().title.rfind("Syntaxisfout in de SQL-instructie", 0), 0u);
    EXPECT_EQ(l.boxes().back().style, vbCritical);

    // A second failure after replacing goes to the caller.
    EXPECT_THROW(l.db.Create_Query(db, "Q1", "SELECT * FORM OB", false, false), RuntimeError);
    // No database in the slot: reported, not thrown.
    EXPECT_FALSE(l.db.Create_Query(5, "Q3", "SELECT 1", false, false));
    EXPECT_EQ(l.boxes().back().prompt, "SELECT 1");
}

TEST_F(SlotLayer, PasswordQuestionIsMaskedAndNeverShowsThePassword) {
    const std::string mdb = dir.file("ZELK.MDB");  // enough of a header for the Access reader to be asked
    writeBytes(mdb, std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(4076, '\0'));
    const FileSnapshot before = FileSnapshot::of(mdb);
    std::vector<std::string> copies;
    l.db.setAccessImporter([&](const std::string& access, const std::string& password, const std::string& sqlite) {
        EXPECT_EQ(access, mdb);
        if (password != "geheim") return AccessImportResult{3031, "Geen geldig wachtwoord.", {}};
        copies.push_back(sqlite);
        auto c = sqlite::open(sqlite, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite::exec(c.get(),
                     "CREATE TABLE Waardering (WD_Waardering TEXT, WD_Omschrijving TEXT);"
                     "INSERT INTO Waardering VALUES ('COM', 'Commercieel');");
        return AccessImportResult{0, "", {"Query 'Kapot' is niet overgenomen."}};
    });

    std::string name = mdb;
    std::string password = "vastactiva";
    l.platform.msgBoxAnswers = {vbYes};
    l.platform.inputAnswers = {std::string("geheim")};
    const int slot = l.db.OpenDatabase(name, "", password, true, "Kies", false, false);
    ASSERT_EQ(slot, 1);
    EXPECT_EQ(password, "geheim");
    ASSERT_EQ(l.platform.asked.size(), 2u);
    EXPECT_EQ(box(l.platform.asked[0]),
              box("Wilt u een wachtwoord opgeven?", "Database is wachtwoord beveiligd", vbQuestion | vbYesNo));
    const Q& input = l.platform.asked[1];
    EXPECT_EQ(input.kind, Q::Input);
    EXPECT_EQ(input.prompt, "Geef het juiste wachtwoord");
    EXPECT_EQ(input.style, 1);  // masked
    EXPECT_EQ(input.preset, "");
    EXPECT_EQ(input.title.find("vastactiva"), std::string::npos);
    for (const std::string secret : {"vastactiva", "geheim"}) {
        EXPECT_EQ(l.screen().find(secret), std::string::npos);
        for (const Q& q : l.platform.asked) EXPECT_EQ(q.prompt.find(secret), std::string::npos);
    }
    // The Access file is never written: stored queries live in the copy.
    EXPECT_NE(l.screen().find("is alleen-lezen geopend"), std::string::npos);
    EXPECT_NE(l.screen().find("Query 'Kapot' is niet overgenomen."), std::string::npos);
    EXPECT_TRUE(l.db.Create_Query(slot, "Kinds", "SELECT WD_Waardering FROM Waardering", false, false));
    EXPECT_EQ(l.db.RsObject(slot, l.db.OpenRecordset(slot, "Kinds", dbOpenDynaset)).Field("WD_Waardering").str(),
              "COM");
    EXPECT_TRUE(l.db.DbObject(slot)->isCopy());
    ASSERT_EQ(copies.size(), 1u);
#ifndef _WIN32  // Windows keeps an open file's name: the next import removes the folder
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(copies[0]).parent_path()));  // temporary copy gone
#endif
    EXPECT_TRUE(FileSnapshot::of(mdb) == before);

    // Answered no: the error box, -1.
    std::string again = mdb;
    std::string wrong = "fout";
    l.platform.msgBoxAnswers = {vbNo};
    EXPECT_EQ(l.db.OpenDatabase(again, "", wrong, true, "Kies", false, false), -1);
    EXPECT_EQ(box(l.boxes().back()),
              box("Open Database: Fout", "Fout #  3031 was aangemaakt door DAO.Workspace\rGeen geldig wachtwoord.",
                  vbOKOnly));
    EXPECT_EQ(wrong, "fout");
}

TEST_F(SlotLayer, AFileIsCheckedOncePerStateAndDamageIsAlwaysRefused) {
    const auto remembered = [&] {
        for (const auto& [key, value] : l.platform.store.all())
            if (std::get<1>(key) == "Gecontroleerd") return value;
        return std::string();
    };
    const int slot = l.open(demo, false);
    ASSERT_GE(slot, 0);
    // The check runs beside the work; its state is remembered once it passed.
    l.db.DbObject(slot)->awaitSound();
    const std::string found = remembered();
    EXPECT_NE(found.find(std::filesystem::absolute(demo).lexically_normal().string()), std::string::npos);
    // A stored query changes the file: what is remembered is the state the
    // connection leaves, so the next open need not check it again.
    ASSERT_TRUE(l.db.Create_Query(slot, "Nieuw", "SELECT 1", false, false));
    l.db.CloseDatabase(slot);
    EXPECT_NE(remembered(), found);
    EXPECT_EQ(remembered().rfind(*os::fileStamp(demo) + " ", 0), 0u);

    // Another program's write while the file is open is not ours to vouch for.
    const int again = l.open(demo, false);
    ASSERT_GE(again, 0);
    const std::string left = remembered();
    execOn(demo, "CREATE TABLE Anders (x INTEGER)");
    l.db.CloseDatabase(again);
    EXPECT_EQ(remembered(), left);

    // Damaged in place, size and name unchanged: another state, so checked
    // and refused: nothing is written to it, and its state is not remembered.
    std::string bytes = readBytes(demo);
    const std::string sound = demo + ".gezond";
    writeBytes(sound, bytes);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2 / 4096 * 4096), 4096, '\xff');
    writeBytes(demo, bytes);
    const std::string beforeDamage = remembered();
    const int damaged = l.open(demo, false);
    if (damaged > 0) {  // the damage may lie where the schema is read, or only where the check looks
        EXPECT_EQ(errorOf([&] { l.db.DbObject(damaged)->awaitSound(); }), 3049);
        EXPECT_FALSE(l.db.Create_Query(damaged, "Nog een", "SELECT 1", false, false));
        l.db.CloseDatabase(damaged);
    } else {
        EXPECT_EQ(l.db.DbErrNr, 3049);
    }
    EXPECT_NE(l.screen().find("beschadigd"), std::string::npos) << l.screen();
    EXPECT_EQ(remembered(), beforeDamage);
    EXPECT_EQ(readBytes(demo), bytes);
    EXPECT_GE(l.open(sound, false), 0);  // a refusal leaves no slot or state behind
}
