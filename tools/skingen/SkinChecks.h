#pragma once

#include "DesignPlaces.h"
#include "SkinSet.h"

#include <QMap>
#include <QSize>
#include <QStringList>

namespace korva::skingen {

// Image numbers the program's code names directly (the rest are chosen by the skin and named only by the
// design data).
QList<int> ProgramImageNumbers();

// Every image number the program or the design data relies on, with the problems found (empty: none).
// `sizes` holds the natural size of each available image.
QStringList CheckDesignAgainstSkin(const DesignForm& design, const QMap<int, QSize>& sizes);

// The design data must hold every control the main window works with.
QStringList CheckDesignControls(const DesignForm& design);

// The skinned controls clear to their BackColor before drawing, so the image that fills a control must be
// opaque; and an image shared by several controls must suit each of them: their beds must be the same.
QStringList CheckBeds(const DesignForm& design, const SkinSet& skin);

// The sizes in design pixels of the skin files of one scale in a directory (NNN.png, NNN@2x.png, ...); a
// file whose size is no multiple of the scale counts as empty.
QMap<int, QSize> ReadSkinDirectory(const QString& dir, int scale = 1);
QMap<int, QSize> SizesOf(const SkinSet& skin);

} // namespace korva::skingen
