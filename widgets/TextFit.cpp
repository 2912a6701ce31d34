#include "widgets/TextFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <vector>

namespace TextFit {

namespace {

// Room kept between two controls that had to move apart.
constexpr int NarrowGap = 4;
// The narrowest a self-shortening label is made.
constexpr int NarrowestLabel = 24;

// A data label ends a text that does not fit in "...", so it may narrow.
bool Flexible(const QWidget* control)
{
    return control->inherits("TDataLabel");
}

int PushButtonWidth(const QPushButton* button)
{
    // The label is the icon, 4 pixels and the text, centred in the contents
    // rectangle the style leaves inside the bevel.
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (button->isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (button->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const int bevel = button->width() - contents.width();
    int label = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
    if (!button->icon().isNull())
        label += button->iconSize().width() + 4;
    return label + bevel;
}

struct TSlot {
    QWidget* Control;
    QRect Before;
    int Width; // what it is to get
};

// Moves and sizes one row of controls (sorted left to right) so that each
// gets its Width within [left, right], changing as little as it can.
void FitRow(std::vector<TSlot>& row, int left, int right)
{
    std::vector<int> x(row.size());
    std::vector<int> width(row.size());
    const int gap = NarrowGap;
    for (size_t i = 0; i < row.size(); ++i) {
        x[i] = row[i].Before.x();
        width[i] = row[i].Width;
    }
    // Left to right: push each control clear of the one before it; a
    // flexible one keeps its right edge and narrows instead, while it can.
    for (size_t i = 1; i < row.size(); ++i) {
        const int start = x[i - 1] + width[i - 1] + gap;
        if (start <= x[i])
            continue;
        if (Flexible(row[i].Control) && x[i] + width[i] - start >= NarrowestLabel)
            width[i] = x[i] + width[i] - start;
        x[i] = start;
    }
    // Right to left: pull back whatever now passes the right edge.
    int limit = right;
    for (size_t i = row.size(); i-- > 0;) {
        if (x[i] + width[i] > limit)
            x[i] = std::max(left, limit - width[i]);
        limit = x[i] - gap;
    }
    for (size_t i = 0; i < row.size(); ++i)
        row[i].Control->setGeometry(x[i], row[i].Before.y(), width[i], row[i].Before.height());
}

void FitChildren(QWidget* parent)
{
    std::vector<QWidget*> placed;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow())
            continue;
        FitChildren(child);
        const bool byLayout = parent->layout() && parent->layout()->indexOf(child) >= 0;
        if (!byLayout)
            placed.push_back(child);
    }
    for (QWidget* control : placed) {
        const int needed = NeededWidth(control);
        if (needed <= control->width() || Flexible(control))
            continue;
        // The row: the controls beside this one, their heights overlapping.
        const QRect band = control->geometry();
        std::vector<TSlot> row;
        for (QWidget* other : placed) {
            const QRect g = other->geometry();
            if (g.top() <= band.bottom() && g.bottom() >= band.top())
                row.push_back({other, g, std::max(g.width(), Flexible(other) ? 0 : NeededWidth(other))});
        }
        std::sort(row.begin(), row.end(), [](const TSlot& a, const TSlot& b) { return a.Before.x() < b.Before.x(); });
        // The row keeps its left margin and gets the same one on the right.
        const int left = row.front().Before.x();
        int right = parent->width() - left;
        for (const TSlot& slot : row)
            right = std::max(right, slot.Before.right() + 1);
        FitRow(row, left, right);
    }
}

} // namespace

int NeededWidth(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->text().isEmpty() || label->wordWrap())
            return 0;
        return label->sizeHint().width();
    }
    if (auto* button = qobject_cast<const QPushButton*>(control))
        return button->text().isEmpty() ? 0 : PushButtonWidth(button);
    if (qobject_cast<const QRadioButton*>(control) || qobject_cast<const QCheckBox*>(control))
        return control->sizeHint().width();
    return 0;
}

void FitWindow(QWidget* window)
{
    window->ensurePolished();
    FitChildren(window);
}

} // namespace TextFit
