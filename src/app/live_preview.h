#pragma once
// The live preview's request side: the job a redraw draws, from the values
// now typed into the settings window's boxes and the job snapshot, and the
// miniature drawn with the progress window shown, advanced per cell and
// closed, its cancel button stopping the drawing.

#include "print/page_job.h"

#include <QImage>

class QWidget;

namespace Ui {
class SettingsWindow;
}

namespace quillet {

class MiniatureCache;
struct PreviewedJob;

// The layout as the boxes hold it, read as numbers (atof).
TypedLayoutValues TypedPreviewValues(const Ui::SettingsWindow& ui);

// The job of one redraw: the record with the typed layout in whole
// millimetres, and the pictures, captions and templates of the job shown.
PageJob PreviewJob(const Ui::SettingsWindow& ui, const PrintSettings& record,
                   const PreviewedJob& shown);

// Draws the miniature of page `page` (1-based) at the pixel ratio of the
// owner's screen; a drawing that takes long
// shows the progress window with how far it got.  Window events run after
// every cell, so the progress window's cancel button works and the
// `turner` (the canvas that turns the pages) keeps taking the wheel and
// the page keys; every other input is held until the miniature is done.
// The caller guards against re-entry.  The activation stays with (or, where
// the platform moved it to the progress window, returns to) the window
// that was active, else the owner window.
QImage DrawPreviewPage(const PageJob& job, MiniatureCache& pictures, int page, QWidget& owner,
                       QWidget* turner);

} // namespace quillet
