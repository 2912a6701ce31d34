// A dialog's slot: the dialog is made once, when first reached, every
// accessor hands out that same dialog, and after the end none is made again.
#include "app/WindowSlot.h"

#include <QDialog>

#include <gtest/gtest.h>

namespace {

class TCountedDialog : public QDialog {
public:
    TCountedDialog() { ++Made; }
    ~TCountedDialog() override { ++Deleted; }
    static inline int Made = 0;
    static inline int Deleted = 0;
};

TCountedDialog* MakeCounted(QDialog*& asDialog)
{
    auto* dialog = new TCountedDialog;
    asDialog = dialog;
    return dialog;
}

TEST(WindowSlot, MakesItsDialogOnceOnFirstReachAndHandsOutThatOne)
{
    TCountedDialog::Made = TCountedDialog::Deleted = 0;
    TWindowSlot<TCountedDialog> slot;
    EXPECT_EQ(slot.Get(), nullptr) << "not armed";
    slot.Arm(&MakeCounted);
    EXPECT_FALSE(slot.Made());
    EXPECT_EQ(TCountedDialog::Made, 0) << "arming makes nothing";

    QDialog& dialog = slot.Dialog();
    EXPECT_TRUE(slot.Made());
    EXPECT_EQ(&dialog, static_cast<QDialog*>(slot.Get()));
    EXPECT_EQ(&*slot, slot.Get());
    EXPECT_EQ(&slot.Dialog(), &dialog);
    EXPECT_EQ(TCountedDialog::Made, 1);

    slot.Destroy();
    EXPECT_EQ(TCountedDialog::Deleted, 1);
    EXPECT_FALSE(slot.Made());
    EXPECT_EQ(slot.Get(), nullptr);
    EXPECT_EQ(TCountedDialog::Made, 1) << "no dialog after the end";
}

} // namespace
