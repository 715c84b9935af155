// Edit masks: conversion to Qt input masks, checked against a real line edit, and the
// completeness test that OK handlers use.
#include "platform/MaskEdit.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kLatDm = QString::fromUtf8("L00°00.00';1;_");
const QString kLonDms = QString::fromUtf8("L000°00'00\";1;_");
const QString kTime = QStringLiteral("!99:99:99;1;_");
const QString kUtmZone = QStringLiteral("00>L;1;_");

TEST(MaskEdit, ConvertsToQtMasks)
{
    EXPECT_EQ(MaskToQtInputMask(kLatDm), QString::fromUtf8("A99°99.99';_"));
    EXPECT_EQ(MaskToQtInputMask(kLonDms), QString::fromUtf8("A999°99'99\";_"));
    EXPECT_EQ(MaskToQtInputMask(kTime), "00:00:00;_");
    EXPECT_EQ(MaskToQtInputMask(kUtmZone), "99>A;_");
    EXPECT_EQ(MaskToQtInputMask("0000"), "9999;_");
    EXPECT_EQ(MaskToQtInputMask("0000000;1;_"), "9999999;_");
    // Literals that Qt reads as mask characters are escaped; "\" takes the next one literally.
    EXPECT_EQ(MaskToQtInputMask("\\L\\00-#b;0;*"), "L\\09-#\\b;*");
    EXPECT_EQ(MaskToQtInputMask("Hx<l>a<>C"), "\\H\\x<a>n!X;_");
    EXPECT_EQ(MaskToQtInputMask(""), "");
}

// Types keys into a line edit carrying the converted mask.
struct Typed
{
    QString text, display;
    bool acceptable;
};

Typed Type(const QString& mask, const QString& keys)
{
    QLineEdit edit;
    edit.setInputMask(MaskToQtInputMask(mask));
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, keys);
    return {edit.text(), edit.displayText(), edit.hasAcceptableInput()};
}

TEST(MaskEdit, QtEditAcceptsWhatTheMaskMeans)
{
    const Typed lat = Type(kLatDm, "n4530.25");
    EXPECT_EQ(lat.text, QString::fromUtf8("n45°30.25'"));
    EXPECT_TRUE(lat.acceptable);
    EXPECT_TRUE(MaskTextComplete(kLatDm, lat.text));
    EXPECT_TRUE(MaskTextComplete(kLatDm, lat.display));

    const Typed part = Type(kLatDm, "N453");
    EXPECT_EQ(part.display, QString::fromUtf8("N45°3_.__'"));
    EXPECT_FALSE(part.acceptable);
    EXPECT_FALSE(MaskTextComplete(kLatDm, part.text));
    EXPECT_FALSE(MaskTextComplete(kLatDm, part.display));

    const Typed digitFirst = Type(kLatDm, "45N"); // a digit cannot take the letter's place
    EXPECT_FALSE(MaskTextComplete(kLatDm, digitFirst.text));

    const Typed lon = Type(kLonDms, "E0060712");
    EXPECT_EQ(lon.text, QString::fromUtf8("E006°07'12\""));
    EXPECT_TRUE(lon.acceptable && MaskTextComplete(kLonDms, lon.text));

    const Typed zone = Type(kUtmZone, "32t");
    EXPECT_EQ(zone.text, "32T");
    EXPECT_TRUE(zone.acceptable && MaskTextComplete(kUtmZone, zone.text));

    // Optional digits: a partly typed time is still acceptable to both.
    const Typed time = Type(kTime, "1230");
    EXPECT_TRUE(time.acceptable);
    EXPECT_TRUE(MaskTextComplete(kTime, time.text));
    EXPECT_TRUE(MaskTextComplete(kTime, time.display));
    const Typed literalA = Type("\\A-00;1;_", "12"); // an escaped mask letter stays a literal
    EXPECT_EQ(literalA.text, "A-12");
    EXPECT_TRUE(literalA.acceptable && MaskTextComplete("\\A-00;1;_", literalA.text));
    EXPECT_TRUE(Type("0000", "12").acceptable == MaskTextComplete("0000", Type("0000", "12").text));
}

TEST(MaskEdit, CompletenessWithoutAnEdit)
{
    EXPECT_TRUE(MaskTextComplete(kLatDm, QString::fromUtf8("S47°00.00'")));
    EXPECT_FALSE(MaskTextComplete(kLatDm, QString::fromUtf8("S47°00.00")));   // literal missing
    EXPECT_FALSE(MaskTextComplete(kLatDm, QString::fromUtf8("S47°00.00'5"))); // too long
    EXPECT_FALSE(MaskTextComplete(kLatDm, QString::fromUtf8("S47 00.00'")));  // wrong literal
    EXPECT_FALSE(MaskTextComplete(kLatDm, QString::fromUtf8("S4 °00.00'")));  // blank digit
    EXPECT_TRUE(MaskTextComplete("0000;0;_", "1234"));
    EXPECT_FALSE(MaskTextComplete("0000;0;_", "123"));
    EXPECT_TRUE(MaskTextComplete("00-00;0;_", "1234"));  // literals left out of the text
    EXPECT_TRUE(MaskTextComplete("00-00;0;_", "12-34")); // or kept
    EXPECT_TRUE(MaskTextComplete("90", "5"));            // the optional digit left blank
    EXPECT_TRUE(MaskTextComplete("90", "_5"));
    EXPECT_FALSE(MaskTextComplete("90", "5_"));
    EXPECT_TRUE(MaskTextComplete("!99:99:99;1;_", "::"));
    EXPECT_TRUE(MaskTextComplete("", "anything"));
}

} // namespace
