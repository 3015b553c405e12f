#include "exports/export_folder.h"

#include <stdexcept>

#include "messages/alg.h"
#include "os/system_reason.h"
#include "platform/platform.h"
#include "platform/responsive_work.h"
#include "runtime/dates.h"
#include "runtime/product.h"
#include "spreadsheet/xlsx_writer.h"

namespace zelk {

namespace fs = std::filesystem;

fs::path exportDirectory(Platform& platform) {
    const std::string set = platform.settings().value(kAppTitle, "Excel", "ExportDir", "");
    if (set.find_first_not_of(' ') != std::string::npos) return fs::path(set);
    return platform.documentsFolder() / "ZelkExtract";
}

fs::path freeWorkbookPath(const fs::path& dir, const std::string& baseName, Date now) {
    const std::string stem = baseName + " " + formatDate(now, "yyyy-mm-dd hhnnss");
    for (int n = 1; n <= kMaxWorkbookNameTries; ++n) {
        const fs::path p = dir / (stem + (n > 1 ? " (" + std::to_string(n) + ")" : "") + ".xlsx");
        std::error_code ec;
        const bool taken = fs::exists(p, ec);
        // A name that cannot be tested (no access, too long) will not become
        // testable by counting on.
        if (ec)
            throw std::runtime_error("de bestandsnaam '" + p.string() +
                                     "' kan niet worden gekozen: " + os::reasonText(ec));
        if (!taken) return p;
    }
    throw std::runtime_error("geen vrije bestandsnaam gevonden");
}

std::optional<fs::path> saveAndShow(Alg& alg, Workbook& book, const std::string& baseName, bool open) {
    Platform& platform = alg.platform();
    const fs::path dir = exportDirectory(platform);
    auto fail = [&](const std::string& why) -> std::optional<fs::path> {
        alg.AddMsgBoxMelding("De werkmap kon niet worden opgeslagen in '" + dir.string() + "'", why, vbCritical, false,
                             kRed, true);
        return std::nullopt;
    };
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return fail(os::reasonText(ec));

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
        SaveResult r;
        runResponsive(platform, kSavingLabel, [&] { r = saveAsNew(book, path); });
        if (r.alreadyExists) continue;
        if (!r) return fail(r.error);
        alg.AddMelding("Werkmap opgeslagen: " + path.string());
        if (open) platform.openDocument(path.string());
        return path;
    }
    return fail("geen vrije bestandsnaam gevonden");
}

}  // namespace zelk
