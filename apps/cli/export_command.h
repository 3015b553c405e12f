#pragma once
// zelkextract2-cli export: runs the exports unattended and writes their
// workbooks under fixed names.

namespace zelk {

// Arguments after the word "export". Exit status: 0 when every requested
// export reached "Done" and its workbook was written, 1 when one failed or
// the database did not open, 2 for a usage error.
int runExportCommand(int argc, char** argv);

}  // namespace zelk
