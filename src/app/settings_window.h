#pragma once
// The print settings window: printer, paper, orientation, copies, margins,
// header and footer placement, fonts and alignments, the grid, the photo
// placement mode and the page-file options, with a miniature of the job's
// first page beside them.  It is handed a copy of the settings record and the
// job it shows, edits its copy and is shown modally before every print job;
// the job takes the record back, `confirmed` and all, once it has closed.
// The form is designed in forms/settings_window.ui.

#include "loading/miniature_cache.h"
#include "printing/printer_unit.h"
#include "settings/picture_list.h"
#include "settings/print_settings.h"
#include "widgets/outer_size.h"

#include <QDialog>
#include <QImage>

#include <memory>
#include <string>

class QLabel;
class QLineEdit;

namespace Ui {
class SettingsWindow;
}

namespace quillet {

// The last item of the printer list: jobs confirmed with it are written to a
// PDF file instead of a printer queue, so that users without a printer can
// still print.
inline constexpr char kPdfFilePrinterItem[] = "保存为PDF文件";

// The job whose pages the miniature shows, as the print job hands it over
// (entries that name no picture included), with its header and footer
// templates.
struct PreviewedJob {
    PictureList pictures;
    std::string headerText;
    std::string footerText;
};

class SettingsWindow : public QDialog {
    Q_OBJECT

public:
    // Creation and Fill run here: the lists are filled from the printers and
    // paper forms, and the controls from the record once it was confirmed.
    SettingsWindow(PrintSettings settings, PreviewedJob job, QWidget* parent = nullptr);
    // Tidies up the progress window that the preview may have left loaded.
    ~SettingsWindow() override;

    // The designed controls, by their designed names.
    Ui::SettingsWindow& ui();

    // The record as the window leaves it: `confirmed` 1 with every value
    // stored once OK was accepted, 0 otherwise (a chosen paper, the
    // alignments and fonts are stored as they are chosen, OK or not).
    const PrintSettings& Settings() const { return settings_; }

    // True while the miniature is drawn; OK then stores but leaves the
    // window open, and Cancel does nothing.
    bool PreviewBusy() const { return previewBusy_; }

signals:
    void PreviewBusyChanged(bool busy);

public:
    // Redraws the miniature of the job's first page from the values now in
    // the boxes (the live preview); does nothing while the live-preview box
    // is not ticked or a redraw is under way.
    void RedrawPreview();

    // Turns the miniature by step pages (the mouse wheel and Page Up / Page
    // Down on the canvas), within the job's pages, by a redraw of the same
    // rules; nothing happens at either end.  Turns asked for while a page
    // is drawn add up, and the last page asked for is drawn next.
    void TurnPreviewPage(int step);

    // The picture the preview canvas shows at its own size (null when the
    // canvas is clear), before any shrinking to fit the canvas; its pixel
    // ratio is the screen's.
    const QImage& PreviewPicture() const { return previewPicture_; }

    static constexpr int kOuterWidth = 590;
    static constexpr int kOuterHeight = 427;
    static constexpr int kLeft = 50;
    static constexpr int kTop = 50;

public slots:
    // Cancel, the close box and Esc: `confirmed` := 0, and the window closes
    // unless a preview redraw is running.
    void reject() override;

protected:
    // Closing by any way lets go of the miniatures.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    // The miniature is drawn once the window is up.
    void showEvent(QShowEvent* event) override;

private:
    void Create();
    void Fill();
    void ConnectHandlers();
    void PaperChosen();
    void ChooseFont(FontSpec PrintSettings::*font);
    void Confirm();
    void FocusLost(QLineEdit* box);
    void SliderMoved(QLineEdit* countBox, int position);
    void DrawPreview(int page);
    bool CanvasEvent(QEvent* event);
    void ShowPreviewPicture(QImage picture);

    void SetPreviewBusy(bool busy);

    std::unique_ptr<Ui::SettingsWindow> ui_;
    PrintSettings settings_;
    const PreviewedJob job_;
    bool previewBusy_ = false;
    // 打印机1: the default printer, source of the paper forms.
    PrinterUnit printer_;
    // No printer queue at all: the paper list offers Qt's standard sizes.
    bool standardPaper_ = false;
    // The font dialog starts with the style flags of its previous use in
    // this window, not with those of the font it edits.
    FontSpec fontDialogStyle_;
    // Set while the program itself changes selections and slider positions,
    // which are no user changes and run no handler.
    bool programChange_ = false;
    // The paper selected when the last press on the paper list began.
    int paperRowAtPress_ = -1;
    QImage previewPicture_;
    // "第N页/共M页" under the page, inside the canvas.
    QLabel* pageNumberLabel_ = nullptr;
    int shownPage_ = 1;
    // The page the user last asked for; ahead of shownPage_ while a page
    // turn is being drawn.
    int wantedPage_ = 1;
    int shownPageCount_ = 1;
    // Wheel turns not yet a whole notch (touchpads send them in small parts).
    int wheelRemainder_ = 0;
    bool drawnOnOpening_ = false;
    // The job's pictures as the preview draws them, kept between redraws.
    MiniatureCache miniatures_;
    DesignedOuterSize outerSize_{{kOuterWidth, kOuterHeight}};
};

} // namespace quillet
