// Reading files in blocks of whole lines.
#include "files/FileCommon.h"
#include "support/Fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(LineBlocks, WholeLinesInOrderWhateverTheLineLengths)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.txt"));
    struct TCase
    {
        const char* what;
        QByteArray text;
    };
    QByteArray lines;
    for (int i = 0; i < 20000; ++i) lines += "B line " + QByteArray::number(i) + "\r\n";
    const QByteArray huge(TLineBlocks::MaxLine + 5000, 'x');
    const std::vector<TCase> cases = {
        {"many short lines across blocks", lines},
        {"no line end at the end", lines + "last"},
        {"a line longer than a block", "a\n" + QByteArray(3 * TLineBlocks::BlockSize, 'y') + "\nb\n"},
        {"a line longer than the longest kept whole", huge + "\nend"},
        {"empty", QByteArray()},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(path, c.text);
        TLineBlocks b;
        QString err;
        ASSERT_TRUE(b.Open(path, err));
        const char* p = nullptr;
        qsizetype n = 0;
        QByteArray all;
        int blocks = 0, cut = 0;
        while (b.Next(p, n, err)) {
            ++blocks;
            all.append(p, n);
            if (p[n - 1] != '\n' && all.size() != c.text.size()) ++cut;
        }
        EXPECT_TRUE(err.isEmpty());
        EXPECT_EQ(all, c.text);
        EXPECT_EQ(cut, c.text.size() > TLineBlocks::MaxLine ? 1 : 0); // only the over-long line is cut
        if (c.text.size() > 4 * TLineBlocks::BlockSize) {
            EXPECT_GT(blocks, 2);
        }
    }

    TLineBlocks missing;
    QString err;
    EXPECT_FALSE(missing.Open(dir.filePath(QStringLiteral("none")), err));
    EXPECT_TRUE(err.contains(QStringLiteral("none"))) << err.toStdString();
}
