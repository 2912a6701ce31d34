#include "dialogs/MergeDialog.h"

#include "platform/Cp1252.h"
#include "widgets/DialogControls.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

using namespace DialogControls;

namespace {

QString Version(const std::optional<TItem>& book, const std::string& unit)
{
    if (!book)
        return QStringLiteral("(removed)");
    return QString::fromStdString(Merge::UnitText(*book, unit));
}

} // namespace

TdlgMerge::TdlgMerge(std::vector<Merge::TClash>& clashes, const QString& copyName, QWidget* parent)
    : TDialogBase(parent), Clashes(clashes)
{
    SetUpWindow(QStringLiteral("Merge"), 560, 330);
    lblIntro = Label(QStringLiteral("Both computers changed these fields. Tick those to take from the copy %1; "
                                    "the others keep this computer's value.")
                         .arg(copyName),
                     this, 8, 8);
    lblIntro->setWordWrap(true);
    lblIntro->setGeometry(8, 8, 544, 34);
    lstClashes = new QTreeWidget(this);
    lstClashes->setGeometry(8, 48, 544, 230);
    lstClashes->setRootIsDecorated(false);
    lstClashes->setHeaderLabels(
        {QStringLiteral("Book"), QStringLiteral("Field"), QStringLiteral("This computer"), QStringLiteral("The copy")});
    lstClashes->setAccessibleName(QStringLiteral("Fields changed on both computers"));
    lblIntro->setBuddy(lstClashes);
    for (const Merge::TClash& clash : Clashes) {
        const std::optional<TItem>& book = clash.Ours ? clash.Ours : clash.Theirs;
        auto* row = new QTreeWidgetItem(
            lstClashes, {QString::number(clash.ID) + QStringLiteral(" ") + Cp1252::ToQString(book->Fields[0]),
                         QString::fromStdString(Merge::UnitCaption(clash.Unit)), Version(clash.Ours, clash.Unit),
                         Version(clash.Theirs, clash.Unit)});
        row->setCheckState(0, clash.TakeTheirs ? Qt::Checked : Qt::Unchecked);
    }
    lstClashes->header()->resizeSections(QHeaderView::ResizeToContents);

    Rule(this, 8, 286, 544);
    btnLater = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Later"), this, 8, 296, TButtonKind::Plain);
    btnMerge = Button(QStyle::SP_DialogApplyButton, QStringLiteral("&Merge"), this, 437, 296, TButtonKind::Plain);
    SetTabOrder({lstClashes, btnMerge, btnLater});
    ConnectClick(btnMerge, &TdlgMerge::btnMergeClick);
    ConnectClick(btnLater, &TdlgMerge::btnLaterClick);
}

void TdlgMerge::btnMergeClick()
{
    for (int i = 0; i < lstClashes->topLevelItemCount(); ++i)
        Clashes[static_cast<size_t>(i)].TakeTheirs = lstClashes->topLevelItem(i)->checkState(0) == Qt::Checked;
    done(QDialog::Accepted);
}

void TdlgMerge::btnLaterClick()
{
    reject();
}
