#pragma once
// Shared by the database layer's tests: file snapshots, a demo database and a
// platform whose message boxes can act.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "database/dbase.h"
#include "database/demo_database.h"
#include "database/sqlite_handle.h"
#include "exports/export_sql.h"
#include "messages/alg.h"
#include "platform/scripted_platform.h"
#include "support/checks.h"
#include "support/test_files.h"

namespace zelk::testing {

// The bytes and the modification time of a file, to prove it was not written.
struct FileSnapshot {
    std::string bytes;
    std::filesystem::file_time_type mtime;
    static FileSnapshot of(const std::string& path) {
        return {readBytes(path), std::filesystem::last_write_time(path)};
    }
    bool operator==(const FileSnapshot& o) const { return bytes == o.bytes && mtime == o.mtime; }
};

// A fresh demo database in `dir` (deterministic: seed 1).
inline std::string makeDemo(const ScratchDir& dir, const std::string& name = "demo.db", long assets = 200) {
    const std::string path = dir.file(name);
    DemoOptions o;
    o.assets = assets;
    createDemoDatabase(path, o);
    return path;
}

// ScriptedPlatform whose message boxes can run code before they answer
// (to release a lock "while the question is on screen").
class ActingPlatform : public ScriptedPlatform {
public:
    std::function<void(const std::string& prompt, const std::string& title)> beforeAnswer;
    int msgBox(const std::string& prompt, int style, const std::string& title) override {
        if (beforeAnswer) beforeAnswer(prompt, title);
        return ScriptedPlatform::msgBox(prompt, style, title);
    }
};

// The platform, the message screen and the database layer of one test.
struct Layer {
    ActingPlatform platform;
    Alg alg{platform};
    Dbase db{platform, alg};

    // Opens a file whose name is known, as the asset database is opened.
    int open(std::string name, bool interactive = true, bool readOnly = false) {
        std::string password = "vastactiva";
        return db.OpenDatabase(name, "", password, true, "Kies", false, readOnly, std::nullopt, std::nullopt, true,
                               interactive, false);
    }
    std::string screen() { return alg.screen().text(); }
    std::vector<ScriptedPlatform::Question> boxes() const {
        std::vector<ScriptedPlatform::Question> out;
        for (const auto& q : platform.asked)
            if (q.kind == ScriptedPlatform::Question::MsgBox) out.push_back(q);
        return out;
    }
};

// A demo database in a scratch folder and the layer to open it with: the
// setup of most database tests.
struct DemoFixture : ::testing::Test {
    ScratchDir dir;
    std::string demo = makeDemo(dir);
    Layer l;
};

// Runs SQL on a file of its own connection, made when missing.
inline void execOn(const std::string& path, const std::string& sql) {
    sqlite::exec(sqlite::open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).get(), sql);
}

inline std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace zelk::testing
