#pragma once
// SQLite's full check of a database file, PRAGMA integrity_check: every
// b-tree, and every index against its table (which the quick check leaves
// out: an index that misses rows makes a seek miss records without any read
// failing). It takes about as long as an export, so it runs beside the
// export, on a connection and a thread of its own; the work that must not
// happen before the file passed (a write to it, a workbook's save) waits for it.

#include <sqlite3.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "database/sqlite_handle.h"

namespace zelk {

class IntegrityCheck {
public:
    enum class Outcome { Running, Sound, Damaged, Failed };

    // Starts checking the file at `path`.
    explicit IntegrityCheck(std::string path);
    // A check that still runs is interrupted; its thread is waited for.
    ~IntegrityCheck();
    IntegrityCheck(const IntegrityCheck&) = delete;
    IntegrityCheck& operator=(const IntegrityCheck&) = delete;

    // The outcome once the check ended, or after `timeout` Running.
    Outcome waitFor(std::chrono::milliseconds timeout) const;
    Outcome outcome() const { return waitFor(std::chrono::milliseconds(0)); }
    // For Failed: what SQLite said (a lock held too long, an I/O error...).
    std::optional<sqlite::Failure> failure() const;

private:
    void run();

    std::string path_;
    mutable std::mutex mutex_;
    mutable std::condition_variable ended_;
    Outcome outcome_ = Outcome::Running;
    std::optional<sqlite::Failure> failure_;
    sqlite3* running_ = nullptr;  // the check's connection while it is in use
    bool cancelled_ = false;
    std::thread thread_;  // last: it starts once the members above exist
};

// The same check on an open connection, in this thread. Throws sqlite::Failure.
bool passesIntegrityCheck(sqlite3* db);

}  // namespace zelk
