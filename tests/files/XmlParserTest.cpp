// The XML pull parser: parts, places in the text, empty tags, encodings, errors.
#include "files/LibXmlParser.h"
#include "support/Fixtures.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Part
{
    TPartType Type;
    QString Name, Content, Source;
};

std::vector<Part> Walk(TXmlParser& P)
{
    std::vector<Part> out;
    while (P.Scan())
        out.push_back({P.CurPartType, P.CurName, P.CurContent, P.StrFromRange(P.CurStart, P.CurFinal)});
    return out;
}

const QByteArray Doc = "<?xml version=\"1.0\"?>\n"
                       "<!-- a comment -->\n"
                       "<gpx creator=\"me\" version=\"1.1\">\n"
                       "  <wpt lat=\"45.5\" lon=\"-3.25\"><name>A&amp;B</name><sym/></wpt>\n"
                       "  <x><![CDATA[<raw>]]></x><?pi some data?>\n"
                       "  <e a='1' />\n"
                       "</gpx>\n";

} // namespace

TEST(XmlParser, PartsWithTheirSourceText)
{
    TXmlParser P;
    P.LoadFromBuffer(Doc);
    P.Normalize = true;
    const std::vector<Part> parts = Walk(P);
    EXPECT_FALSE(P.HasError());
    std::vector<std::pair<TPartType, QString>> got;
    for (const Part& p : parts) got.emplace_back(p.Type, p.Source);
    const std::vector<std::pair<TPartType, QString>> want = {
        {ptXmlProlog, "<?xml version=\"1.0\"?>"},
        {ptComment, "<!-- a comment -->"},
        {ptStartTag, "<gpx creator=\"me\" version=\"1.1\">"},
        {ptStartTag, "<wpt lat=\"45.5\" lon=\"-3.25\">"},
        {ptStartTag, "<name>"},
        {ptContent, "A&amp;B"},
        {ptEndTag, "</name>"},
        {ptEmptyTag, "<sym/>"},
        {ptEndTag, "</wpt>"},
        {ptStartTag, "<x>"},
        {ptCData, "<![CDATA[<raw>]]>"},
        {ptEndTag, "</x>"},
        {ptPI, "<?pi some data?>"},
        {ptEmptyTag, "<e a='1' />"},
        {ptEndTag, "</gpx>"},
    };
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << i;
    // Names, contents and attributes.
    // The entity resolved; the end tag carries its element's text.
    EXPECT_EQ(QStringList({parts[1].Content, parts[5].Content, parts[6].Content, parts[10].Content,
                           parts[11].Content, parts[12].Name, parts[12].Content, parts[13].Name}),
              QStringList({"a comment", "A&B", "A&B", "<raw>", "<raw>", "pi", "some data", "e"}));
}

TEST(XmlParser, AttributesAndPointers)
{
    TXmlParser P;
    P.LoadFromBuffer(Doc);
    bool seen = false;
    while (P.Scan()) {
        if (P.CurPartType == ptStartTag && P.CurName == "wpt") {
            seen = true;
            EXPECT_EQ(std::tuple(P.CurAttr.Value("lat"), P.CurAttr.Value("lon"), P.CurAttr.Value("ele"),
                                 P.CurAttr.Count()),
                      std::tuple("45.5", "-3.25", "", 2));
            EXPECT_EQ(StrFromRange(P.CurStartPtr(), P.CurFinalPtr()), "<wpt lat=\"45.5\" lon=\"-3.25\">");
            EXPECT_EQ(*P.CurStartPtr(), QChar('<'));
            EXPECT_EQ(*P.CurFinalPtr(), QChar('>'));
        }
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(StrFromRange(nullptr, nullptr), "");
    EXPECT_EQ(P.StrFromRange(5, 2), "");
    EXPECT_EQ(P.StrFromRange(-10, 4), "<?xml");
}

TEST(XmlParser, WithoutNormalisationTheRangesCoverTheElementInOrder)
{
    TXmlParser P;
    P.LoadFromBuffer(Doc);
    qsizetype next = -1;
    QString rebuilt;
    qsizetype rootStart = -1;
    while (P.Scan()) {
        ASSERT_GE(P.CurStart, 0);
        ASSERT_GE(P.CurFinal, P.CurStart);
        EXPECT_GT(P.CurStart, next - 1);
        if (P.CurPartType == ptStartTag && P.CurName == "gpx") rootStart = P.CurStart;
        if (rootStart >= 0) rebuilt += P.StrFromRange(P.CurStart, P.CurFinal);
        next = P.CurFinal + 1;
    }
    // Inside the root element every character belongs to exactly one part.
    const QString text = QString::fromUtf8(Doc);
    EXPECT_EQ(rebuilt, text.mid(rootStart, text.lastIndexOf("</gpx>") + 6 - rootStart));
}

TEST(XmlParser, NormalisationSkipsBlankContent)
{
    TXmlParser P;
    P.LoadFromBuffer("<a>\n  <b>  x y  </b>\n</a>");
    auto plain = Walk(P);
    P.Normalize = true;
    P.StartScan();
    auto norm = Walk(P);
    EXPECT_EQ(plain.size(), 7u);
    ASSERT_EQ(norm.size(), 5u);
    EXPECT_EQ(std::tuple(norm[2].Type, norm[2].Content, norm[3].Content, plain[3].Content),
              std::tuple(ptContent, "x y", "x y", "  x y  "));
}

TEST(XmlParser, EmptyRootAndNestedEmptyTags)
{
    TXmlParser P;
    P.LoadFromBuffer("<r/>");
    auto parts = Walk(P);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].Type, ptEmptyTag);
    P.LoadFromBuffer("<r><a/><a></a><a/></r>");
    parts = Walk(P);
    std::vector<TPartType> types;
    for (auto& p : parts) types.push_back(p.Type);
    EXPECT_EQ(types,
              (std::vector<TPartType>{ptStartTag, ptEmptyTag, ptStartTag, ptEndTag, ptEmptyTag, ptEndTag}));
}

