// The behaviour every dialog inherits (activation, Escape and Enter, guarded
// handlers, tab order) and the shared control factories, tried on a small
// dialog of the test's own so that no engine or file is involved.
#include "tests/support/ScriptedPlatform.h"
#include "widgets/BookFieldNames.h"
#include "widgets/DialogBase.h"
#include "widgets/DialogControls.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace DialogControls;

namespace {

class TProbeDialog : public TDialogBase {
public:
    TProbeDialog(TActivation activation, bool withDefaultButton) : TDialogBase(nullptr, activation)
    {
        SetUpWindow(QStringLiteral("Probe"), 300, 120);
        edtText = EditBox(this, 8, 8, 200);
        btnPlain = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Plain"), this, 8, 80, TButtonKind::Plain);
        btnMain = Button(QIcon(), QStringLiteral("&Main"), this, 120, 80,
                         withDefaultButton ? TButtonKind::Default : TButtonKind::Plain);
        ConnectClick(btnPlain, &TProbeDialog::btnPlainClick);
        ConnectClick(btnMain, &TProbeDialog::btnMainClick);
    }

    void FormActivate() override
    {
        ++Activations;
        if (FailActivation)
            throw std::runtime_error("Settings gone");
        edtText->clear();
    }
    void btnPlainClick()
    {
        ++PlainClicks;
        if (FailPlain)
            throw std::runtime_error("Plain failed!");
    }
    void btnMainClick() { ++MainClicks; }

    // The window system bringing the dialog back after the program was minimised.
    void Restore()
    {
        QWindowStateChangeEvent restored(Qt::WindowMinimized);
        QCoreApplication::sendEvent(this, &restored);
    }

    using TDialogBase::SetTabOrder;

    QLineEdit* edtText = nullptr;
    QPushButton* btnPlain = nullptr;
    QPushButton* btnMain = nullptr;
    int Activations = 0;
    int PlainClicks = 0;
    int MainClicks = 0;
    bool FailActivation = false;
    bool FailPlain = false;
};

class DialogBaseTest : public ::testing::Test {
protected:
    TScriptedPlatform Platform;
};

using TActivation = TDialogBase::TActivation;

} // namespace

TEST_F(DialogBaseTest, ActivationRunsAtEachOpeningAndOnRestoreOnlyWhenAsked)
{
    struct TCase {
        const char* Name;
        TActivation Activation;
        int AfterRestore; // activations after opening once and restoring
        QString TextAfterRestore;
    };
    const TCase cases[] = {
        {"restore keeps what was typed", TActivation::OnOpening, 1, QStringLiteral("typed")},
        {"restore refills", TActivation::EveryShow, 2, QString()},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TProbeDialog dialog(c.Activation, true);
        dialog.edtText->setText(QStringLiteral("before"));
        dialog.show();
        EXPECT_EQ(dialog.Activations, 1);
        EXPECT_EQ(dialog.edtText->text(), QString()); // filled before the user sees it

        dialog.edtText->setText(QStringLiteral("typed"));
        dialog.Restore();
        EXPECT_EQ(dialog.Activations, c.AfterRestore);
        EXPECT_EQ(dialog.edtText->text(), c.TextAfterRestore);

        // Hidden between uses, never destroyed: the next opening activates again.
        dialog.hide();
        dialog.show();
        EXPECT_EQ(dialog.Activations, c.AfterRestore + 1);
        dialog.hide();
    }
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(DialogBaseTest, FailingActivationIsShownAndTheDialogStillOpens)
{
    TProbeDialog dialog(TActivation::OnOpening, true);
    dialog.FailActivation = true;
    dialog.edtText->setText(QStringLiteral("kept"));
    dialog.show();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.edtText->text(), QStringLiteral("kept"));
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{QStringLiteral("Settings gone.")});

    dialog.hide();
    dialog.FailActivation = false;
    dialog.show();
    EXPECT_EQ(dialog.Activations, 2);
    EXPECT_EQ(dialog.edtText->text(), QString());
}

