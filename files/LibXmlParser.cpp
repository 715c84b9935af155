#include "files/LibXmlParser.h"
#include "files/FileCommon.h"
#include "platform/Text1252.h"
#include <QFile>
#include <QStringDecoder>

// ---- TNvpList -------------------------------------------------------------------------------

QString TNvpList::Value(const QString& Name) const
{
    for (const TNvp& N : fItems)
        if (N.Name == Name) return N.Value;
    return QString();
}

QString TNvpList::LocalValue(const QString& Name) const
{
    for (const TNvp& N : fItems) {
        const qsizetype colon = N.Name.lastIndexOf(QLatin1Char(':'));
        if (QStringView(N.Name).mid(colon + 1) == Name) return N.Value;
    }
    return QString();
}

bool TNvpList::Has(const QString& Name) const
{
    for (const TNvp& N : fItems)
        if (N.Name == Name) return true;
    return false;
}

// ---- Decoding -------------------------------------------------------------------------------

namespace {

// The value of encoding="..." in an XML declaration at the very start, or empty.
QByteArray DeclaredEncoding(const QByteArray& Data)
{
    if (!Data.startsWith("<?xml")) return QByteArray();
    const qsizetype end = Data.indexOf("?>");
    if (end < 0 || end > 1024) return QByteArray();
    const QByteArray decl = Data.left(end);
    qsizetype p = decl.indexOf("encoding");
    if (p < 0) return QByteArray();
    p += 8;
    while (p < decl.size() && (decl[p] == ' ' || decl[p] == '=' || decl[p] == '\t')) ++p;
    if (p >= decl.size() || (decl[p] != '"' && decl[p] != '\'')) return QByteArray();
    const char quote = decl[p];
    const qsizetype q = decl.indexOf(quote, p + 1);
    if (q < 0) return QByteArray();
    return decl.mid(p + 1, q - p - 1).trimmed().toLower();
}

} // namespace

