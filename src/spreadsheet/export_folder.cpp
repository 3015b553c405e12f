#include "spreadsheet/export_folder.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "messages/alg.h"
#include "platform/platform.h"
#include "runtime/dates.h"
#include "runtime/product.h"
#include "spreadsheet/xlsx_writer.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;

fs::path homeDirectory() {
#ifdef _WIN32
    if (const char* p = std::getenv("USERPROFILE"); p && *p) return p;
#endif
    if (const char* p = std::getenv("HOME"); p && *p) return p;
    return fs::current_path();
}

// XDG_DOCUMENTS_DIR="$HOME/Documenten" as the desktop's user-dirs.dirs holds it.
std::optional<fs::path> fromUserDirs(const fs::path& home) {
    fs::path config = home / ".config";
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) config = x;
    std::ifstream in(config / "user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.rfind(key, 0) != 0) continue;
        std::string v = line.substr(key.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0) return home / fs::path(v.substr(5)).relative_path();
        if (!v.empty() && v.front() == '/') return fs::path(v);
    }
    return std::nullopt;
}

}  // namespace

fs::path documentsDirectory() {
    if (const char* d = std::getenv("XDG_DOCUMENTS_DIR"); d && *d) return d;
    const fs::path home = homeDirectory();
    if (auto d = fromUserDirs(home)) return *d;
    return home / "Documents";
}

fs::path exportDirectory(Platform& platform) {
    const std::string set = platform.settings().value(kAppTitle, "Excel", "ExportDir", "");
    if (set.find_first_not_of(' ') != std::string::npos) return fs::path(set);
    return documentsDirectory() / "ZelkExtract";
}

fs::path freeWorkbookPath(const fs::path& dir, const std::string& baseName, Date now) {
    const std::string stem = baseName + " " + formatDate(now, "yyyy-mm-dd hhnnss");
    for (int n = 1; n <= kMaxWorkbookNameTries; ++n) {
        const fs::path p = dir / (stem + (n > 1 ? " (" + std::to_string(n) + ")" : "") + ".xlsx");
        std::error_code ec;
        const bool taken = fs::exists(p, ec);
        // A name that cannot be tested (no access, too long) will not become
        // testable by counting on.
        if (ec) throw fs::filesystem_error("de bestandsnaam kan niet worden gekozen", p, ec);
        if (!taken) return p;
    }
    throw std::runtime_error("geen vrije bestandsnaam gevonden");
}

std::optional<fs::path> SaveAndShow(Alg& alg, Workbook& book, const std::string& baseName, bool open) {
    Platform& platform = alg.platform();
    const fs::path dir = exportDirectory(platform);
    auto fail = [&](const std::string& why) -> std::optional<fs::path> {
        alg.AddMsgBoxMelding("De werkmap kon niet worden opgeslagen in '" + dir.string() + "'", why, vbCritical,
                             false, kRed, true);
        return std::nullopt;
    };
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return fail(ec.message());

    const Date now = platform.now();
    // Another program may take the chosen name between the choice and the
    // save; then the next free name is taken.
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path path;
        try {
            path = freeWorkbookPath(dir, baseName, now);
        } catch (const std::exception& e) {
            return fail(e.what());
        }
        const SaveResult r = saveAsNew(book, path);
        if (r.alreadyExists) continue;
        if (!r) return fail(r.error);
        alg.AddMelding("Werkmap opgeslagen: " + path.string());
        if (open) platform.openDocument(path.string());
        return path;
    }
    return fail("geen vrije bestandsnaam gevonden");
}

}  // namespace zelk
