#include "messages/file_open.h"

#include <filesystem>
#include <system_error>

#include "messages/alg.h"
#include "messages/alg_func.h"
#include "messages/path_separator.h"
#include "platform/platform.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace zelk {
namespace fs = std::filesystem;

namespace {

enum class Before { Nothing, JoinDir, Dialog, DialogUpperReplace, Replace, DialogReplace, Quiet };

struct ModeRow {
    const char* word;
    Before before;
    OpenKind kind;
    bool saveDialog;  // the dialog for this mode is a save dialog
};

// "INPUT-BINARY" reads an existing file: the runtime's plain binary open would
// create a missing file and hand back an empty one, so a reader could never
// tell a missing file from an empty one.
constexpr ModeRow kModes[] = {
    {"INPUT", Before::JoinDir, OpenKind::TextInput, false},
    {"INPUT-NP", Before::JoinDir, OpenKind::TextInput, false},
    {"INPUT-Q", Before::Dialog, OpenKind::TextInput, false},
    {"OUTPUT", Before::Replace, OpenKind::TextOutput, true},
    {"OUTPUT-NT", Before::Nothing, OpenKind::TextOutput, false},
    {"OUTPUT-Q", Before::Dialog, OpenKind::TextOutput, true},
    {"OUTPUT-QU", Before::DialogUpperReplace, OpenKind::TextOutput, true},
    {"APPEND", Before::Nothing, OpenKind::TextAppend, true},
    {"APPEND-Q", Before::Dialog, OpenKind::TextAppend, true},
    {"BINARY", Before::Nothing, OpenKind::Binary, true},
    {"BINARY-WRITE", Before::Nothing, OpenKind::BinaryWrite, false},
    {"BINARY-Q", Before::Dialog, OpenKind::Binary, true},
    {"INPUT-BINARY", Before::Nothing, OpenKind::BinaryExisting, false},
    {"INPUT-BINARY-SHARED", Before::Nothing, OpenKind::BinaryRead, false},
    {"INPUT-BINARY-Q", Before::Dialog, OpenKind::BinaryExisting, false},
    {"INPUT-SHARED-NQ", Before::Quiet, OpenKind::TextInput, false},
    {"INPUT-BINARY-SHARED-NQ", Before::Quiet, OpenKind::BinaryRead, false},
    {"OUTPUT-BINARY", Before::Replace, OpenKind::BinaryEmptied, true},
    {"OUTPUT-BINARY-NQ", Before::Nothing, OpenKind::BinaryEmptied, false},
    {"OUTPUT-BINARY-Q", Before::DialogReplace, OpenKind::BinaryEmptied, true},
};

const ModeRow* findMode(const std::string& word) {
    const std::string upper = upperCase(word);
    for (const ModeRow& row : kModes)
        if (upper == row.word) return &row;
    return nullptr;
}

bool startsWithInput(const std::string& word) { return upperCase(word).rfind("INPUT", 0) == 0; }

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// " 53": the runtime's Str of a positive number keeps a place for the sign.
std::string strNumber(long n) { return n >= 0 ? " " + std::to_string(n) : std::to_string(n); }

bool fileExists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && fs::exists(fs::path(name), ec);
}

// Asks before an existing file is replaced; false when the user declines.
bool replaceAllowed(Alg& alg, const std::string& name) {
    if (!fileExists(name)) return true;
    return alg.platform().msgBox(name, vbOKCancel, "Bestand bestaat reeds, vervangen?") == vbOK;
}

// 0, or the runtime's number for a directory that could not be made.
long makeDirectory(const std::string& path) {
    std::error_code ec;
    const bool made = fs::create_directory(fs::path(path), ec);
    if (made) return 0;
    if (!ec) return 75;  // it was there already
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return 76;
    return 75;
}

// All but the first character of the last directory name in lower case.
std::string lowerLastName(const std::string& pad) {
    std::u32string s = utf8ToU32(pad);
    for (std::size_t i = s.size(); i-- > 0;) {
        if (i > 0 && s[i - 1] == static_cast<char32_t>(kPathSep)) break;
        if (i == 0) break;
        s[i] = lowerChar(s[i]);
    }
    return u32ToUtf8(s);
}

void reportQuietFailure(Alg& alg, const std::string& name, const RuntimeError& e) {
    alg.AddMelding("File: " + name + " " + e.description() + "(" + strNumber(e.number()) + ")", 0, false, kBlack);
}