TEST_F(DialogBaseTest, EscapeNeverClosesAndEnterPressesTheFocusedButtonElseTheDefault)
{
    struct TCase {
        const char* Name;
        bool WithDefault;
        bool FocusOnPlain;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        int Main;  // clicks of "&Main" afterwards
        int Plain; // clicks of "&Plain" afterwards
    };
    const TCase cases[] = {
        {"Escape", true, false, Qt::Key_Escape, Qt::NoModifier, 0, 0},
        {"Shift+Escape", true, false, Qt::Key_Escape, Qt::ShiftModifier, 0, 0},
        {"Escape on a button", true, true, Qt::Key_Escape, Qt::NoModifier, 0, 0},
        {"Return presses the default", true, false, Qt::Key_Return, Qt::NoModifier, 1, 0},
        {"keypad Enter presses the default", true, false, Qt::Key_Enter, Qt::KeypadModifier, 1, 0},
        {"Return on a focused plain button presses it", true, true, Qt::Key_Return, Qt::NoModifier, 0, 1},
        {"Return without a default presses nothing", false, false, Qt::Key_Return, Qt::NoModifier, 0, 0},
        {"keypad Enter on a focused plain button", false, true, Qt::Key_Enter, Qt::KeypadModifier, 0, 1},
        {"Space still presses a focused plain button", false, true, Qt::Key_Space, Qt::NoModifier, 0, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TProbeDialog dialog(TActivation::OnOpening, c.WithDefault);
        dialog.show();
        QWidget* target = c.FocusOnPlain ? static_cast<QWidget*>(dialog.btnPlain) : dialog.edtText;
        target->setFocus();
        dialog.edtText->setText(QStringLiteral("typed"));
        dialog.setResult(-1);
        QTest::keyClick(target, c.Key, c.Modifiers);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), -1); // neither accepted nor rejected
        EXPECT_EQ(dialog.edtText->text(), QStringLiteral("typed"));
        EXPECT_EQ(dialog.MainClicks, c.Main);
        EXPECT_EQ(dialog.PlainClicks, c.Plain);
        dialog.hide();
    }
}

TEST_F(DialogBaseTest, ClickHandlersRunOnceAndTheirErrorsAreShown)
{
    TProbeDialog dialog(TActivation::OnOpening, true);
    dialog.show();
    dialog.btnMain->click();
    dialog.btnMain->click();
    EXPECT_EQ(dialog.MainClicks, 2);

    dialog.FailPlain = true;
    dialog.btnPlain->click(); // must not escape into the event loop
    EXPECT_EQ(dialog.PlainClicks, 1);
    EXPECT_TRUE(dialog.isVisible());
    // The message already ends in a character below '.', so nothing is appended.
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{QStringLiteral("Plain failed!")});
}

TEST_F(DialogBaseTest, TabFollowsTheGivenOrderNotTheCreationOrder)
{
    // The focus chain is a ring through the (unfocusable) dialog itself; Tab
    // walks it from stop to stop.
    const auto nextStop = [](QWidget* widget) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        return widget;
    };
    // Widget 0 is the edit box, 1 "&Plain", 2 "&Main" (made in that order),
    // 3 and 4 two more edit boxes made last.
    const std::vector<std::vector<int>> orders = {
        {4, 1, 2},       // part of the widgets: the others keep their places
        {4, 2, 3, 0, 1}, // all of them, against the creation order
        {0, 3},          // two only
    };
    for (const std::vector<int>& order : orders) {
        TProbeDialog dialog(TActivation::OnOpening, true);
        const QList<QWidget*> widgets{dialog.edtText, dialog.btnPlain, dialog.btnMain, EditBox(&dialog, 8, 40, 50),
                                      EditBox(&dialog, 60, 40, 50)};
        QList<QWidget*> wanted;
        for (int index : order)
            wanted << widgets[index];
        dialog.SetTabOrder(wanted);
        QList<QWidget*> walked{wanted[0]};
        while (walked.size() < wanted.size())
            walked << nextStop(walked.last());
        EXPECT_EQ(walked, wanted) << "order starting with " << order[0];
    }
}

