#pragma once
// What the three exports share: the one failure path with its message, the
// recordset slots that must be closed on both paths, the processing-date
// question, the start of the spreadsheet work and progress reporting.

#include <functional>
#include <string>

#include "runtime/variant.h"

namespace zelk {

struct Session;
class SqliteConnection;
class VariantArray;
class Recordset;
struct ExportRequest;

// The sheet of an export's workbook, worked through the spreadsheet
// application as the exports have always done: select a range, then set a
// property through the selection.
class ExportSheet {
public:
    explicit ExportSheet(Session& s) : s_(s) {}
    void writeBlock(const VariantArray& block);           // at A1
    void writeRow(long row, const VariantArray& values);  // columns from the array's own indexes
    void bold(const std::string& range);
    void numberFormat(const std::string& range, const std::string& format);
    void columnWidth(const std::string& columns, double width);
    void autoFit(const std::string& columns);
    void select(const std::string& range);
    // DisplayAlerts, Interactive and ScreenUpdating back on, in that order.
    void restoreApplication();

private:
    Session& s_;
};

class ExportRun {
public:
    ExportRun(Session& s, std::string functionName, int db);

    // Runs the export's steps. A runtime error, a recordset that does not
    // open or a spreadsheet that does not start ends the run in the failure
    // path. True when the steps ran to their end.
    bool execute(const std::function<void()>& steps);

    // The request's date; else, unattended, the first of the current month;
    // else the user's answer to the date question.
    Date processingDate(const ExportRequest& request);
    // The export's query compares `column` with amounts, which SQLite does
    // for a text or blob in it as well, unlike Jet: a row would drop out
    // without a word. Such a value ends the run with error 13 naming it.
    void requireAmounts(const char* table, const char* column);
    // Opens a recordset; a negative slot ends the run. The main query's slot
    // is the one closed first on the failure path.
    int openRecordset(const std::string& source, int type, bool isQuery = false);
    ExportSheet startWorkbook(const std::string& sheetName);
    // Every record of the query in its order, with progress reported as it goes.
    void forEachRecord(Recordset& rs, const std::function<void(const Recordset&)>& body);
    void closeQuery();
    void closeTables();
    // The last lines of a run that reached its end: how many rows could not
    // be written and how many objects' history could not be read (when
    // any), then "Done". Waits for the database's integrity check first.
    void done();

private:
    // The run's open database, if there is one.
    SqliteConnection* connection();
    void progress(long done, long total);
    void failurePath(const std::string& errorText);

    Session& s_;
    std::string functionName_;
    int db_;
    int rsQuery_ = 0;
    int rsTables_[2] = {0, 0};
    int tablesOpened_ = 0;
    long lastReported_ = -1;
    long rowsNotWrittenBefore_ = 0;
    long unreadableHistoryBefore_ = 0;
};

// The lines done() writes when rows could not be written, and when the
// history of objects could not be read.
std::string rowsNotWrittenLine(long rows);
std::string unreadableHistoryLine(long objects);

// Time of day of a date, as a time value.
Date timeOfDay(Date d);

}  // namespace zelk