int openByMode(Alg& alg, std::string& Filenaam, const std::string& FileTypes, const std::string& FileMode,
               const std::string& FileDir) {
    const ModeRow* row = findMode(FileMode);
    if (!row) {
        alg.platform().msgBox("Onbekende open opdracht aangetroffen", vbOKOnly, FileMode);
        return -1;
    }
    FileTable& files = alg.files();

    if (row->before == Before::Quiet) {
        const std::string name = trimBlanks(FileDir).empty() ? Filenaam : FileDir + kPathSepText + Filenaam;
        try {
            return files.open(name, row->kind);
        } catch (const RuntimeError& e) {
            reportQuietFailure(alg, name, e);
            return -1;
        }
    }
    if (files.freeFile() == 0) {
        // No number left: no dialog can help, so say so instead of asking.
        reportQuietFailure(alg, Filenaam, RuntimeError(67));
        return -1;
    }

    switch (row->before) {
    case Before::JoinDir:
        if (!trimBlanks(FileDir).empty() && Filenaam.find_first_of("\\/:") == std::string::npos) {
            const std::string doubled = std::string(kPathSepText) + kPathSepText;
            Filenaam = replaceAll(FileDir + kPathSepText + Filenaam, doubled, kPathSepText);
        }
        break;
    case Before::Dialog:
        if (FileOpenDialog(alg, Filenaam, FileTypes, FileMode, "Q", FileDir) != 0) return -1;
        break;
    case Before::DialogUpperReplace:
        if (FileOpenDialog(alg, Filenaam, FileTypes, FileMode, "QU", FileDir) != 0) return -1;
        Filenaam = UpToLast(Filenaam, kPathSepText, false) + upperCase(AfterLast(Filenaam, kPathSepText, false));
        if (!replaceAllowed(alg, Filenaam)) return -1;
        break;
    case Before::Replace:
        if (!replaceAllowed(alg, Filenaam)) return -1;
        break;
    case Before::DialogReplace:
        if (FileOpenDialog(alg, Filenaam, FileTypes, FileMode, "Q", FileDir) != 0) return -1;
        if (!replaceAllowed(alg, Filenaam)) return -1;
        break;
    case Before::Nothing:
    case Before::Quiet: break;
    }

    // Each failed open ends in a recovery (make the path, choose another
    // file) that the user can decline; declining ends the loop.
    for (;;) {
        try {
            return files.open(Filenaam, row->kind);
        } catch (const RuntimeError& e) {
            if (e.number() == 76 && !startsWithInput(FileMode)) {
                if (MkPath(alg, Filenaam, "J", false, false) != 0) return -1;
                continue;
            }
            if (e.number() == 67) {
                reportQuietFailure(alg, Filenaam, e);
                return -1;
            }
            if (FileOpenDialog(alg, Filenaam, FileTypes, FileMode, "E", FileDir) != 0) return -1;
        }
    }
}

}  // namespace

int FileOpen(Alg& alg, std::string& Filenaam, const std::string& FileTypes, const std::string& FileMode,
             const std::string& FileDir) {
    try {
        return openByMode(alg, Filenaam, FileTypes, FileMode, FileDir);
    } catch (const std::exception&) {
        return -1;
    }
}

int FileOpenDialog(Alg& alg, std::string& Filenaam, const std::string& FileTypes, const std::string& FileMode,
                   const std::string& Moment, const std::string& FileDir) {
    FileDialogRequest request;
    if (Moment == "E") request.title = "Kan bestand:" + Filenaam + " niet vinden, geef de bestandsnaam";
    else if (Filenaam.empty()) request.title = "Geef de bestandsnaam:";
    else request.title = "Geef de plaats van bestand: " + Filenaam;
    request.filter = FileTypes.empty() ? "Alle bestanden (*.*)|*.*" : FileTypes;
    const bool hasDir = Filenaam.find(kPathSep) != std::string::npos;
    request.fileName = hasDir ? AfterLast(Filenaam, kPathSepText, false) : Filenaam;
    if (!FileDir.empty()) {
        request.initDir = FileDir;
    } else if (hasDir) {
        request.initDir = UpToLast(Filenaam, kPathSepText, false);
    } else {
        std::error_code ec;
        request.initDir = fs::current_path(ec).string();
    }
    const ModeRow* row = findMode(FileMode);
    request.save = row && row->saveDialog;
    try {
        if (auto chosen = alg.platform().fileDialog(request); chosen && !chosen->empty()) {
            Filenaam = *chosen;
            return 0;
        }
    } catch (const std::exception&) {
    }
    Filenaam.clear();
    return -1;
}

int MkPath(Alg& alg, const std::string& Filenaam, const std::string& Vraag, bool MinstensEenByte, bool Melding) {
    std::string pad = UpToLast(Filenaam, kPathSepText, MinstensEenByte);
    if (pad.empty()) return -1;  // no directory named: nothing to make
    if (Vraag == "J" && alg.platform().msgBox(pad, vbOKCancel, "Pad bestaat niet. Dit pad aanmaken?") != vbOK)
        return -1;
    // Where names are compared without regard to case the look of the name
    // may be tidied; elsewhere that would make another directory than the
    // one asked for, and the open would fail again for ever.
    if (kCaseInsensitiveFileNames) pad = lowerLastName(pad);
    long err = makeDirectory(pad);
    if (err == 76) {
        const std::string parent = UpToLast(pad, kPathSepText, true);
        if (parent.empty() || parent == pad) return -1;
        if (MkPath(alg, pad, Vraag, true, false) != 0) return -1;
        err = makeDirectory(pad);
    }
    if (err != 0) return -1;
    if (Melding) alg.AddMelding("Directory aangemaakt:" + pad, 1, false, kBlack);
    return 0;
}

}  // namespace zelk
