#pragma once
// The recent-file list of the "Файл" menu, kept in the settings under "Recent File List" as
// File1 (the newest) to File4, so that it survives a restart.

#include <QString>
#include <QStringList>

class CRecentFileList {
public:
    explicit CRecentFileList(int size);

    // Reads the list from the application's settings.
    void Load();
    // Puts the file first; a file already listed moves up. The settings follow at once.
    void Add(const QString& path);
    void Remove(int index);

    const QStringList& Files() const { return m_files; }
    int Size() const { return m_nSize; }

    // The menu text of entry index: its number and the file's path, shortened in the middle
    // when long; the "&" of the number makes it the item's key.
    static QString MenuText(int index, const QString& path);

private:
    void Save() const;

    int m_nSize;
    QStringList m_files;
};