QString DecodeXmlBytes(const QByteArray& Data)
{
    // Byte-order marks first.
    if (Data.startsWith("\xEF\xBB\xBF")) {
        const QByteArray rest = Data.mid(3);
        return IsValidUtf8(rest) ? QString::fromUtf8(rest) : FromWin1252(rest);
    }
    if (Data.startsWith("\xFF\xFE") || Data.startsWith("\xFE\xFF")) {
        QStringDecoder dec(Data.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return dec.decode(Data.mid(2));
    }
    const QByteArray enc = DeclaredEncoding(Data);
    if (enc == "iso-8859-1" || enc == "latin1" || enc == "latin-1" || enc == "windows-1252" ||
        enc == "cp1252" || enc == "us-ascii" || enc == "ascii")
        // Windows-1252 is Latin-1 with printable characters where Latin-1 has C1 controls,
        // which XML does not allow anyway; files declared Latin-1 are often 1252.
        return FromWin1252(Data);
    if (!enc.isEmpty() && enc != "utf-8" && enc != "utf8") {
        QStringDecoder dec(enc.constData());
        if (dec.isValid()) {
            QString s = dec.decode(Data);
            if (!dec.hasError()) return s;
        }
    }
    return IsValidUtf8(Data) ? QString::fromUtf8(Data) : FromWin1252(Data);
}

QString StrFromRange(const QChar* Start, const QChar* Final)
{
    if (!Start || !Final || Final < Start) return QString();
    return QString(Start, Final - Start + 1);
}

// ---- TXmlParser -----------------------------------------------------------------------------

TXmlParser::TXmlParser() = default;
TXmlParser::~TXmlParser() = default;

bool TXmlParser::LoadFromFile(const QString& FileName, int /*ShareMode*/)
{
    // The same size limit as every other reader: a larger file is refused, not loaded.
    QByteArray data;
    QString error;
    if (!ReadWholeFile(FileName, data, error)) {
        SetBuffer(QString());
        return false;
    }
    LoadFromBuffer(data);
    return true;
}

void TXmlParser::LoadFromBuffer(const QByteArray& Data)
{
    SetBuffer(DecodeXmlBytes(Data));
}

void TXmlParser::SetBuffer(const QString& Text)
{
    fText = Text;
    StartScan();
}

void TXmlParser::StartScan()
{
    fReader = std::make_unique<QXmlStreamReader>(fText);
    // Prefixes are kept as written: a document that forgets to declare one ("gx:") still reads.
    fReader->setNamespaceProcessing(false);
    fPos = 0;
    fSkipEnd = false;
    fContents.clear();
    CurPartType = ptNone;
    CurName.clear();
    CurContent.clear();
    CurAttr.Clear();
    CurStart = CurFinal = -1;
}

qsizetype TXmlParser::FindForward(QChar c, qsizetype from) const
{
    if (from < 0) from = 0;
    const qsizetype i = fText.indexOf(c, from);
    return i;
}

// Places CurStart on the '<' that opens the markup just read and CurFinal on its '>'.
void TXmlParser::SetTagRange()
{
    const qsizetype end = qsizetype(fReader->characterOffset()) - 1;
    qsizetype start = FindForward(QLatin1Char('<'), fPos);
    if (start < 0 || start > end) start = std::min(fPos, std::max<qsizetype>(end, 0));
    qsizetype final = end;
    if (final < start || final >= fText.size() || fText[final] != QLatin1Char('>')) {
        const qsizetype gt = FindForward(QLatin1Char('>'), start);
        final = gt >= 0 ? gt : fText.size() - 1;
    }
    CurStart = start;
    CurFinal = final;
    fPos = final + 1;
}

bool TXmlParser::Scan()
{
    while (ReadToken()) {
        if (CurPartType != ptNone) return true;
    }
    CurPartType = ptNone;
    return false;
}

// Reads one token; true while the document goes on. Leaves CurPartType ptNone for tokens that
// give no part (skipped white space, the end element of an empty tag, a missing declaration).
bool TXmlParser::ReadToken()
{
    if (!fReader || fReader->atEnd()) return false;
    const QXmlStreamReader::TokenType t = fReader->readNext();
    CurPartType = ptNone;
    CurName.clear();
    CurContent.clear();
    CurAttr.Clear();
    switch (t) {
    case QXmlStreamReader::StartDocument:
        if (fReader->documentVersion().isEmpty()) return true;
        SetTagRange();
        CurPartType = ptXmlProlog;
        CurName = QStringLiteral("xml");
        CurAttr.Add(QStringLiteral("version"), fReader->documentVersion().toString());
        if (!fReader->documentEncoding().isEmpty())
            CurAttr.Add(QStringLiteral("encoding"), fReader->documentEncoding().toString());
        if (fReader->isStandaloneDocument()) CurAttr.Add(QStringLiteral("standalone"), QStringLiteral("yes"));
        return true;
    case QXmlStreamReader::DTD:
        SetTagRange();
        // The internal subset may hold '>' characters: the DTD ends where the reader stopped.
        CurFinal = std::max(CurFinal, qsizetype(fReader->characterOffset()) - 1);
        fPos = CurFinal + 1;
        CurPartType = ptDtdc;
        CurName = fReader->dtdName().toString();
        CurContent = fReader->text().toString();
        return true;
    case QXmlStreamReader::Comment:
        SetTagRange();
        CurPartType = ptComment;
        CurContent = fReader->text().toString();
        if (Normalize) CurContent = CurContent.trimmed();
        return true;
    case QXmlStreamReader::ProcessingInstruction:
        SetTagRange();
        CurPartType = ptPI;
        CurName = fReader->processingInstructionTarget().toString();
        CurContent = fReader->processingInstructionData().toString();
        return true;
    case QXmlStreamReader::StartElement: {
        SetTagRange();
        CurName = fReader->qualifiedName().toString();
        const QXmlStreamAttributes attrs = fReader->attributes();
        for (const QXmlStreamAttribute& A : attrs)
            CurAttr.Add(A.qualifiedName().toString(), A.value().toString());
        fContents.emplace_back();
        if (CurFinal > CurStart && fText[CurFinal] == QLatin1Char('>') &&
            fText[CurFinal - 1] == QLatin1Char('/')) {
            CurPartType = ptEmptyTag;
            fSkipEnd = true;
        } else {
            CurPartType = ptStartTag;
        }
        return true;
    }
    case QXmlStreamReader::EndElement: {
        QString inner;
        if (!fContents.empty()) {
            inner = std::move(fContents.back());
            fContents.pop_back();
        }
        if (fSkipEnd) {
            fSkipEnd = false;
            return true;
        }
        SetTagRange();
        CurPartType = ptEndTag;
        CurName = fReader->qualifiedName().toString();
        CurContent = Normalize ? inner.trimmed() : inner;
        return true;
    }
    case QXmlStreamReader::Characters:
    case QXmlStreamReader::EntityReference: {
        const QString text = fReader->text().toString();
        if (!fContents.empty()) fContents.back() += text;
        if (fReader->isCDATA()) {
            SetTagRange();
            CurPartType = ptCData;
            CurContent = text;
            return true;
        }
        // Plain text: from the end of the previous part to the reader's place, less the '<'
        // of the next markup that the reader has already looked at.
        qsizetype end = qsizetype(fReader->characterOffset()) - 1;
        if (end >= fText.size()) end = fText.size() - 1;
        if (end >= fPos && fText[end] == QLatin1Char('<')) --end;
        CurStart = fPos;
        CurFinal = std::max(end, fPos - 1);
        fPos = CurFinal + 1;
        CurContent = Normalize ? text.trimmed() : text;
        if (Normalize && CurContent.isEmpty()) return true; // white space only: no part
        CurPartType = ptContent;
        return true;
    }
    case QXmlStreamReader::EndDocument:
    case QXmlStreamReader::Invalid:
    default:
        return false;
    case QXmlStreamReader::NoToken:
        return !fReader->atEnd();
    }
}

QString TXmlParser::CurLocalName() const
{
    const qsizetype colon = CurName.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? CurName : CurName.mid(colon + 1);
}

QString TXmlParser::StrFromRange(qsizetype Start, qsizetype Final) const
{
    if (Start < 0) Start = 0;
    if (Final >= fText.size()) Final = fText.size() - 1;
    if (Final < Start) return QString();
    return fText.mid(Start, Final - Start + 1);
}

const QChar* TXmlParser::CurStartPtr() const
{
    return CurStart >= 0 && CurStart < fText.size() ? fText.constData() + CurStart : nullptr;
}

const QChar* TXmlParser::CurFinalPtr() const
{
    return CurFinal >= 0 && CurFinal < fText.size() ? fText.constData() + CurFinal : nullptr;
}

bool TXmlParser::HasError() const
{
    return fReader && fReader->hasError();
}

QString TXmlParser::ErrorString() const
{
    return fReader ? fReader->errorString() : QString();
}
