#pragma once
// The three exports of the menu "Opdrachten". Each runs to its end, reports
// its progress on the message screen and leaves its workbook as the active
// workbook of the spreadsheet application. True when the run reached "Done".

namespace zelk {

struct Session;

bool Export1a(Session& session);  // movable assets, 'COM' history figures
bool Export1b(Session& session);  // immovable assets, 'IFR' history figures
bool Export2(Session& session);   // category mapping

}  // namespace zelk
