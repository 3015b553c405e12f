#include "messages/file_services.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "messages/alg.h"
#include "messages/alg_func.h"
#include "messages/file_open.h"
#include "os/folders.h"
#include "platform/platform.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace zelk {
namespace fs = std::filesystem;

namespace {

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A name that does not depend on the current directory: a drive or the root.
bool isAbsoluteName(const std::string& name) {
    return name.find(':') != std::string::npos || (!name.empty() && name[0] == kPathSep);
}

long removeError(const std::error_code& ec) {
    if (ec == std::errc::no_such_file_or_directory) return 53;
    if (ec == std::errc::not_a_directory) return 76;
    return 75;
}

// Kill: the named file, or every ordinary file matching the pattern.
void killFiles(const std::string& pattern) {
    if (pattern.empty() || pattern.find('\0') != std::string::npos) throw RuntimeError(pattern.empty() ? 53 : 52);
    const fs::path whole(pattern);
    const fs::path dir = whole.has_parent_path() ? whole.parent_path() : fs::path(".");
    const std::string name = whole.filename().string();
    std::error_code ec;
    std::vector<fs::path> victims;
    if (name.find_first_of("*?") == std::string::npos) {
        const fs::file_status st = fs::status(fs::path(pattern), ec);
        if (ec || !fs::exists(st))
            throw RuntimeError(removeError(ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory)));
        if (fs::is_directory(st)) throw RuntimeError(75);
        victims.emplace_back(pattern);
    } else {
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string n = it->path().filename().string();
            std::error_code ec2;
            if (it->is_regular_file(ec2) && n[0] != '.' && wildcardMatch(name, n, kCaseInsensitiveFileNames))
                victims.push_back(it->path());
        }
        if (victims.empty()) throw RuntimeError(53);
    }
    for (const fs::path& p : victims) {
        std::error_code rm;
        if (!fs::remove(p, rm) || rm)
            throw RuntimeError(removeError(rm ? rm : std::make_error_code(std::errc::no_such_file_or_directory)));
    }
}

std::string hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v & 0xFFFFu);
    return buf;
}

}  // namespace

std::string ControlledDir(Alg& alg, const std::optional<std::string>& Padnaam, int Attributes) {
    try {
        return Padnaam ? alg.dirSearch().first(*Padnaam, Attributes) : alg.dirSearch().next();
    } catch (const RuntimeError& e) {
        if (e.number() != 52) return "";
    }
    try {
        alg.dirSearch().first(kPathSepText, vbNormal);
    } catch (const RuntimeError&) {
    }
    alg.platform().msgBox("Ernstige Systeemfout in ControlledDir. Systeem is onstabiel!", vbCritical,
                          std::string("Directory:") + Padnaam.value_or("") + kPathSepText);
    alg.platform().endProgram(1);
    return "";  // endProgram does not come back
}

bool FileExists(Alg& alg, const std::string& Bestandsnaam) {
    return !ControlledDir(alg, Bestandsnaam, vbNormal).empty();
}

bool DirExists(Alg& alg, const std::string& DirNaam) { return !ControlledDir(alg, DirNaam, vbDirectory).empty(); }

bool FileKill(Alg& alg, const std::string& FileNm) {
    for (;;) {
        try {
            killFiles(FileNm);
            return true;
        } catch (const RuntimeError& e) {
            std::string prompt;
            if (e.number() == 75) {
                prompt =
                    "Fout #  75 Bestand is in gebruik. Sluit eerst de andere applicatie en probeer vervolgens "
                    "opnieuw door op 'OK' te drukken. \r\n\r\nBestand=" +
                    FileNm;
            } else {
                prompt = "Fout # " + std::to_string(e.number()) + " was aangemaakt door " + e.source() + "\r" +
                         e.description();
            }
            if (alg.platform().msgBox(prompt, vbOKCancel, "Verwijderen bestand(en)") != vbOK) return false;
        }
    }
}

