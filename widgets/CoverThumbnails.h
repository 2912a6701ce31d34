// TCoverThumbnails: the small cover pictures of a list. A picture asked for
// the first time is read a moment later, in the event loop (Ready then says
// so, and the list paints again), so that a paint never waits on a file and
// a start that shows a list of covers reads none before its windows stand;
// each is then kept (the newest few hundred), so that scrolling back reads
// nothing and nothing is read for rows never shown.
#pragma once

#include <QCache>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <string>
#include <vector>

class TCoverThumbnails : public QObject {
    Q_OBJECT

public:
    explicit TCoverThumbnails(QSize box, QObject* parent = nullptr) : QObject(parent), Box(box) {}

    // The database whose covers are shown; another forgets the pictures kept.
    void SetDatabase(const std::string& database);
    // The picture of a "cover" value fitted to the box, once read; a null
    // pixmap until then, for no value, and for a file that cannot be read
    // (asked again only after SetDatabase).
    QPixmap Thumbnail(const std::string& value);
    // How many files were read, for tests and the benchmark.
    int Reads() const { return FReads; }

signals:
    // Pictures asked for were read: what shows them may paint again.
    void Ready();

private:
    void ReadWanted();

    QSize Box;
    std::string Database;
    QCache<QString, QPixmap> Kept{400};
    std::vector<std::string> Wanted;
    bool Scheduled = false;
    int FReads = 0;
};