TEST_F(DialogBaseTest, WindowCannotBeResized)
{
    TProbeDialog dialog(TActivation::OnOpening, true);
    dialog.show();
    dialog.resize(500, 400);
    EXPECT_EQ(dialog.size(), QSize(300, 120));
    EXPECT_EQ(dialog.edtText->font().family(), QStringLiteral("Tahoma")); // the face reaches the controls
}

TEST_F(DialogBaseTest, ButtonsAndCaptionsKeepTheirSizeAndWeight)
{
    QDialog dialog;
    dialog.setFont(DialogFont());
    for (TButtonKind kind : {TButtonKind::Plain, TButtonKind::Default}) {
        QPushButton* button = Button(QStyle::SP_DialogOkButton, QStringLiteral("&Go"), &dialog, 30, 40, kind);
        EXPECT_EQ(button->geometry(), QRect(30, 40, ButtonWidth, ButtonHeight));
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(button->isDefault(), kind == TButtonKind::Default);
        EXPECT_EQ(button->autoDefault(), kind == TButtonKind::Default);
    }

    // A bold caption sized for the bold text, so that nothing is cut off.
    const QString text = QStringLiteral("A fairly long caption WWWW");
    QLabel* plain = Label(text, &dialog, 0, 0);
    QLabel* bold = BoldLabel(text, &dialog, 8, 52);
    EXPECT_TRUE(bold->font().bold());
    EXPECT_FALSE(plain->font().bold());
    EXPECT_EQ(bold->pos(), QPoint(8, 52));
    EXPECT_GE(bold->width(), bold->sizeHint().width());
    EXPECT_GT(bold->width(), plain->width());

    QFrame* rule = Rule(&dialog, 8, 99, 241);
    EXPECT_EQ(rule->frameShape(), QFrame::HLine);
    EXPECT_EQ(rule->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(rule->geometry(), QRect(8, 99, 241, 2));
}

TEST_F(DialogBaseTest, FieldListOffersTheEightNamesAndNeverGrows)
{
    QDialog dialog;
    QComboBox* box = FieldComboBox(&dialog, QStringLiteral("Target field"));
    ASSERT_EQ(box->count(), static_cast<int>(BookFieldNames.size()));
    for (int i = 0; i < box->count(); ++i)
        EXPECT_EQ(box->itemText(i).toStdString(), BookFieldNames[static_cast<size_t>(i)]);
    EXPECT_EQ(box->accessibleName(), QStringLiteral("Target field"));
    EXPECT_EQ(box->lineEdit()->accessibleName(), QStringLiteral("Target field"));

    // A typed name is used as typed, not added to the list.
    dialog.show();
    box->setFocus();
    box->setEditText(QStringLiteral("Shelf"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(box->count(), 8);
    EXPECT_EQ(box->currentText(), QStringLiteral("Shelf"));
}

TEST_F(DialogBaseTest, OpeningMakesTheDialogOwnedByTheWindowItWasGiven)
{
    QWidget owner;
    owner.show();
    TProbeDialog owned(TActivation::OnOpening, true);
    owned.SetOwnerWindow(&owner);
    owned.show();
    ASSERT_NE(owned.windowHandle(), nullptr);
    EXPECT_EQ(owned.windowHandle()->transientParent(), owner.windowHandle());

    // An owner that is gone by the opening leaves the dialog without one.
    TProbeDialog orphan(TActivation::OnOpening, true);
    {
        QWidget gone;
        gone.show();
        orphan.SetOwnerWindow(&gone);
    }
    orphan.show();
    ASSERT_NE(orphan.windowHandle(), nullptr);
    EXPECT_NE(orphan.windowHandle()->transientParent(), owner.windowHandle());
    EXPECT_EQ(orphan.Activations, 1);
}
