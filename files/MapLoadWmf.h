#pragma once
// Windows metafile maps, drawn once into an image through the desktop's libwmf (loaded at the
// first such map, so that a program that shows none never loads it).
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Whether Data starts as a Windows metafile does (placeable header, or a plain memory or disk
// metafile header).
bool IsWmfData(const QByteArray& Data);

// Draws the metafile Data into Image on white: at Size when it is valid (the size its
// calibration was made at, so that the calibration's pixel coordinates stay right), else at
// its own size (its header's, at 96 dots per inch). False with Why (user's language, without
// the file name) when it cannot be drawn.
bool RenderWmf(const QByteArray& Data, QSize Size, QImage& Image, QString& Why);