std::string GetFile(Alg& alg, std::string& file1) {
    const int n = FileOpen(alg, file1, "", "INPUT-BINARY", "");
    if (n > 0) {
        FileTable& files = alg.files();
        std::optional<std::string> bytes;
        try {
            if (!file1.empty()) bytes = files.getBytes(n, 1, static_cast<std::size_t>(files.lof(n)));
        } catch (const RuntimeError&) {
        }
        files.close(n);
        if (bytes) return cp1252ToUtf8(*bytes);
    }
    alg.AddMelding("GetFile: Geen bestand opgegeven");
    return "*ERROR*";
}

bool PutFile(Alg& alg, std::string& file1, const std::string& Buffer, bool Replace) {
    const int n = FileOpen(alg, file1, "", Replace ? "OUTPUT-BINARY-NQ" : "OUTPUT-BINARY", "");
    if (n <= 0) return false;
    bool written = true;
    try {
        alg.files().putBytes(n, 1, utf8ToCp1252(Buffer));
    } catch (const RuntimeError&) {
        written = false;  // a full disk is not a success
    }
    alg.files().close(n);
    return written;
}

std::string TempFileName(const std::string& Prefix) {
    const fs::path dir = os::temporaryFolder();
    const std::u32string prefix = utf8ToU32(Prefix).substr(0, 3);
    const auto seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned i = 0; i < 0x10000; ++i) {
        const unsigned number = (seed + i) & 0xFFFF;
        if (number == 0) continue;
        const fs::path candidate = dir / (u32ToUtf8(prefix) + hex4(number) + ".TMP");
        // "x": made here and now, never an existing file.
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(candidate.string().c_str(), "wbx"), &std::fclose);
        if (f) return candidate.string();
        if (errno != EEXIST) return "";
    }
    return "";
}

std::string FullFilename(Alg& alg, const std::string& Label, const std::string& Selection, const std::string& Filename,
                         const std::string& Default) {
    SettingsStore& settings = alg.platform().settings();
    const std::string dir = settings.value(kAppTitle, "Main", Label, Default);
    // Without a stored directory the name stays as given rather than landing
    // in the root.
    std::string full = dir.empty() || endsWith(dir, kPathSepText) ? dir + Filename : dir + kPathSepText + Filename;
    if (Filename.empty() || !FileExists(alg, full)) {
        std::string chosen = Filename;
        full = FileOpenDialog(alg, chosen, Selection, "INPUT", "", dir) == 0 ? chosen : "";
    }
    if (!full.empty()) settings.set(kAppTitle, "Main", Label, UpToLast(full, kPathSepText, true));
    return full;
}

std::string BepaalVolledigeBestandsnaamReg(Alg& alg, const std::string& FileNaamInv, const std::string& RegisterSleutel,
                                           const std::string& RegisterWaarde, const std::string& Filter,
                                           const std::string& DefaultDirectory) {
    SettingsStore& settings = alg.platform().settings();
    std::string dir =
        GetSettingValue(settings, kAppTitle, RegisterSleutel, RegisterWaarde, DefaultDirectory, false, kPathSepText);
    if (!isAbsoluteName(dir)) dir = DefaultDirectory;
    if (!dir.empty() && !endsWith(dir, kPathSepText)) dir += kPathSepText;
    const std::string name =
        GetSettingValue(settings, kAppTitle, RegisterSleutel, FileNaamInv, FileNaamInv, false, kPathSepText);
    std::string full = dir + name;
    const int n = FileOpen(alg, full, Filter, isAbsoluteName(full) ? "INPUT" : "INPUT-Q", dir);
    if (n > 0) {
        if (full != dir + name) {
            settings.set(kAppTitle, RegisterSleutel, RegisterWaarde, UpToLast(full, kPathSepText, false));
            settings.set(kAppTitle, RegisterSleutel, FileNaamInv, AfterLast(full, kPathSepText, false));
        }
        alg.files().close(n);
        return full;
    }
    alg.AddMsgBoxMelding("Kan het bestand " + full + " niet vinden.", "Bestand zoeken", vbCritical, false, kBlack,
                         true);
    return "";
}

std::string FileFromFullFilename(const std::string& FullFilename, const std::string& Separator) {
    return AfterLast(FullFilename, Separator, true);
}

std::string DirFromFullFilename(const std::string& FullFilename, const std::string& Separator) {
    return UpToLast(FullFilename, Separator, true);
}

}  // namespace zelk
