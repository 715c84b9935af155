#pragma once
// A small XML pull parser: the whole document is held as text and walked part by part
// (comment, start tag, empty tag, end tag, content, CDATA, processing instruction, document
// type). Tokens come from QXmlStreamReader; their places in the text are found again in the
// source, so that each part knows its first and last character and empty-element tags
// ("<a/>") are reported as such instead of a start and an end tag.
//
// The GPX and KML readers and the test window use it.
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <memory>
#include <vector>

// Kind of the current part.
enum TPartType
{
    ptNone,      // before the first Scan or after the end
    ptXmlProlog, // <?xml version="1.0" ...?>
    ptComment,   // <!-- ... -->
    ptPI,        // <?target data?>
    ptDtdc,      // <!DOCTYPE ...>
    ptStartTag,  // <name ...>
    ptEmptyTag,  // <name .../>
    ptEndTag,    // </name>
    ptContent,   // text between tags (entities resolved)
    ptCData      // <![CDATA[ ... ]]>
};

// Name-value pairs, the attributes of a tag.
class TNvpList
{
public:
    struct TNvp
    {
        QString Name;
        QString Value;
    };
    // Value of the attribute with that name (exact, qualified name), or an empty text.
    QString Value(const QString& Name) const;
    // Same, matching the local name only ("lat" finds "gpx:lat").
    QString LocalValue(const QString& Name) const;
    bool Has(const QString& Name) const;
    int Count() const { return int(fItems.size()); }
    const TNvp& Item(int i) const { return fItems[size_t(i)]; }
    void Clear() { fItems.clear(); }
    void Add(const QString& Name, const QString& Value) { fItems.push_back({Name, Value}); }

private:
    std::vector<TNvp> fItems;
};

class TXmlParser
{
public:
    TXmlParser();
    ~TXmlParser();
    TXmlParser(const TXmlParser&) = delete;
    TXmlParser& operator=(const TXmlParser&) = delete;

    // Normalisation: content is trimmed and parts of content that are only white space are
    // skipped. Off by default.
    bool Normalize = false;

    // Reads the whole file; false when it cannot be read (the parser is then empty). The
    // share mode is kept for the callers' sake; files are always opened read-only.
    bool LoadFromFile(const QString& FileName, int ShareMode = 0);
    // Takes the document from bytes: byte-order mark, else the declared encoding, else UTF-8
    // when the bytes are valid UTF-8, else Windows-1252.
    void LoadFromBuffer(const QByteArray& Data);
    // Takes an already decoded document.
    void SetBuffer(const QString& Text);
    const QString& Buffer() const { return fText; }

    // Starts (again) at the beginning of the document.
    void StartScan();
    // Moves to the next part; false at the end of the document or at the first error.
    bool Scan();

    TPartType CurPartType = ptNone;
    QString CurName;         // tag name as written ("gx:coord"), PI target
    QString CurContent;      // content, comment, CDATA or PI data; at an end tag the text
                             // directly inside that element
    TNvpList CurAttr;        // attributes of a start or empty tag
    qsizetype CurStart = -1; // first character of the part in Buffer()
    qsizetype CurFinal = -1; // last character of the part in Buffer()

    // Local part of CurName ("coord" for "gx:coord").
    QString CurLocalName() const;
    // Characters from Start to Final inclusive (clipped to the buffer).
    QString StrFromRange(qsizetype Start, qsizetype Final) const;
    const QChar* CurStartPtr() const;
    const QChar* CurFinalPtr() const;

    // After Scan returned false: whether the document ended on an error, and which.
    bool HasError() const;
    QString ErrorString() const;

private:
    bool ReadToken();
    qsizetype FindForward(QChar c, qsizetype from) const;
    void SetTagRange();

    QString fText;
    std::unique_ptr<QXmlStreamReader> fReader;
    qsizetype fPos = 0;             // first character not yet given to a part
    bool fSkipEnd = false;          // the end element of an empty tag is still to come
    std::vector<QString> fContents; // text directly inside each open element
};

// Characters from Start to Final inclusive (empty when either is null or Final < Start).
QString StrFromRange(const QChar* Start, const QChar* Final);

// Decodes the bytes of an XML document (see TXmlParser::LoadFromBuffer).
QString DecodeXmlBytes(const QByteArray& Data);
