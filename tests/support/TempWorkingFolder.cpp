#include "tests/support/TempWorkingFolder.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

TTempWorkingFolder::TTempWorkingFolder() : Former(QDir::currentPath())
{
    if (!Dir.isValid() || !QDir::setCurrent(Dir.path()))
        throw std::runtime_error("cannot make a temporary working folder");
}

TTempWorkingFolder::~TTempWorkingFolder()
{
    QDir::setCurrent(Former);
}

std::string TTempWorkingFolder::FilePath(const std::string& name) const
{
    return (Dir.path() + "/" + QString::fromStdString(name)).toStdString();
}

void TTempWorkingFolder::WriteFile(const std::string& name, const std::string& bytes) const
{
    QFile file(QString::fromStdString(FilePath(name)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        throw std::runtime_error("cannot write test file " + name);
}

std::string TTempWorkingFolder::ReadFile(const std::string& name) const
{
    QFile file(QString::fromStdString(FilePath(name)));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read test file " + name);
    return file.readAll().toStdString();
}

bool TTempWorkingFolder::Exists(const std::string& name) const
{
    return QFile::exists(QString::fromStdString(FilePath(name)));
}

void TTempWorkingFolder::Remove(const std::string& name) const
{
    QFile::remove(QString::fromStdString(FilePath(name)));
}

std::vector<std::string> TTempWorkingFolder::FileNames() const
{
    std::vector<std::string> names;
    const QStringList entries =
        QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries)
        names.push_back(entry.toStdString());
    return names;
}

std::string CrLfLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}
