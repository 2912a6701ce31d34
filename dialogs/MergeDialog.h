// The clashes of a merge with a sync tool's conflict copy (engine/Merge): the
// fields both computers changed differently, one list for all, each row the
// book, the field, this computer's value and the copy's. The user ticks the
// rows whose value is to come from the copy and merges; "Later" merges
// nothing and leaves the copy where it is, for the next start.
#pragma once

#include "engine/Merge.h"
#include "widgets/DialogBase.h"

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

class TdlgMerge : public TDialogBase {
    Q_OBJECT

public:
    // clashes: the plan's, whose choices Merge writes back.
    TdlgMerge(std::vector<Merge::TClash>& clashes, const QString& copyName, QWidget* parent = nullptr);

    void btnMergeClick();
    void btnLaterClick();

    QLabel* lblIntro = nullptr;
    QTreeWidget* lstClashes = nullptr;
    QPushButton* btnMerge = nullptr;
    QPushButton* btnLater = nullptr;

private:
    std::vector<Merge::TClash>& Clashes;
};
