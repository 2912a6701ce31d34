#include "widgets/CoverThumbnails.h"

#include "widgets/CoverImage.h"

#include <QTimer>

#include <algorithm>

void TCoverThumbnails::SetDatabase(const std::string& database)
{
    if (database == Database)
        return;
    Database = database;
    Kept.clear();
    Wanted.clear();
}

QPixmap TCoverThumbnails::Thumbnail(const std::string& value)
{
    if (value.empty())
        return {};
    if (const QPixmap* kept = Kept.object(QString::fromStdString(value)))
        return *kept;
    if (std::find(Wanted.begin(), Wanted.end(), value) == Wanted.end())
        Wanted.push_back(value);
    if (!std::exchange(Scheduled, true))
        QTimer::singleShot(0, this, [this] { ReadWanted(); });
    return {};
}

void TCoverThumbnails::ReadWanted()
{
    Scheduled = false;
    if (Wanted.empty())
        return;
    for (const std::string& value : std::exchange(Wanted, {})) {
        ++FReads;
        Kept.insert(QString::fromStdString(value),
                    new QPixmap(QPixmap::fromImage(CoverImage::Read(Database, value, Box))));
    }
    emit Ready();
}
