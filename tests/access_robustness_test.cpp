// The Access copy must survive any file: libmdb runs in a child process
// that may crash, hang or run away without harm to the program.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

#include "access_test_util.h"
#include "database/access/access_import.h"
#include "os/child_process.h"
#include "os/process.h"

using access_test::fixture;
using access_test::ScratchDir;
using zelk::os::ChildLimits;
using zelk::os::IsolatedRun;
using zelk::os::runIsolated;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

long testProcess = 0;
std::string childAtExitMarker;

void markIfRunInAChild() {
    if (zelk::os::processId() != testProcess) std::ofstream(childAtExitMarker) << "ran";
}

std::string bigReport(const std::string&, const std::function<void()>&) { return std::string(3u << 20, 'x'); }

std::string segfaults(const std::string&, const std::function<void()>&) {
    std::raise(SIGSEGV);
    return "never";
}

std::string throws(const std::string&, const std::function<void()>&) { throw std::runtime_error("x"); }

std::string exits(const std::string&, const std::function<void()>&) { std::exit(0); }

std::string hangs(const std::string&, const std::function<void()>&) {
    for (;;) std::this_thread::sleep_for(1h);
}

std::string showsProgress(const std::string&, const std::function<void()>& alive) {
    const auto until = Clock::now() + 3s;
    while (Clock::now() < until) {
        alive();
        std::this_thread::sleep_for(20ms);
    }
    return "done";
}

const zelk::os::IsolatedJobName kJobs[] = {
    {"test-big-report", bigReport}, {"test-segfaults", segfaults}, {"test-throws", throws},
    {"test-exits", exits},          {"test-hangs", hangs},         {"test-progress", showsProgress},
};

}  // namespace

TEST(IsolatedRun, ReportsCrashesHangsAndExitsWithoutHarmToTheParent) {
    ScratchDir dir;
    const ChildLimits none;

    IsolatedRun run = runIsolated("test-big-report", "", 10s, none);
    ASSERT_EQ(run.end, IsolatedRun::End::Reported);  // a report larger than the pipe's buffer
    EXPECT_EQ(run.report, std::string(3u << 20, 'x'));

    run = runIsolated("test-segfaults", "", 10s, none);
    EXPECT_EQ(run.end, IsolatedRun::End::Crashed);
    run = runIsolated("test-throws", "", 10s, none);
    EXPECT_EQ(run.end, IsolatedRun::End::Crashed);
    EXPECT_EQ(runIsolated("no-such-job", "", 10s, none).end, IsolatedRun::End::NotStarted);

    // A library calling exit() must not run the parent's atexit handlers in the child.
    testProcess = zelk::os::processId();
    childAtExitMarker = dir.file("atexit-ran");
    std::atexit(markIfRunInAChild);
    run = runIsolated("test-exits", "", 10s, none);
    EXPECT_EQ(run.end, IsolatedRun::End::Crashed);
    EXPECT_FALSE(std::filesystem::exists(childAtExitMarker));

    // A hang is killed after the idle timeout.
    auto start = Clock::now();
    run = runIsolated("test-hangs", "", 300ms, none);
    EXPECT_EQ(run.end, IsolatedRun::End::TimedOut);
    EXPECT_LT(Clock::now() - start, 10s);

    // Progress keeps a long piece of work alive past the idle timeout.
    run = runIsolated("test-progress", "", 1500ms, none);
    ASSERT_EQ(run.end, IsolatedRun::End::Reported);
    EXPECT_EQ(run.report, "done");
    // The limits a child runs under are tested with the Access reader's own
    // (access_child_test).
}

