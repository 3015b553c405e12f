#pragma once
// Opening a file by a mode word, with the questions and recoveries that go
// with it: the replace question, creating a missing directory path, and the
// file dialog when a file cannot be opened. Files are opened in the message
// screen's file table; the result is their file number.

#include <string>

namespace zelk {

class Alg;

// Opens `Filenaam` in the way of the mode word `FileMode` (any case):
// INPUT, INPUT-NP, INPUT-Q, OUTPUT, OUTPUT-NT, OUTPUT-Q, OUTPUT-QU, APPEND,
// APPEND-Q, BINARY, BINARY-WRITE, BINARY-Q, INPUT-BINARY,
// INPUT-BINARY-SHARED, INPUT-BINARY-Q, INPUT-SHARED-NQ,
// INPUT-BINARY-SHARED-NQ, OUTPUT-BINARY, OUTPUT-BINARY-NQ, OUTPUT-BINARY-Q.
// Returns the file number (1..255) or -1 when the user cancelled or gave up;
// never throws. `Filenaam` is changed to the name actually opened (joined
// with `FileDir`, chosen in a dialog), "" after a cancelled dialog.
// `FileTypes` is the dialog filter ("Text (*.txt)|*.txt|...").
int FileOpen(Alg& alg, std::string& Filenaam, const std::string& FileTypes, const std::string& FileMode,
             const std::string& FileDir = "");

// The file dialog FileOpen falls back on. `Moment` "E" means an open failed.
// 0 with the chosen name in `Filenaam`, or -1 with `Filenaam` "".
int FileOpenDialog(Alg& alg, std::string& Filenaam, const std::string& FileTypes, const std::string& FileMode,
                   const std::string& Moment, const std::string& FileDir = "");

// Creates the directory of `Filenaam` (with `MinstensEenByte` the parent of
// a directory name that ends in the separator), and missing parents first.
// `Vraag` "J" asks "Pad bestaat niet. Dit pad aanmaken?" for every level;
// `Melding` writes "Directory aangemaakt:" and the path. 0 when made, else -1.
int MkPath(Alg& alg, const std::string& Filenaam, const std::string& Vraag, bool MinstensEenByte, bool Melding = false);

}  // namespace zelk
