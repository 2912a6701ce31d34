// A fresh temporary folder made the process's working folder for one test,
// with helpers to write and read its files as raw bytes. The former working
// folder comes back and the folder is removed when the object goes.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <string>
#include <vector>

class TTempWorkingFolder {
public:
    TTempWorkingFolder();
    ~TTempWorkingFolder();

    QString Path() const { return Dir.path(); }
    std::string FilePath(const std::string& name) const;
    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;
    bool Exists(const std::string& name) const;
    void Remove(const std::string& name) const;
    // Every file name in the folder, sorted (to spot stray temporary files).
    std::vector<std::string> FileNames() const;

private:
    QTemporaryDir Dir;
    QString Former;
};

// Joins lines with CR LF after each line, the last included.
std::string CrLfLines(const std::vector<std::string>& lines);
