// The shared control factories of the dialogs. Each sets only what every
// caller wants; a dialog adds its own touches (geometry of odd controls,
// fonts inside bold group boxes) after the call.
#include "widgets/DialogControls.h"

#include "widgets/BookFieldNames.h"
#include "widgets/LazyIconEngine.h"

#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

namespace DialogControls {

namespace {

QLabel* AtNaturalSize(QLabel* label, int x, int y)
{
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

QFont DialogFont()
{
    return QFont(QStringLiteral("Tahoma"), 8);
}

void MakeBold(QWidget* widget)
{
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}

QLabel* Label(const QString& text, QWidget* parent, int x, int y)
{
    return AtNaturalSize(new QLabel(text, parent), x, y);
}

QLabel* BoldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    MakeBold(label);
    return label;
}

QLabel* BoldLabel(const QString& text, QWidget* parent, int x, int y)
{
    // Sized after the font turns bold, or the text would be cut off.
    return AtNaturalSize(BoldLabel(text, parent), x, y);
}

QLineEdit* EditBox(QWidget* parent, int x, int y, int width)
{
    auto* box = new QLineEdit(parent);
    box->setGeometry(x, y, width, EditHeight);
    return box;
}

QFrame* Rule(QWidget* parent, int x, int y, int width)
{
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(x, y, width, 2);
    return rule;
}

QPushButton* Button(const QIcon& icon, const QString& caption, QWidget* parent, int x, int y, TButtonKind kind)
{
    auto* button = new QPushButton(icon, caption, parent);
    button->setGeometry(x, y, ButtonWidth, ButtonHeight);
    if (kind == TButtonKind::Default)
        button->setDefault(true);
    else
        button->setAutoDefault(false);
    return button;
}

QPushButton* Button(QStyle::StandardPixmap picture, const QString& caption, QWidget* parent, int x, int y,
                    TButtonKind kind)
{
    return Button(TLazyIconEngine::Standard(picture), caption, parent, x, y, kind);
}

bool PressFocusedButton(const QWidget* window, QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    auto* button = qobject_cast<QPushButton*>(window->focusWidget());
    if (!button || !button->isVisible() || !button->isEnabled())
        return false;
    event->accept();
    button->click();
    return true;
}

QStringList FieldNameList()
{
    QStringList names;
    for (const char* name : BookFieldNames)
        names << QString::fromLatin1(name);
    return names;
}

QComboBox* FieldComboBox(QWidget* parent, const QString& accessibleName)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(FieldNameList());
    box->setAccessibleName(accessibleName);
    box->lineEdit()->setAccessibleName(accessibleName);
    return box;
}

} // namespace DialogControls
