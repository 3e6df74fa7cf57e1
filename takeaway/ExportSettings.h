#pragma once

#include <QSettings>
#include <QString>

// What the user chose the last time a list was exported: the file format and the folder. Kept in
// the user's own settings, so that the next export, in this run or a later one, offers them.
class ExportSettings
{
public:
    enum class Format { Xlsx, Csv };

    ExportSettings();
    ExportSettings(const ExportSettings &) = delete;
    ExportSettings &operator=(const ExportSettings &) = delete;

    Format format() const;  // a spreadsheet file until the user chooses otherwise
    QString folder() const; // empty until a first export
    void remember(Format format, const QString &folder);

private:
    QSettings m_settings;
};
