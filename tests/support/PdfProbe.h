#pragma once
// What poppler's tools say of a PDF file: its information, its text, its pages as grey images.
#include <QImage>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

inline QString PdfTool(const QString& Program, const QStringList& Args)
{
    QProcess p;
    p.start(Program, Args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The value of one field of pdfinfo ("Pages", "Title", "Page size").
inline QString PdfInfo(const QString& File, const QString& Field)
{
    for (const QString& line : PdfTool(QStringLiteral("pdfinfo"), {File}).split(u'\n'))
        if (line.startsWith(Field + u':')) return line.mid(Field.size() + 1).trimmed();
    return QString();
}

inline QString PdfText(const QString& File)
{
    return PdfTool(QStringLiteral("pdftotext"), {File, QStringLiteral("-")});
}

// Page Page (from 1) at 100 dpi in grey.
inline QImage PdfPage(const QString& File, int Page)
{
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("p"));
    PdfTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-gray"),
                                         QStringLiteral("-f"), QString::number(Page), QStringLiteral("-l"),
                                         QString::number(Page), QStringLiteral("-singlefile"), File, stem});
    return QImage(stem + QStringLiteral(".pgm"));
}
