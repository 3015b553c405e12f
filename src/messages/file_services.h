#pragma once
// Further file services of the message screen: existence tests, the
// controlled directory search, deletion with a retry question, whole-file
// reading and writing, temporary file names, and file names remembered in
// the stored settings. Names use this platform's separator (kPathSep); the
// two cutting helpers at the end take any separator.

#include <optional>
#include <string>

#include "messages/path_separator.h"

namespace zelk {

class Alg;

// The first match of the directory search (a name or a pattern, attributes
// as DirAttributes), or "" when nothing matches or the search fails. Without
// a pattern: the next match of the previous search. A name the system cannot
// take (error 52) shows "Ernstige Systeemfout in ControlledDir. Systeem is
// onstabiel!" and ends the program, as it did before.
std::string ControlledDir(Alg& alg, const std::optional<std::string>& Padnaam = std::nullopt, int Attributes = 0);

bool FileExists(Alg& alg, const std::string& Bestandsnaam);
// Also true for the name of an ordinary file, as the search with the
// directory attribute matches files too.
bool DirExists(Alg& alg, const std::string& DirNaam);

// Deletes the file or files (a pattern may be given). On failure asks with
// OK (try again) and Cancel (give up, false), titled "Verwijderen bestand(en)".
bool FileKill(Alg& alg, const std::string& FileNm);

// The whole content of the file as text (Windows-1252 bytes read as
// characters), or "*ERROR*" with the line "GetFile: Geen bestand opgegeven".
// `file1` may be changed by the file dialog.
std::string GetFile(Alg& alg, std::string& file1);
// Writes the text as Windows-1252 bytes from the start of the file; without
// `Replace` an existing file is replaced only after the user agrees.
bool PutFile(Alg& alg, std::string& file1, const std::string& Buffer, bool Replace = false);

// A new, empty, uniquely named file in the temporary directory, made from
// the first three characters of `Prefix`, a hexadecimal number and ".TMP";
// "" when none could be made.
std::string TempFileName(const std::string& Prefix);

// The directory stored under "Main"/`Label` joined with `Filename`; when
// that file does not exist (or no name is given) the file dialog asks. The
// directory of the result is stored again. "" when the dialog is cancelled.
std::string FullFilename(Alg& alg, const std::string& Label, const std::string& Selection, const std::string& Filename,
                         const std::string& Default = "");

// An existing file whose directory and name are kept in the settings
// (section `RegisterSleutel`, keys `RegisterWaarde` and `FileNaamInv`); asks
// with the file dialog when it is not there and remembers the choice. ""
// (with a message box) when none was found.
std::string BepaalVolledigeBestandsnaamReg(Alg& alg, const std::string& FileNaamInv, const std::string& RegisterSleutel,
                                           const std::string& RegisterWaarde, const std::string& Filter,
                                           const std::string& DefaultDirectory = "");

// AfterLast(FullFilename, separator, True) and UpToLast(..., True).
std::string FileFromFullFilename(const std::string& FullFilename, const std::string& Separator = kPathSepText);
std::string DirFromFullFilename(const std::string& FullFilename, const std::string& Separator = kPathSepText);

}  // namespace zelk
