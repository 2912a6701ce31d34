// The about dialog. The two links are plain labels drawn like links; a left
// click released over one, or Enter or Space while it has the focus, asks the
// shell to open it. The links are in the Tab chain after Close; the credits
// box is read-only and out of it (a click still puts the focus there to scroll).
#include "dialogs/AboutDialog.h"

#include "platform/gui/Platform.h"
#include "platform/gui/Shell.h"
#include "widgets/DialogControls.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace DialogControls;

namespace {

const char* const Copyright = "Copyright (c) 2003 Quenfir.";

QLabel* Header(const QString& text, int points, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(points);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLabel* Link(const QString& text, QWidget* parent, int x, int y)
{
    QLabel* label = Label(text, parent, x, y);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::StrongFocus);
    label->setAccessibleName(text);
    label->setAccessibleDescription(QStringLiteral("Link"));
    // A frame the width of the focus, drawn only while the link has it.
    label->setLineWidth(1);
    label->adjustSize();
    label->resize(label->width() + 4, label->height() + 2);
    label->setIndent(2);
    return label;
}

} // namespace

TdlgAbout::TdlgAbout(QWidget* parent) : TDialogBase(parent)
{
    SetUpWindow(QStringLiteral("About Volumnia"), 297, 385);

    btnClose = Button(QIcon(), QStringLiteral("&Close"), this, 182, 8, TButtonKind::Default);

    lblHeader1 = Header(QStringLiteral("Quenfir"), 16, this, 8, 8);
    lblHeader2 = Header(QStringLiteral("Volumnia"), 20, this, 8, 36);

    lblVersion = Label(QStringLiteral("Version 2.1"), this, 24, 84);
    lblCopyright = Label(QString::fromLatin1(Copyright), this, 24, 104);
    lblRights = Label(QStringLiteral("All rights reserved."), this, 24, 120);
    lblReleased = Label(QStringLiteral("Released 17th of November 2003."), this, 24, 140);
    lblEmail = Link(QString::fromLatin1(SupportEmail), this, 24, 164);
    lblInternet = Link(QString::fromLatin1(WebAddress), this, 24, 180);

    grpCredits = new QGroupBox(QStringLiteral("Credits"), this);
    MakeBold(grpCredits);
    grpCredits->setGeometry(8, 204, 281, 173);

    Credits = new QPlainTextEdit(grpCredits);
    // The group's bold caption must not make the list bold too.
    QFont plain = font();
    plain.setBold(false); // set explicitly, or the weight is inherited from the group
    Credits->setFont(plain);
    Credits->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Credits->setLineWrapMode(QPlainTextEdit::NoWrap);
    Credits->setPlainText(CreditLines().join(QLatin1Char('\n')));
    Credits->setGeometry(8, 20, 265, 145);

    Credits->setReadOnly(true);
    Credits->setFocusPolicy(Qt::ClickFocus);
    Credits->installEventFilter(this);
    setTabOrder(btnClose, lblEmail);
    setTabOrder(lblEmail, lblInternet);

    lblEmail->installEventFilter(this);
    lblInternet->installEventFilter(this);
    ConnectClick(btnClose, &TdlgAbout::btnCloseClick);
}

QStringList TdlgAbout::CreditLines()
{
    const QString copyright = QString::fromLatin1(Copyright);
    const QString web = QString::fromLatin1(WebAddress);
    return {
        QStringLiteral("Quenfir Setup Builder 3.0"),
        QStringLiteral("Copyright (c) 2003 Quenfir."),
        QStringLiteral("https://setup.quenfir.example/"),
        QStringLiteral("(installation software)"),
        QString(),
        QStringLiteral("Quenfir ORBL 1.4 (12.11.2003)"),
        copyright,
        web,
        QStringLiteral("(database)"),
        QString(),
        QStringLiteral("Quenfir KELT 1.1 (12.11.2003)"),
        copyright,
        web,
        QStringLiteral("(settings database)"),
    };
}

void TdlgAbout::lblEmailClick()
{
    TPlatform::Shell().Open(QStringLiteral("mailto:") + QString::fromLatin1(SupportEmail));
}

void TdlgAbout::lblInternetClick()
{
    TPlatform::Shell().Open(QString::fromLatin1(WebAddress));
}

void TdlgAbout::btnCloseClick()
{
    accept();
}

bool TdlgAbout::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == lblEmail || watched == lblInternet) &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        static_cast<QLabel*>(watched)->setFrameShape(event->type() == QEvent::FocusIn ? QFrame::Box : QFrame::NoFrame);
    if ((watched == lblEmail || watched == lblInternet) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            if (watched == lblEmail)
                TErrorHandler::Guard([this] { lblEmailClick(); });
            else
                TErrorHandler::Guard([this] { lblInternetClick(); });
            return true;
        }
    }
    // Enter in the credits box, there to be scrolled, is not taken for Close.
    if (watched == Credits && event->type() == QEvent::KeyPress &&
        (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
         static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter))
        return true;
    // A click is a left button released over the label it was pressed on.
    if ((watched == lblEmail || watched == lblInternet) && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = static_cast<QLabel*>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            if (label == lblEmail)
                TErrorHandler::Guard([this] { lblEmailClick(); });
            else
                TErrorHandler::Guard([this] { lblInternetClick(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