TEST(XmlParser, Encodings)
{
    TXmlParser P;
    // Declared Latin-1.
    P.LoadFromBuffer("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><n>Br\xE4uniger</n>");
    QString content;
    while (P.Scan())
        if (P.CurPartType == ptContent) content = P.CurContent;
    EXPECT_EQ(content, QString::fromUtf8("Bräuniger"));
    // UTF-8 with a byte-order mark.
    P.LoadFromBuffer("\xEF\xBB\xBF<n>\xC3\xA9t\xC3\xA9</n>");
    while (P.Scan())
        if (P.CurPartType == ptContent) content = P.CurContent;
    EXPECT_EQ(content, QString::fromUtf8("été"));
    // Undeclared and not UTF-8: Windows-1252.
    P.LoadFromBuffer("<n>\x80 \xE9</n>");
    while (P.Scan())
        if (P.CurPartType == ptContent) content = P.CurContent;
    EXPECT_EQ(content, QString::fromUtf8("€ é"));
    // Characters outside the basic plane keep the ranges right.
    P.LoadFromBuffer("<n>\xF0\x9F\x98\x80</n><m/>");
    P.LoadFromBuffer("<r><n>\xF0\x9F\x98\x80</n><m/></r>");
    auto parts = Walk(P);
    ASSERT_EQ(parts.size(), 6u);
    EXPECT_EQ(parts[4].Source, "<m/>");
}

TEST(XmlParser, UndeclaredPrefixesAreKept)
{
    TXmlParser P;
    P.LoadFromBuffer("<kml><gx:Track><gx:coord>1 2 3</gx:coord></gx:Track></kml>");
    auto parts = Walk(P);
    EXPECT_FALSE(P.HasError());
    ASSERT_EQ(parts.size(), 7u);
    EXPECT_EQ(parts[2].Name, "gx:coord");
    P.StartScan();
    P.Scan();
    P.Scan();
    EXPECT_EQ(P.CurLocalName(), "Track");
}

TEST(XmlParser, ErrorsEndTheWalk)
{
    TXmlParser P;
    P.LoadFromBuffer("<a><b>text</c></a>");
    auto parts = Walk(P);
    EXPECT_TRUE(P.HasError());
    EXPECT_FALSE(P.ErrorString().isEmpty());
    EXPECT_EQ(parts.size(), 3u); // <a>, <b>, text
    EXPECT_FALSE(P.Scan());      // stays at the end

    P.LoadFromBuffer("");
    EXPECT_FALSE(P.Scan());
    P.LoadFromBuffer("<a>");
    Walk(P);
    EXPECT_TRUE(P.HasError());
    // Entity expansion bombs stop instead of eating memory.
    QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\">";
    for (int i = 1; i < 10; ++i)
        bomb += "<!ENTITY " + QByteArray(1, char('a' + i)) + " \"" +
                QByteArray("&" + QByteArray(1, char('a' + i - 1)) + ";").repeated(10) + "\">";
    bomb += "]><l>&j;</l>";
    P.LoadFromBuffer(bomb);
    qsizetype total = 0;
    while (P.Scan()) total += P.CurContent.size();
    EXPECT_LT(total, 10000000);
}

TEST(XmlParser, LoadFromFile)
{
    TXmlParser P;
    EXPECT_FALSE(P.LoadFromFile("/nonexistent/file.gpx", 0));
    EXPECT_FALSE(P.Scan());
    QTemporaryDir dir;
    const QString name = dir.filePath("t.xml");
    WriteAll(name, Doc);
    ASSERT_TRUE(P.LoadFromFile(name, 0));
    EXPECT_EQ(Walk(P).size(), 19u); // 15 parts and 4 blank contents
}

TEST(XmlParser, RealGpxFiles)
{
    TXmlParser P;
    P.Normalize = true;
    ASSERT_TRUE(P.LoadFromFile(ZPH_TESTDATA "/waypoints/expertgps.gpx"));
    int wpt = 0, trkpt = 0, rtept = 0, names = 0;
    QString firstName;
    while (P.Scan()) {
        if (P.CurPartType == ptStartTag) {
            wpt += P.CurName == "wpt";
            trkpt += P.CurName == "trkpt";
            rtept += P.CurName == "rtept";
        }
        if (P.CurPartType == ptEndTag && P.CurName == "name") {
            if (++names == 1) firstName = P.CurContent;
        }
    }
    EXPECT_FALSE(P.HasError());
    EXPECT_EQ(wpt, 86);
    EXPECT_EQ(trkpt, 64);
    EXPECT_EQ(rtept, 46);
    EXPECT_EQ(firstName, "5066");

    ASSERT_TRUE(P.LoadFromFile(ZPH_TESTDATA "/kml/skydrop.kml"));
    int comments = 0;
    while (P.Scan()) comments += P.CurPartType == ptComment;
    EXPECT_FALSE(P.HasError());
    EXPECT_GE(comments, 9 + 6);
}
