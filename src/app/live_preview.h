#pragma once
// The live preview's request side: what a redraw collects from the settings
// window's boxes, and the miniature drawn with the progress window shown,
// advanced per cell and closed, its cancel button stopping the drawing.

#include "print/preview_page.h"

#include <QImage>

namespace Ui {
class SettingsWindow;
}

namespace quillet {

// The values of one redraw: the boxes read as numbers and cut to whole
// millimetres (gaps divided by ten first), the caption font from the record
// and the three lists and two templates of the job snapshot.
PreviewPageInput CollectPreviewInput(const Ui::SettingsWindow& ui);

// The header and footer fonts and alignments as the record holds them.
PreviewLines PreviewLinesFromRecord();

// Draws the miniature while the progress window shows how far it got.
// Window events run after every cell, so the user can type on and can
// cancel; the caller guards against re-entry.
QImage DrawPreviewPage(const PreviewPageInput& input, const PreviewLines& lines);

} // namespace quillet
