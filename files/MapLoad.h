#pragma once
// Loading the background map and building the catalogue of the maps of its folder.
// The catalogue of installed maps is section "Liste_Cartes" of "Zephalon.ini": the map's name as
// key, the full path of its image as value; each image has its calibration file beside it.
#include <QImage>
#include <QString>

// Loads the map named Name of "Liste_Cartes" into Map: its image and its calibration. An empty
// name only makes the map invalid. Shows its progress in the status bar and reports a missing
// or unusable image or calibration file in a message box (the map is then invalid). On success
// the name becomes Opt->FichFondCarte and the catalogue Sml is brought up to date.
bool LoadMap(const QString& Name);

// Rebuilds the catalogue Sml (the maps of the current map's folder with the bounds of their
// calibration files) when that folder differs from Sml->Dir.
void LoadMapBounds();

// Reads a map image (JPEG, BMP and the other formats Qt reads; a Windows metafile is drawn at
// Size when valid, the size its calibration was made at, else at its own size). False with
// Error (user's language) when the picture cannot be read, saying why for a metafile.
bool LoadMapImage(const QString& Path, QImage& Image, QString& Error, QSize Size = QSize());

// Folder of an image path as it is on disk, ending with "/" (what the chooser shows); empty for
// an empty path.
QString MapFolderText(const QString& Path);
// The same as the catalogue compares folders: ASCII letters lower-cased.
QString MapFolderKey(const QString& Path);
