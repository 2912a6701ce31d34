// The windows of Volumnia: one global instance each for the whole run,
// destroyed in the reverse of this order. The main window and the book
// browser are made at start by TApplicationWindows; each dialog is made on its
// first use (TWindowSlot). The globals serve making, showing and parenting
// windows only: what a window shows it is given when made (the catalogue, the
// shown rows, the run's state), never read from another window.
#pragma once

#include "app/WindowSlot.h"

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
class TfrmLoans;
class TfrmHistory;
class TfrmBookDetails;
class TfrmStatistics;
class TdlgCatalogue;
class TdlgLookUpIsbn;
class TfrmScanIsbn;

extern TfrmMain* frmMain;
extern TfrmBookBrowser* frmBookBrowser;
extern TWindowSlot<TdlgLoanBook> dlgLoanBook;
extern TWindowSlot<TdlgSearchBooks> dlgSearchBooks;
extern TWindowSlot<TdlgAbout> dlgAbout;
extern TWindowSlot<TdlgPrint> dlgPrint;
extern TWindowSlot<TdlgPrintSettings> dlgPrintSettings;
extern TWindowSlot<TdlgDatabaseSettings> dlgDatabaseSettings;
extern TWindowSlot<TdlgRemoveSeveral> dlgRemoveSeveral;
extern TWindowSlot<TdlgEditSeveral> dlgEditSeveral;
// Not one of the ten: the Loans window, made on its first use like a dialog.
extern TWindowSlot<TfrmLoans> frmLoans;
// The History window, made on its first use like the Loans window.
extern TWindowSlot<TfrmHistory> frmHistory;
// The Book details window, made on its first use like the Loans window.
extern TWindowSlot<TfrmBookDetails> frmBookDetails;
// The Statistics window, made on its first use like the Loans window.
extern TWindowSlot<TfrmStatistics> frmStatistics;
// The catalogue to hand out (web page, PDF), made on its first use.
extern TWindowSlot<TdlgCatalogue> dlgCatalogue;
// The lookup by ISBN, a dialog made on its first use.
extern TWindowSlot<TdlgLookUpIsbn> dlgLookUpIsbn;
// The scan line, made on its first use like the Loans window.
extern TWindowSlot<TfrmScanIsbn> frmScanIsbn;
