#include "database/integrity_check.h"

namespace zelk {

bool passesIntegrityCheck(sqlite3* db) {
    // One finding is enough to refuse the file.
    auto st = sqlite::prepare(db, "PRAGMA main.integrity_check(1)");
    return sqlite::step(db, st.get()) && sqlite::columnText(st.get(), 0) == "ok";
}

IntegrityCheck::IntegrityCheck(std::string path) : path_(std::move(path)), thread_([this] { run(); }) {}

IntegrityCheck::~IntegrityCheck() {
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
        if (running_) sqlite3_interrupt(running_);
    }
    thread_.join();
}

IntegrityCheck::Outcome IntegrityCheck::waitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    ended_.wait_for(lock, timeout, [this] { return outcome_ != Outcome::Running; });
    return outcome_;
}

std::optional<sqlite::Failure> IntegrityCheck::failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

void IntegrityCheck::run() {
    Outcome outcome = Outcome::Failed;
    std::optional<sqlite::Failure> failure;
    try {
        sqlite::Connection db = sqlite::open(path_, SQLITE_OPEN_READONLY);
        bool started = false;
        {
            const std::lock_guard lock(mutex_);
            if (!cancelled_) running_ = db.get();
            started = running_ != nullptr;
        }
        if (started) {
            try {
                outcome = passesIntegrityCheck(db.get()) ? Outcome::Sound : Outcome::Damaged;
            } catch (const sqlite::Failure& f) {
                // Damage the check cannot even read past is damage all the same.
                if (f.code() == SQLITE_CORRUPT || f.code() == SQLITE_NOTADB) outcome = Outcome::Damaged;
                else failure = f;
            }
            // The connection closes only once an interrupt can no longer reach it.
            const std::lock_guard lock(mutex_);
            running_ = nullptr;
        }
    } catch (const sqlite::Failure& f) {
        failure = f;
    } catch (const std::exception& e) {
        // Nothing may leave the thread; the caller sees a failed check.
        failure = sqlite::Failure(SQLITE_NOMEM, e.what());
    }
    {
        const std::lock_guard lock(mutex_);
        outcome_ = outcome;
        if (outcome == Outcome::Failed && !failure) failure = sqlite::Failure(SQLITE_INTERRUPT, "interrupted");
        failure_ = failure;
    }
    ended_.notify_all();
}

}  // namespace zelk