TEST(AccessRobustness, DamagedAndForeignFilesNeverCrashOrHang) {
    ZELK_NEEDS_FIXTURES();
    // Variants of the small fixtures: cut short at many lengths, bytes
    // changed in page 0 and in the data pages, and files that only look
    // like Access files. Every one must end in a result within the timeout,
    // leaving either a readable SQLite file or none at all.
    ScratchDir dir;
    std::mt19937 random(20261206);
    struct Variant {
        std::string label;
        std::string bytes;
    };
    std::vector<Variant> variants;
    const std::vector<std::string> sources = {"V1997-test.mdb",       "V2003_no-password.mdb", "V2003-index.mdb",
                                              "V2016-currency.accdb", "V2010-test.accdb",      "V2003-queries.mdb",
                                              "V2003-desc-index.mdb"};
    for (const std::string& name : sources) {
        const std::string original = zelk::testing::readBytes(fixture(name));
        const std::size_t page = name == "V1997-test.mdb" ? 2048 : 4096;
        const std::size_t pages = original.size() / page;
        // Cut short: inside page 0, at and around page borders, at random points.
        for (std::size_t length :
             {std::size_t{0}, std::size_t{1}, std::size_t{20}, std::size_t{0x97}, std::size_t{0x98}, page - 1, page,
              page + 1, 2 * page, 3 * page + 17, original.size() / 2, original.size() - 1})
            variants.push_back({name + " cut at " + std::to_string(length), original.substr(0, length)});
        for (int i = 0; i < 4; ++i) {
            const std::size_t length = std::uniform_int_distribution<std::size_t>(page, original.size() - 1)(random);
            variants.push_back({name + " cut at " + std::to_string(length), original.substr(0, length)});
        }
        // Page 0 damaged behind its signature.
        for (int i = 0; i < 6; ++i) {
            std::string bytes = original;
            for (int k = 0; k < 1 + i; ++k)
                bytes[std::uniform_int_distribution<std::size_t>(0x14, page - 1)(random)] ^=
                    static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
            variants.push_back({name + " page 0 damaged #" + std::to_string(i), bytes});
        }
        // The catalog's table definition (page 2) and random data pages damaged.
        for (int i = 0; i < 4; ++i) {
            std::string bytes = original;
            for (int k = 0; k < 4 << i; ++k)
                bytes[2 * page + std::uniform_int_distribution<std::size_t>(0, page - 1)(random)] =
                    static_cast<char>(random());
            variants.push_back({name + " catalog damaged #" + std::to_string(i), bytes});
        }
        for (int i = 0; i < 8; ++i) {
            std::string bytes = original;
            const int hits = 1 << (i % 6);
            for (int k = 0; k < hits; ++k) {
                const std::size_t at = std::uniform_int_distribution<std::size_t>(page, pages * page - 1)(random);
                bytes[at] = static_cast<char>(random());
            }
            variants.push_back({name + " data damaged #" + std::to_string(i), bytes});
        }
        // Table definitions (page type 2) damaged: column and index counts, offsets.
        int definitions = 0;
        for (std::size_t p = 3; p < pages && definitions < 4; ++p) {
            if (original[p * page] != 0x02) continue;
            std::string bytes = original;
            for (int k = 0; k < 6; ++k)
                bytes[p * page + std::uniform_int_distribution<std::size_t>(8, 160)(random)] =
                    static_cast<char>(random());
            variants.push_back({name + " table definition " + std::to_string(p) + " damaged", bytes});
            ++definitions;
        }
        // Whole pages overwritten with noise.
        {
            std::string bytes = original;
            for (std::size_t p = 1; p < pages; p += 3)
                for (std::size_t b = 0; b < page; ++b) bytes[p * page + b] = static_cast<char>(random());
            variants.push_back({name + " every third page noise", bytes});
        }
    }
    // Foreign files: noise, and noise behind a real page 0.
    const std::string page0 = zelk::testing::readBytes(fixture("V2003_no-password.mdb"));
    for (int i = 0; i < 10; ++i) {
        std::string bytes(std::uniform_int_distribution<std::size_t>(0, 200000)(random), '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        variants.push_back({"noise #" + std::to_string(i), bytes});
        if (bytes.size() < 4096) bytes.resize(4096);
        std::copy(page0.begin(), page0.begin() + 4096, bytes.begin());
        variants.push_back({"noise behind page 0 #" + std::to_string(i), bytes});
    }
    ASSERT_GE(variants.size(), 200u);

    int copied = 0;
    zelk::AccessImportOptions options;
    options.timeout = 5s;
    const std::string input = dir.file("variant.mdb");
    for (std::size_t i = 0; i < variants.size(); ++i) {
        const Variant& v = variants[i];
        SCOPED_TRACE(v.label);
        zelk::testing::writeBytes(input, v.bytes);
        const std::string output = dir.file("copy" + std::to_string(i) + ".sqlite");
        const auto start = Clock::now();
        const zelk::AccessImportResult r = zelk::importAccessFile(input, "", output, options);
        EXPECT_LT(Clock::now() - start, 10s);
        EXPECT_TRUE(r.errorNumber == 0 || r.errorNumber == 3343 || r.errorNumber == 3031) << r.errorNumber;
        if (r.errorNumber != 0) {
            EXPECT_FALSE(std::filesystem::exists(output));
            continue;
        }
        ++copied;
        EXPECT_EQ(access_test::query(output, "PRAGMA integrity_check"),
                  (std::vector<std::vector<std::string>>{{"text:ok"}}));
        for (const auto& table :
             access_test::query(output, "SELECT name FROM sqlite_master WHERE type IN ('table','view')"))
            EXPECT_NO_THROW(access_test::query(output, "SELECT count(*) FROM \"" + table[0].substr(5) + "\""));
        std::remove(output.c_str());
    }
    // Most damage leaves something readable; the check above must have had work to do.
    EXPECT_GT(copied, 20);
}
