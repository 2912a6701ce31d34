#include "platform/gui/FontChooser.h"

#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

#include <algorithm>
#include <utility>

namespace {

struct TStyleEntry {
    const char* Caption;
    bool Bold, Italic;
};

constexpr TStyleEntry StyleEntries[] = {
    {"Regular", false, false}, {"Italic", false, true}, {"Bold", true, false}, {"Bold Italic", true, true}};

} // namespace

TFontChooser::TFontChooser(const QFont& initial, int minSize, int maxSize, QWidget* parent)
    : QDialog(parent), Initial(initial)
{
    setWindowTitle(QStringLiteral("Font"));
    if (maxSize < minSize)
        std::swap(minSize, maxSize);

    Face = new QFontComboBox(this);
    // A face the system lacks ("MS Sans Serif" here) is shown as its substitute.
    Face->setCurrentFont(QFont(QFontInfo(initial).family()));

    Style = new QListWidget(this);
    for (const TStyleEntry& entry : StyleEntries)
        Style->addItem(QString::fromLatin1(entry.Caption));

    Sizes = new QListWidget(this);
    const int startSize = std::clamp(initial.pointSize() > 0 ? initial.pointSize() : minSize, minSize, maxSize);
    for (int size = minSize; size <= maxSize; ++size) {
        Sizes->addItem(QString::number(size));
        if (size == startSize)
            Sizes->setCurrentRow(Sizes->count() - 1);
    }

    Sample = new QLabel(QStringLiteral("AaBbYyZz"), this);
    Sample->setMinimumHeight(40);
    Sample->setAlignment(Qt::AlignCenter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    const std::pair<const char*, QWidget*> captions[] = {{"&Font:", Face}, {"Font st&yle:", Style}, {"&Size:", Sizes}};
    for (int column = 0; column < 3; ++column) {
        auto* label = new QLabel(QString::fromLatin1(captions[column].first), this);
        label->setBuddy(captions[column].second);
        layout->addWidget(label, 0, column);
    }
    layout->addWidget(Face, 1, 0, Qt::AlignTop);
    layout->addWidget(Style, 1, 1);
    layout->addWidget(Sizes, 1, 2);
    layout->addWidget(Sample, 2, 0, 1, 3);
    layout->addWidget(buttons, 3, 0, 1, 3);

    connect(Face, &QFontComboBox::currentFontChanged, this, &TFontChooser::UpdateSample);
    connect(Style, &QListWidget::currentRowChanged, this, &TFontChooser::UpdateSample);
    connect(Sizes, &QListWidget::currentRowChanged, this, &TFontChooser::UpdateSample);
    UpdateSample();
}

QFont TFontChooser::SelectedFont() const
{
    QFont font = Initial;
    // The face stays as it was passed in unless the user chose another one, so
    // a font known by a substitute keeps its own name.
    if (Face->currentFont().family() != QFontInfo(Initial).family())
        font.setFamily(Face->currentFont().family());
    if (const int row = Style->currentRow(); row >= 0 && row < static_cast<int>(std::size(StyleEntries))) {
        font.setBold(StyleEntries[row].Bold);
        font.setItalic(StyleEntries[row].Italic);
    }
    if (const QListWidgetItem* size = Sizes->currentItem())
        font.setPointSize(size->text().toInt());
    return font;
}

void TFontChooser::UpdateSample()
{
    Sample->setFont(SelectedFont());
}
