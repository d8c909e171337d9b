#pragma once
// Reads back the first worksheet of an .xlsx file the export wrote: cell
// reference ("B3") -> value, shared strings as QString, numbers as double.
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QXmlStreamReader>

namespace xlsx {

// One member of the workbook's zip file.
inline QByteArray member(const QString& path, const QString& name)
{
    QProcess unzip;
    unzip.start("unzip", {"-p", path, name});
    if (!unzip.waitForFinished(10000) || unzip.exitCode() != 0)
        qFatal("unzip %s %s failed", qPrintable(path), qPrintable(name));
    return unzip.readAllStandardOutput();
}

// sheet: "sheet1" for the first worksheet, "sheet2" for the second.
inline QMap<QString, QVariant> readCells(const QString& path, const QString& sheet = "sheet1")
{
    QStringList strings;
    QXmlStreamReader s(member(path, "xl/sharedStrings.xml"));
    while (s.readNextStartElement() || !s.atEnd()) {
        if (s.isStartElement() && s.name() == u"si")
            strings << s.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (!s.isStartElement())
            s.readNext();
    }
    QMap<QString, QVariant> cells;
    QXmlStreamReader x(member(path, "xl/worksheets/" + sheet + ".xml"));
    QString ref, type;
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement())
            continue;
        if (x.name() == u"c") {
            ref = x.attributes().value("r").toString();
            type = x.attributes().value("t").toString();
        } else if (x.name() == u"v") {
            const QString v = x.readElementText();
            cells[ref] = type == "s" ? QVariant(strings.value(v.toInt())) : QVariant(v.toDouble());
        }
    }
    return cells;
}

// The row number of the first cell in column A holding text.
inline int rowOf(const QMap<QString, QVariant>& cells, const QString& text)
{
    for (auto it = cells.begin(); it != cells.end(); ++it)
        if (it.key().startsWith(u'A') && it.value().toString() == text)
            return it.key().mid(1).toInt();
    return 0;
}

}  // namespace xlsx
