#pragma once
// Picture handles: decoded pictures held by the runtime and named by an
// integer, so that page code can pass them around, draw them on a canvas or
// the printer and release them when done.  0 means "no picture".

#include "runtime/bytes.h"

#include <QImage>

#include <string>

namespace quillet {

using PictureHandle = int;

// Decodes a JPEG, PNG, GIF, BMP, icon or cursor file.  An empty name gives 0
// without touching the disk; a missing or undecodable file gives 0.
PictureHandle LoadPicture(const std::string& fileName);

// Same for a picture that is already in memory; empty bytes give 0.
PictureHandle LoadPictureFromBytes(const ByteArray& bytes);

// Hands an already decoded image to the registry; a null image gives 0.
PictureHandle AdoptPicture(QImage image);

// Releases the picture.  0, a handle freed before or one that was never given
// out are all harmless.
void FreePicture(PictureHandle picture);

// Size in pixels of the upright picture; 0 for no picture.
int PictureWidth(PictureHandle picture);
int PictureHeight(PictureHandle picture);

// The decoded image (Format_RGB32 or Format_ARGB32), or nullptr for no
// picture.  Valid until the handle is freed.
const QImage* PictureImage(PictureHandle picture);

// How many pictures are held now: lets tests and callers check that every
// handle they took was given back.
int HeldPictureCount();

} // namespace quillet
