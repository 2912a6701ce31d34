// The ten windows of Volumnia: one global instance each for the whole run,
// created in this order by TApplicationWindows and destroyed in reverse.
#pragma once

class TfrmMain;
class TfrmBookBrowser;
class TdlgLoanBook;
class TdlgSearchBooks;
class TdlgAbout;
class TdlgPrint;
class TdlgPrintSettings;
class TdlgDatabaseSettings;
class TdlgRemoveSeveral;
class TdlgEditSeveral;

extern TfrmMain* frmMain;
extern TfrmBookBrowser* frmBookBrowser;
extern TdlgLoanBook* dlgLoanBook;
extern TdlgSearchBooks* dlgSearchBooks;
extern TdlgAbout* dlgAbout;
extern TdlgPrint* dlgPrint;
extern TdlgPrintSettings* dlgPrintSettings;
extern TdlgDatabaseSettings* dlgDatabaseSettings;
extern TdlgRemoveSeveral* dlgRemoveSeveral;
extern TdlgEditSeveral* dlgEditSeveral;
